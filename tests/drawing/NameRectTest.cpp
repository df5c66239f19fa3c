#include "DrawRectTestItem.h"
#include "core/common/FontUtils.h"
#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Cp932.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <QBuffer>

namespace {

const QString kSp = QString(QChar(0x3000));

template <class T>
void Prepare(T& item, const TRect& r, quint8 direction)
{
    item.SetFont(Mincho());
    item.SetVertical(direction);
    item.ResetFontHeight();
    item.SetRect(r);
}

// The pen positions of every glyph drawn, in recording pixels, with the
// text run and the horizontal stretch it was drawn with.
struct TDrawnGlyph {
    QString run;
    QChar ch;
    QPointF at;
    double stretch;
};

std::vector<TDrawnGlyph> DrawnGlyphs(const TMetaRect& item)
{
    std::vector<TDrawnGlyph> out;
    for (const TDrawItem& d : item.GetMetafile().Items())
        if (const auto* g = std::get_if<TGlyphItem>(&d))
            for (size_t i = 0; i < g->positions.size(); ++i)
                out.push_back({g->text, g->text.at(qsizetype(i)), g->transform.map(g->positions[i]),
                               std::hypot(g->transform.m11(), g->transform.m12())});
    return out;
}

const TDrawnGlyph* Glyph(const std::vector<TDrawnGlyph>& gs, QChar ch, int nth = 0)
{
    for (const TDrawnGlyph& g : gs)
        if (g.ch == ch && nth-- == 0)
            return &g;
    return nullptr;
}

// The base record of a text item as a version-150 file holds it: rectangle,
// font, direction; no Visible, SizeIndex or UpsideDown byte.
QByteArray OldMetaRecord()
{
    return Written([](QIODevice& out) {
        WriteStreamRect(out, TRect(10, 20, 110, 60));
        WriteStreamInt32(out, SHIFTJIS_CHARSET);
        WriteStreamStr(QStringLiteral("ＭＳ 明朝"), out);
        WriteStreamInt32(out, 12);
        WriteStreamInt32(out, 0);
        WriteStreamInt32(out, 0);
        WriteStreamByte(out, 1);
    });
}

} // namespace

TEST(BreakAtSpace, SplitsOnlyIntoTwoRealLines)
{
    QString head = QStringLiteral("株式会社") + kSp + QStringLiteral("山田商事"), rest = QStringLiteral("stale");
    EXPECT_TRUE(BreakAtSpace(head, rest));
    EXPECT_EQ(head, QStringLiteral("株式会社"));
    EXPECT_EQ(rest, QStringLiteral("山田商事"));

    // A first part of two characters is never a line of its own.
    const QString shortHead = QStringLiteral("山田") + kSp + QStringLiteral("商事株式会社");
    head = shortHead;
    EXPECT_FALSE(BreakAtSpace(head, rest));
    EXPECT_EQ(head, shortHead);
    EXPECT_TRUE(rest.isEmpty());

    // Three spaces: the one nearest the middle. "AAA_BB_CC_DDD" (13, h = 6):
    // spaces at 4, 7 and 10; 7 is the character at h + 1.
    head = QStringLiteral("あああ") + kSp + QStringLiteral("いい") + kSp + QStringLiteral("うう") + kSp +
           QStringLiteral("えええ");
    EXPECT_TRUE(BreakAtSpace(head, rest));
    EXPECT_EQ(head, QStringLiteral("あああ") + kSp + QStringLiteral("いい"));
    EXPECT_EQ(rest, QStringLiteral("うう") + kSp + QStringLiteral("えええ"));

    // A tie: "AAAA_BBB_CCC" has 12 characters (h = 6), spaces at 5 and 9,
    // both two from 7: the left one wins.
    head = QStringLiteral("ああああ") + kSp + QStringLiteral("いいい") + kSp + QStringLiteral("ううう");
    ASSERT_EQ(head.size(), 12);
    EXPECT_TRUE(BreakAtSpace(head, rest));
    EXPECT_EQ(head, QStringLiteral("ああああ"));
    EXPECT_EQ(rest, QStringLiteral("いいい") + kSp + QStringLiteral("ううう"));

    head = QStringLiteral("空白なし");
    EXPECT_FALSE(BreakAtSpace(head, rest));
    EXPECT_EQ(head, QStringLiteral("空白なし"));
}

