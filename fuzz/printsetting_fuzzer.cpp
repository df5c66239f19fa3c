// The print settings record as a layout file or undo step hands it over:
// any bytes must read without fault, come back byte for byte when written,
// and give values in range wherever they are used.
#include "drawing/objects/PrintSetting.h"
#include "drawing/objects/StreamIO.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), int(size < 4096 ? size : 4096));

    TPrintSetting s;
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    try {
        s.LoadFromStream(in);
    } catch (const EDrawRectStreamError&) {
        if (input.size() >= TPrintSetting::kSize)
            abort(); // a whole record must read
        return 0;
    }
    if (s.ToBytes() != input.left(TPrintSetting::kSize))
        abort();

    for (const TShortHonor* h : {&s.DefHonor, &s.CorpHonor, &s.PostHonor, &s.SenderHonor}) {
        if (h->TextBytes().size() > TShortHonor::kMaxBytes)
            abort();
        TShortHonor copy = *h;
        copy.SetText(h->Text());
        if (copy.Length > TShortHonor::kMaxBytes)
            abort();
    }
    for (qint32 v : {s.AddressSize, s.NameSize, s.AdditionSize, s.SenderAddressSize, s.SenderNameSize,
                     s.SenderAdditionSize}) {
        const int step = TPrintSetting::SizeStep(v);
        if (step < TPrintSetting::kMinSize || step > TPrintSetting::kMaxSize)
            abort();
    }
    for (qint32 v : {s.CorpRatio, s.DptmntRatio, s.PostRatio}) {
        const double f = TPrintSetting::RatioFraction(v);
        if (f < 0.5 || f > 1.0)
            abort();
    }
    if (TPrintSetting::Align(s.NameAlign) > 3 || TPrintSetting::Align(s.SenderNameAlign) > 3)
        abort();
    return 0;
}
