#pragma once
// What the item-record harnesses share: Qt and the item classes set up once,
// a record read through the class registry at a chosen layout version and
// taken round the stored form (written, read back, written again to the same
// bytes), then drawn on a small screen and, if asked, printed at the
// reference device's resolution. The harness fills the item between the
// round trip and the drawing. The tests include the harnesses, so all of this
// also runs inside a test process that already has its application.

#include "FuzzQt.h"
#include "core/common/FontUtils.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/DrawRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

namespace fuzz_draw_item {

// A broken promise of the code under test: said with the harness's name, and
// an abort so that libFuzzer and the sanitizers keep the input.
inline void Check(bool ok, const char* harness, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", harness, what);
        std::abort();
    }
}

// Once a process: the offscreen application (unless a test made one), the
// font substitutes and the program's item classes.
inline void Setup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QCoreApplication::instance())
        FuzzStartQt();
    InstallFontSubstitutes();
    RegisterDrawItemClasses();
}

inline QByteArray Saved(const TDrawRect& item)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    item.SaveToStream(out);
    return out.data();
}

// Reads the record into a new item of the class; nullptr when it does not read.
inline std::unique_ptr<TDrawRect> Loaded(const char* harness, const char* className, const QByteArray& record,
                                         std::optional<double> zoom)
{
    std::unique_ptr<TDrawRect> item = CreateDrawRect(className);
    Check(item != nullptr, harness, "the class is registered");
    if (zoom)
        item->SetZoom(*zoom);
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

// The arguments of PreparePrint; the page is printed at (-1, 1).
struct TPrintAt {
    QPoint origin;
    bool flag = false;
};

struct TDrawRun {
    const char* harness;              // for the messages of Check
    const char* className;            // made through the class registry
    qint32 version;                   // the layout version the record is read at
    std::optional<double> zoom;       // set before reading; none leaves the class's own
    QPoint screenAt;                  // where the item is drawn on the screen
    std::optional<TPrintAt> print;    // none: drawn on the screen only
};

// Reads the record at the run's version and checks the round trip at the
// current one. Then prepare (if given) fills the item and says whether to
// draw it; it is drawn on a 64x64 screen and printed as the run asks. The
// layout version is the caller's again afterwards. Returns the item read, or
// nullptr when the record does not read.
inline std::unique_ptr<TDrawRect> RoundTripAndDraw(const TDrawRun& run, const QByteArray& record,
                                                   const std::function<bool(TDrawRect&)>& prepare = {})
{
    // Idempotent, and again each time: a test in the same process may have
    // taken the classes out of the registry.
    RegisterDrawItemClasses();
    const qint32 savedVersion = DrawRectFileVersion;
    DrawRectFileVersion = run.version;
    std::unique_ptr<TDrawRect> item = Loaded(run.harness, run.className, record, run.zoom);
    DrawRectFileVersion = DrawRectCurrentVersion;
    if (item) {
        const QByteArray first = Saved(*item);
        std::unique_ptr<TDrawRect> again = Loaded(run.harness, run.className, first, run.zoom);
        Check(again != nullptr, run.harness, "a written record reads back");
        Check(Saved(*again) == first, run.harness, "a record read back writes the same bytes");
        if (!prepare || prepare(*item)) {
            QImage screen(64, 64, QImage::Format_RGB32);
            screen.fill(Qt::white);
            {
                QPainter p(&screen);
                TCanvas canvas(p);
                item->Draw(&canvas, run.screenAt.x(), run.screenAt.y());
            }
            if (run.print) {
                item->PreparePrint(run.print->origin, run.print->flag);
                QImage page(64, 64, QImage::Format_RGB32);
                page.fill(Qt::white);
                QPainter p(&page);
                TCanvas canvas(p, RefDevice().dpiX, RefDevice().dpiY);
                item->Print(&canvas, -1, 1);
            }
        }
    }
    DrawRectFileVersion = savedVersion;
    return item;
}

} // namespace fuzz_draw_item