TEST(AdditionRectRecord, OldRecordsRenumberFieldsAndKeepTheirVisibleByte)
{
    for (auto [stored, expected] : {std::pair{5, 13}, std::pair{9, 20}, std::pair{2, 2}, std::pair{0, 0}}) {
        QByteArray rec = OldMetaRecord();
        rec.append(char(0)); // its own Visible byte: hidden
        rec.append(char(stored));
        if (stored == 0)
            rec.append(Written([](QIODevice& out) { WriteStreamStr(QStringLiteral("表ソ"), out); }));
        TAdditionRect item;
        EXPECT_EQ(LoadRecord(item, rec, 150), rec.size());
        EXPECT_EQ(item.GetFieldId(), expected) << "stored " << stored;
        EXPECT_FALSE(item.IsVisible());
        EXPECT_EQ(item.GetText(), stored == 0 ? QStringLiteral("表ソ") : QString());
    }
    QByteArray rec = OldMetaRecord();
    rec.append(char(1)); // Visible, then nothing more at version 102
    TAdditionRect item;
    EXPECT_EQ(LoadRecord(item, rec, 102), rec.size());
    EXPECT_EQ(item.GetFieldId(), kAdditionContact1);
    EXPECT_TRUE(item.IsVisible());
}

TEST(AdditionRectRecord, FixedTextRoundTripsAndSurvivesClearing)
{
    TAdditionRect fixed;
    Prepare(fixed, TRect(0, 0, 200, 30), 1);
    fixed.SetText(QStringLiteral("表ソ十能")); // trail bytes 0x5C
    fixed.SetSizeStep(4);
    const QByteArray bytes = SavedRecord(fixed);
    TAdditionRect back;
    EXPECT_EQ(LoadRecord(back, bytes, DrawRectCurrentVersion), bytes.size());
    EXPECT_EQ(back.GetText(), QStringLiteral("表ソ十能"));
    EXPECT_EQ(SavedRecord(back), bytes);

    fixed.ClearContent();
    EXPECT_EQ(fixed.GetText(), QStringLiteral("表ソ十能"));
    TAdditionRect data;
    data.SetFieldId(kAdditionContact1);
    data.SetCaption(QStringLiteral("TEL"));
    data.SetText(QStringLiteral("03-1234-5678"));
    const QByteArray dataBytes = SavedRecord(data);
    data.ClearContent();
    EXPECT_TRUE(data.GetText().isEmpty());
    EXPECT_TRUE(data.GetCaption().isEmpty());
    EXPECT_EQ(SavedRecord(data), dataBytes) << "a data item stores no text";

    // Caption, two spaces and the value on one line.
    data.SetFont(Mincho());
    data.SetVertical(1);
    data.ResetFontHeight();
    data.SetRect(TRect(0, 0, 300, 30));
    data.SetCaption(QStringLiteral("TEL"));
    data.SetText(QStringLiteral("03-1234-5678"));
    data.Refresh(true);
    QString drawn;
    for (const TDrawnGlyph& g : DrawnGlyphs(data))
        drawn += g.ch;
    EXPECT_EQ(drawn, QStringLiteral("TEL  03-1234-5678"));
}

