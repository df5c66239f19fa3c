// The item records: any bytes read as a text item through the class
// registry, at every layout version, as a designer and a printer meet them.
// A record that reads is written back, read again and written again (the
// second writing gives the same bytes as the first), and the item is drawn
// on a zoomed screen with a clip of its owner's and printed at a printer's
// resolution, all without a sanitizer report.
//
// Input: one byte picks the layout version, one the reference device, one
// the clip side (byte % 5) and the class (byte / 5: the harness's text item,
// the postal code, the address), four the clip line (little-endian), one the
// zoom; the rest is the record. The program's classes are filled with a text
// of their kind before they are drawn. tests/drawing replays the seed corpus under ASan/UBSan.

#include "FuzzDrawItem.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/MetaRect.h"
#include "drawing/objects/PosRect.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// A text item as the designers make them: one line fitted into the item,
// horizontal or in columns, turned on request, and a second run of the
// record's own font ending at the item's right edge.
class TFuzzTextRect : public TMetaRect {
public:
    quint8 GetKind() const override { return ikWord; }
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override
    {
        const QString text = QStringLiteral("東京都港区芝公園４丁目２－８ ABC＜＞ー");
        const bool vertical = Direction == 0;
        TFont font = Font;
        if (vertical)
            SetFontVertical(font);
        else
            SetFontHorizontal(font);
        Canvas.SetFont(font);
        SetCanvasFont(Canvas);
        if (vertical)
            SetFontVertical(Canvas.Font());
        const int along = vertical ? Size.y() : Size.x();
        const int across = vertical ? Size.x() : Size.y();
        Canvas.SetBkMode(gdi::TRANSPARENT);
        if (ScaleCanvasFont(Canvas, across, Canvas.TextHeight(QStringLiteral("一")), false) &&
            ScaleCanvasFont(Canvas, along, Canvas.TextWidth(text), false)) {
            if (UpsideDown)
                RotateFont180(Canvas.Font());
            Canvas.TextOut(vertical ? across : 0, 0, text);
        }
        Canvas.SetFont(Font);
        Canvas.SetTextAlign(gdi::TA_RIGHT | gdi::TA_BOTTOM);
        Canvas.TextOut(Size.x(), Size.y(), text);
        Canvas.FillRect(QRect(0, 0, Size.x(), Size.y()));
    }
};

constexpr const char* kClassNames[] = {"TFuzzTextRect", "TPosRect", "TAddressRect"};

constexpr const char* kHarness = "drawrect_fuzzer";

void Setup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    fuzz_draw_item::Setup();
    RegisterDrawRectClass(TDrawRectClass{kClassNames[0], {ikWord}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                             return std::make_unique<TFuzzTextRect>();
                                         }});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Setup();
    if (size < 8)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 201, 200, 199, 0, -1, DrawRectCurrentVersion + 1};
    static constexpr TRefDevice kDevices[] = {
        {false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 1200, 600, 40, 20}, {true, 300, 300, 0, 0}};
    static constexpr double kZooms[] = {1.0, 1.5, 0.25, 4.0};
    qint32 clipLine;
    std::memcpy(&clipLine, data + 3, 4); // the hosts are little-endian
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const quint8 clipSide = data[2] % 5;
    const char* className = kClassNames[(data[2] / 5) % std::size(kClassNames)];
    const double zoom = kZooms[data[7] % std::size(kZooms)];
    const QByteArray record(reinterpret_cast<const char*>(data) + 8, static_cast<qsizetype>(size - 8));

    const TRefDeviceScope scope(device);
    const fuzz_draw_item::TDrawRun run{
        kHarness, className, version, zoom, QPoint(3, -2), fuzz_draw_item::TPrintAt{QPoint(clipLine % 2000, 15), (clipLine & 1) != 0}};
    fuzz_draw_item::RoundTripAndDraw(run, record, [&](TDrawRect& item) {
        if (auto* pos = dynamic_cast<TPosRect*>(&item)) {
            pos->ResetFontHeight();
            pos->SetPosCode((clipLine & 2) ? QStringLiteral("〒123-4567") : QStringLiteral("12345678"));
        } else if (auto* address = dynamic_cast<TAddressRect*>(&item)) {
            address->SetVertNumeral(static_cast<quint8>((clipLine >> 2) & 1));
            address->ResetFontHeight();
            address->SetAddress(0, QStringLiteral("東京都"));
            address->SetAddress(1, QStringLiteral("港区芝公園４丁目２－８"));
            address->SetAddress(2, QStringLiteral("タワー１２３４５号室"));
        }
        item.SetClipSide(clipSide);
        item.SetClipLine(clipLine);
        return true;
    });
    return 0;
}
