// The records of the name-side items (name, company line, additional item):
// any bytes read through the class registry at the layout versions whose
// records differ, as a designer meets them. A record that reads is written,
// read back and written again to the same bytes, then filled with awkward
// texts and drawn and printed, all without a sanitizer report.
//
// Input: one byte picks the class, one the layout version, one the reference
// device and one the texts; the rest is the record. tests/drawing replays the
// seed corpus under ASan/UBSan.

#include "FuzzDrawItem.h"
#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/NameRect.h"

#include <cstdint>

namespace namerect_fuzz {

void Fill(TDrawRect& item, quint8 texts)
{
    const QString sp(QChar(0x3000));
    const QString corp = texts & 1 ? QStringLiteral("株式会社") + sp + QStringLiteral("表ソ商事") + sp + QStringLiteral("東京支店")
                                   : QStringLiteral("山田商事株式会社");
    if (auto* n = dynamic_cast<TNameRect*>(&item)) {
        n->SetNameKind(texts % 3);
        n->SetNameAlign(texts >> 4);
        n->SetCorpBreak(texts & 1);
        n->SetCharSpace(texts & 2 ? 1 : 0);
        n->SetName(texts & 4 ? QStringLiteral("表") : QStringLiteral("山田　太郎"));
        n->SetHonor(texts & 8 ? QStringLiteral("御中様") : QStringLiteral("様"));
        n->SetNote(QStringLiteral("ご家族"));
        n->SetJointCount(texts & 32 ? 7 : 2);
        for (int i = 0; i < n->GetJointCount(); ++i)
            n->SetJointName(i, i % 2 ? QStringLiteral("一") : QStringLiteral("佐藤 一二三四"));
        n->SetCorp(corp);
        n->SetDptmnt(0, QStringLiteral("営業部") + sp + QStringLiteral("第一課"));
        n->SetPost(texts & 64 ? QStringLiteral("代表取締役社長兼務") : QStringLiteral("部長"));
        n->SetCorpRatio(texts & 128 ? 0.0 : 1.0);
    } else if (auto* c = dynamic_cast<TCorpRect*>(&item)) {
        c->SetCorp(corp);
        c->SetHonor(QStringLiteral("御中"));
        c->SetCorpBreak(1);
    } else if (auto* a = dynamic_cast<TAdditionRect*>(&item)) {
        a->SetCaption(texts & 1 ? QStringLiteral("TEL") : QString());
        a->SetText(QStringLiteral("03-1234-5678"));
    }
}

int OneInput(const uint8_t* data, size_t size)
{
    fuzz_draw_item::Setup();
    if (size < 4)
        return 0;
    static constexpr const char* kClasses[] = {"TNameRect", "TCorpRect", "TAdditionRect"};
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 500, 499, 201, 200, 150, 103, 102, 0};
    static constexpr TRefDevice kDevices[] = {{false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 1200, 600, 0, 0}};
    const char* cls = kClasses[data[0] % std::size(kClasses)];
    const qint32 version = kVersions[data[1] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[2] % std::size(kDevices)];
    const quint8 texts = data[3];
    const QByteArray record(reinterpret_cast<const char*>(data) + 4, static_cast<qsizetype>(size - 4));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{"namerect_fuzzer", cls, version, std::nullopt, QPoint(0, 0), std::nullopt};
    fuzz_draw_item::RoundTripAndDraw(run, record, [&](TDrawRect& item) {
        auto* text = dynamic_cast<TMetaRect*>(&item);
        fuzz_draw_item::Check(text != nullptr, run.harness, "a text item");
        text->ResetFontHeight();
        Fill(item, texts);
        return true;
    });
    return 0;
}

} // namespace namerect_fuzz

#ifndef NAMERECT_FUZZER_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return namerect_fuzz::OneInput(data, size);
}
#endif