TEST(NameRecords, ReadOlderVersionsAndWriteBackTheSameBytes)
{
    TNameRect name;
    Prepare(name, TRect(5, 5, 105, 305), 0);
    name.SetShowHonor(0);
    name.SetSizeStep(5);
    name.SetName(QStringLiteral("山田 太郎")); // texts are not stored
    const QByteArray bytes = SavedRecord(name);
    TNameRect back;
    EXPECT_EQ(LoadRecord(back, bytes, DrawRectCurrentVersion), bytes.size());
    EXPECT_TRUE(back.GetName().isEmpty());
    EXPECT_EQ(SavedRecord(back), bytes);

    TNameRect old;
    old.SetShowHonor(0);
    EXPECT_EQ(LoadRecord(old, OldMetaRecord(), 150), OldMetaRecord().size());
    EXPECT_EQ(old.GetShowHonor(), 1);

    // Cut short inside the item's own part: an error, never a half value.
    TNameRect cut;
    TFileVersionScope scope(DrawRectCurrentVersion);
    QBuffer in;
    in.setData(bytes.left(bytes.size() - 2));
    in.open(QIODevice::ReadOnly);
    EXPECT_THROW(cut.LoadFromStream(in), EDrawRectStreamError);
    EXPECT_EQ(cut.GetSizeStep(), 3);
}

TEST(NameSetters, NormaliseSeparatorsAndInvalidateOnlyWhatIsDrawn)
{
    EXPECT_EQ(NormalizeNameSeparator(QStringLiteral("山田") + kSp + kSp + QStringLiteral(" 太郎")),
              QStringLiteral("山田 太郎"));
    EXPECT_EQ(NormalizeNameSeparator(QStringLiteral("太郎")), QStringLiteral(" 太郎"));
    EXPECT_EQ(NormalizeNameSeparator(QString()), QString());

    TNameRect item;
    Prepare(item, TRect(0, 0, 60, 300), 0);
    item.SetName(QStringLiteral("山田") + kSp + QStringLiteral("太郎"));
    EXPECT_EQ(item.GetName(), QStringLiteral("山田 太郎"));
    item.SetIgnoreName(1);
    item.SetName(QStringLiteral("山田") + kSp + QStringLiteral("太郎"));
    EXPECT_EQ(item.GetName(), QStringLiteral("山田") + kSp + QStringLiteral("太郎")) << "kept as given";

    item.Refresh(true);
    item.SetName(item.GetName());
    EXPECT_FALSE(item.IsValid()) << "a name always redraws";
    item.Refresh(true);
    item.SetShowHonor(0);
    item.Refresh(true);
    item.SetHonor(QStringLiteral("様"));
    EXPECT_TRUE(item.IsValid()) << "a hidden honorific changes nothing drawn";

    item.SetJointCount(1);
    item.SetJointName(0, QStringLiteral("花子"));
    item.SetJointName(3, QStringLiteral("誰か"));
    item.SetJointHonor(-1, QStringLiteral("様"));
    EXPECT_EQ(item.GetJointCount(), 1);
    EXPECT_EQ(item.GetJointName(0), QStringLiteral(" 花子")) << "joint names are normalised regardless";
    EXPECT_TRUE(item.GetJointName(3).isEmpty());

    item.SetCorp(QStringLiteral("山田商事"));
    item.SetDptmnt(1, QStringLiteral("営業部"));
    item.ClearContent();
    EXPECT_TRUE(item.GetName().isEmpty());
    EXPECT_EQ(item.GetJointCount(), 0);
    EXPECT_EQ(item.GetIgnoreName(), 0);
    EXPECT_TRUE(item.GetCorp().isEmpty());
    EXPECT_TRUE(item.GetDptmnt(1).isEmpty());
}

class NameLayout : public ::testing::Test {
protected:
    void SetUp() override { SetRefDevice(TRefDevice{true, 600, 600, 0, 0}); }
    void TearDown() override { ResetRefDevice(); }

    // Horizontal writing: names are lines, family and given names columns.
    void Render(quint8 align)
    {
        Prepare(item, TRect(0, 0, 320, 90), 1);
        item.SetNameKind(1);
        item.SetName(QStringLiteral("山田 太郎"));
        item.SetHonor(QStringLiteral("様"));
        item.SetJointCount(1);
        item.SetJointName(0, QStringLiteral("佐藤 一"));
        item.SetNameAlign(align);
        item.Refresh(true);
        glyphs = DrawnGlyphs(item);
    }
    TNameRect item;
    std::vector<TDrawnGlyph> glyphs;
};

