// The free-text records: any bytes read as a free text at every layout
// version, as a designer and a printer meet them. A record that reads is
// written back, read again and written again (the second writing gives the
// same bytes as the first), and the item is rendered on a zoomed screen and
// printed at a printer's resolution, all without a sanitizer report. A line
// count the record cannot hold must be refused before anything is
// allocated for it.
//
// Input: one byte picks the layout version, one the reference device, one
// the zoom; the rest is the record. tests/drawing replays the seed corpus
// under ASan/UBSan.

#include "core/common/FontUtils.h"
#include "drawing/objects/StreamIO.h"
#include "drawing/objects/WordRect.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

void CheckWord(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "wordrect_fuzzer: %s\n", what);
        std::abort();
    }
}

void SetupWord()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "wordrect_fuzzer";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* app = new QGuiApplication(argc, argv); // lives as long as the process
        (void)app;
    }
    InstallFontSubstitutes();
}

QByteArray SavedWord(const TWordRect& item)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    item.SaveToStream(out);
    return out.data();
}

std::unique_ptr<TWordRect> LoadedWord(const QByteArray& record, double zoom)
{
    auto item = std::make_unique<TWordRect>();
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
    SetupWord();
    if (size < 3)
        return 0;
    static constexpr qint32 kVersions[] = {DrawRectCurrentVersion, 501, 500, 400, 200, 199, 0};
    static constexpr TRefDevice kDevices[] = {{false, 96, 96, 0, 0}, {true, 600, 600, 0, 0}, {true, 300, 300, 0, 0}};
    static constexpr double kZooms[] = {1.0, 1.5, 0.25};
    const qint32 version = kVersions[data[0] % std::size(kVersions)];
    const TRefDevice& device = kDevices[data[1] % std::size(kDevices)];
    const double zoom = kZooms[data[2] % std::size(kZooms)];
    const QByteArray record(reinterpret_cast<const char*>(data) + 3, static_cast<qsizetype>(size - 3));

    const TRefDeviceScope scope(device);
    const qint32 savedVersion = DrawRectFileVersion;
    DrawRectFileVersion = version;
    std::unique_ptr<TWordRect> item = LoadedWord(record, zoom);
    DrawRectFileVersion = DrawRectCurrentVersion;
    if (item) {
        const QByteArray first = SavedWord(*item);
        std::unique_ptr<TWordRect> again = LoadedWord(first, zoom);
        CheckWord(again != nullptr, "a written record reads back");
        CheckWord(SavedWord(*again) == first, "a record read back writes the same bytes");
        // Big items would only make the run slow, not reach other code.
        const TRect r = item->GetRect();
        if (r.Width() > 0 && r.Height() > 0 && r.Width() <= 2000 && r.Height() <= 2000) {
            QImage screen(64, 64, QImage::Format_RGB32);
            screen.fill(Qt::white);
            {
                QPainter p(&screen);
                TCanvas canvas(p);
                item->Draw(&canvas, 0, 0);
            }
        }
    }
    DrawRectFileVersion = savedVersion;
    return 0;
}
