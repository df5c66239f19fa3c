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

#include "core/common/FontUtils.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/DrawRect.h"
#include "drawing/objects/MetaRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "drawrect_fuzzer: %s\n", what);
        std::abort();
    }
}

void Setup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "drawrect_fuzzer";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* app = new QGuiApplication(argc, argv); // lives as long as the process
        (void)app;
    }
    InstallFontSubstitutes();
    RegisterDrawRectClass(TDrawRectClass{kClassNames[0], {ikWord}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                             return std::make_unique<TFuzzTextRect>();
                                         }});
}

QByteArray Saved(const TDrawRect& item)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    item.SaveToStream(out);
    return out.data();
}

// Reads the record into a new item of the class; nullptr when it does not read.
std::unique_ptr<TDrawRect> Loaded(const char* className, const QByteArray& record, double zoom)
{
    std::unique_ptr<TDrawRect> item = CreateDrawRect(className);
    Check(item != nullptr, "the class is registered");
    item->SetZoom(zoom);
    QBuffer in;
    in.setData(record);
    in.open(QIODevice::ReadOnly);
    try {
        item->LoadFromStream(in);
    } catch (const EDrawRectStreamError&) {
        return nullptr;
    }
    return item;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Setup();
    // Idempotent, and again each time: a test in the same process may have
    // taken the classes out of the registry.
    RegisterDrawItemClasses();
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
    DrawRectFileVersion = version;
    std::unique_ptr<TDrawRect> item = Loaded(className, record, zoom);
    if (!item)
        return 0;
    const QByteArray first = Saved(*item);
    DrawRectFileVersion = DrawRectCurrentVersion;
    std::unique_ptr<TDrawRect> again = Loaded(className, first, zoom);
    Check(again != nullptr, "a written record reads back");
    Check(Saved(*again) == first, "a record read back writes the same bytes");

    if (auto* pos = dynamic_cast<TPosRect*>(item.get())) {
        pos->ResetFontHeight();
        pos->SetPosCode((clipLine & 2) ? QStringLiteral("〒123-4567") : QStringLiteral("12345678"));
    } else if (auto* address = dynamic_cast<TAddressRect*>(item.get())) {
        address->SetVertNumeral(static_cast<quint8>((clipLine >> 2) & 1));
        address->ResetFontHeight();
        address->SetAddress(0, QStringLiteral("東京都"));
        address->SetAddress(1, QStringLiteral("港区芝公園４丁目２－８"));
        address->SetAddress(2, QStringLiteral("タワー１２３４５号室"));
    }
    item->SetClipSide(clipSide);
    item->SetClipLine(clipLine);
    QImage screen(64, 64, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        TCanvas canvas(p);
        item->Draw(&canvas, 3, -2);
    }
    item->PreparePrint(QPoint(clipLine % 2000, 15), (clipLine & 1) != 0);
    QImage page(64, 64, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        TCanvas canvas(p, device.dpiX, device.dpiY);
        item->Print(&canvas, -1, 1);
    }
    return 0;
}