TEST_F(NameLayout, ShortGivenNameSpreadsOrEndsUnderTheLongOne)
{
    Render(0);
    const TDrawnGlyph* ta = Glyph(glyphs, u'太');
    const TDrawnGlyph* ro = Glyph(glyphs, u'郎');
    const TDrawnGlyph* ichi = Glyph(glyphs, u'一');
    const TDrawnGlyph* ya = Glyph(glyphs, u'山');
    const TDrawnGlyph* sa = Glyph(glyphs, u'佐');
    ASSERT_TRUE(ta && ro && ichi && ya && sa);
    EXPECT_NEAR(ichi->at.x(), (ta->at.x() + ro->at.x()) / 2, 1.0) << "centred under 太郎";
    EXPECT_GT(ichi->at.y(), ta->at.y()) << "the joint name is the second line";
    EXPECT_EQ(ya->at.x(), sa->at.x()) << "family names start together";

    Render(2);
    EXPECT_NEAR(Glyph(glyphs, u'一')->at.x(), Glyph(glyphs, u'郎')->at.x(), 1.0) << "end-aligned";
    Render(7); // from a file: read as centred
    const double centre = Glyph(glyphs, u'太')->at.x();
    const double gap = Glyph(glyphs, u'郎')->at.x() - centre;
    EXPECT_NEAR(Glyph(glyphs, u'一')->at.x(), centre + gap / 2, 1.0);

    // Both names take the main honorific; the note follows it, not over it.
    item.SetNote(QStringLiteral("ご家族"));
    item.Refresh(true);
    const std::vector<TNameRun>& runs = item.LastRuns();
    int honors = 0;
    for (const TNameRun& r : runs)
        honors += r.role == TNameRun::rHonor;
    EXPECT_EQ(honors, 2);
    const auto honor = std::find_if(runs.begin(), runs.end(), [](auto& r) { return r.role == TNameRun::rHonor; });
    const auto note = std::find_if(runs.begin(), runs.end(), [](auto& r) { return r.role == TNameRun::rNote; });
    ASSERT_NE(note, runs.end());
    TScratchCanvas s;
    UseMincho(s.c, honor->height);
    EXPECT_GE(note->at.x(), honor->at.x() + s.c.TextWidth(honor->text));
    EXPECT_GT(note->height, honor->height) << "a smaller (less negative) height";
}

TEST_F(NameLayout, LongHonorificsAreCondensed)
{
    Prepare(item, TRect(0, 0, 400, 60), 1);
    item.SetNameKind(1);
    item.SetName(QStringLiteral("山田 太郎"));
    item.SetHonor(QStringLiteral("御中様"));
    item.Refresh(true);
    glyphs = DrawnGlyphs(item);
    EXPECT_NEAR(Glyph(glyphs, u'御')->stretch, 0.75, 0.01);
    EXPECT_NEAR(Glyph(glyphs, u'山')->stretch, 1.0, 0.01);
    item.SetHonor(QStringLiteral("様"));
    item.Refresh(true);
    glyphs = DrawnGlyphs(item);
    EXPECT_NEAR(Glyph(glyphs, u'様')->stretch, 1.0, 0.01);
}

TEST_F(NameLayout, FourNamesFitAThinFrameAndNoMoreThanSixAreDrawn)
{
    Prepare(item, TRect(0, 0, 60, 400), 0); // vertical: columns across 60 px
    item.SetNameKind(1);
    item.SetName(QStringLiteral("山田 太郎"));
    item.SetJointCount(3);
    for (int i = 0; i < 3; ++i)
        item.SetJointName(i, QStringLiteral("山田 花子"));
    item.Refresh(true);
    std::vector<int> xs;
    qint32 height = 0;
    for (const TNameRun& r : item.LastRuns())
        if (r.role == TNameRun::rName) {
            xs.push_back(r.at.x());
            height = r.height;
        }
    ASSERT_EQ(xs.size(), 4u);
    TScratchCanvas s;
    UseMincho(s.c, height);
    SetFontVertical(s.c.Font());
    const int TH = s.c.TextHeight(QStringLiteral("一"));
    const int breadth = 375 - 2 * 25; // 60 px at 600 dpi, less the margins
    EXPECT_LE(4 * TH + 3 * (TH / 8), breadth);
    EXPECT_EQ(xs[0] - xs[1], TH + TH / 8) << "the main name is the right-hand column";
    EXPECT_GT(xs[0], xs[3]);

    item.SetJointCount(7);
    for (int i = 3; i < 7; ++i)
        item.SetJointName(i, QStringLiteral("山田 次郎"));
    item.Refresh(true);
    int names = 0;
    for (const TNameRun& r : item.LastRuns())
        if (r.role == TNameRun::rName) {
            ++names;
            EXPECT_EQ(r.dx.size(), size_t(r.text.size())) << "one advance per character";
        }
    EXPECT_EQ(names, TNameRect::kMaxNames);
}

TEST_F(NameLayout, CompanyLinesStandBeforeTheNameWithAShortPostOnItsLine)
{
    Prepare(item, TRect(0, 0, 400, 120), 1);
    item.SetNameKind(2);
    item.SetCorp(QStringLiteral("山田商事株式会社"));
    item.SetDptmnt(0, QStringLiteral("営業部"));
    item.SetPost(QStringLiteral("部長"));
    item.SetName(QStringLiteral("山田 太郎"));
    item.SetHonor(QStringLiteral("様"));
    item.Refresh(true);
    const std::vector<TNameRun>& runs = item.LastRuns();
    auto find = [&](const QString& t) {
        return std::find_if(runs.begin(), runs.end(), [&](auto& r) { return r.text == t; });
    };
    const auto corp = find(QStringLiteral("山田商事株式会社"));
    const auto dept = find(QStringLiteral("営業部"));
    const auto post = find(QStringLiteral("部長"));
    const auto name = std::find_if(runs.begin(), runs.end(), [](auto& r) { return r.role == TNameRun::rName; });
    ASSERT_TRUE(corp != runs.end() && dept != runs.end() && post != runs.end() && name != runs.end());
    EXPECT_LT(corp->at.y(), dept->at.y());
    EXPECT_LT(dept->at.y(), name->at.y());
    EXPECT_GT(dept->at.x(), corp->at.x()) << "the department is indented";
    EXPECT_GT(post->at.y(), name->at.y()) << "centred on the name's line";
    EXPECT_GT(name->at.x(), post->at.x());
    EXPECT_LT(-corp->height, -name->height);
    EXPECT_LE(-dept->height, -corp->height);
}

TEST_F(NameLayout, TurnedUpsideDownMirrorsTheInk)
{
    TCorpRect corp;
    Prepare(corp, TRect(0, 0, 300, 40), 1);
    corp.SetCorp(QStringLiteral("山田商事"));
    corp.SetHonor(QStringLiteral("御中"));
    ResetRefDevice();
    corp.Refresh(true);
    const QImage upright = Painted(300, 40, [&](TCanvas& c) { corp.Draw(&c, 0, 0); });
    corp.SetUpsideDown(1);
    const QImage turned = Painted(300, 40, [&](TCanvas& c) { corp.Draw(&c, 0, 0); });
    const QRect a = InkBox(upright), b = InkBox(turned);
    ASSERT_FALSE(a.isNull());
    EXPECT_NEAR(b.left(), 300 - 1 - a.right(), 4);
    EXPECT_NEAR(b.top(), 40 - 1 - a.bottom(), 4);
}

// The name-side harness's seeds: each record reads, writes back the same
// bytes, and a copy made with Assign writes them too (the harness aborts).
#include "support/CorpusReplay.h"
#define NAMERECT_FUZZER_NO_ENTRY
#include "../../fuzz/namerect_fuzzer.cpp"

TEST(NameRecordSeeds, EachRecordAndItsCopyWriteTheSameBytes)
{
    ReplayFuzzCorpus("namerect", 10, namerect_fuzz::OneInput);
}
