#pragma once
// What the item-record harnesses share: Qt and the item classes set up once,
// a record read through the class registry at a chosen layout version and
// taken round the stored form (written, read back, written again to the same
// bytes), copied with Assign (the copy writes the same bytes), then drawn on a small screen and, if asked, printed at the
// reference device's resolution. The harness fills the item between the
// round trip and the drawing. The tests include the harnesses, so all of this
// also runs inside a test process that already has its application.

#include "FuzzQt.h"
#include "core/common/FontUtils.h"
#include "drawing/objects/DrawItems.h"
#include "drawing/objects/DrawRect.h"
#include "drawing/objects/SenderRect.h"
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

// A copy made with Assign into a new item of the class writes the same
// record as the original: a field Assign forgets is lost whenever an item is
// copied, pasted or undone.
inline void CheckCopy(const TDrawRun& run, const TDrawRect& item)
{
    std::unique_ptr<TDrawRect> copy = CreateDrawRect(run.className);
    if (run.zoom)
        copy->SetZoom(*run.zoom);
    copy->Assign(item);
    QByteArray original = Saved(item);
    // A sender block's edit mode and current child are the designer's, not
    // the item's: a copy starts as a whole block with none.
    if (const auto* sender = dynamic_cast<const TSenderRect*>(&item);
        sender && (!sender->GetWholeBlock() || sender->GetCurrentChild())) {
        std::unique_ptr<TDrawRect> expected = Loaded(run.harness, run.className, original, run.zoom);
        auto* s = dynamic_cast<TSenderRect*>(expected.get());
        Check(s != nullptr, run.harness, "a written record reads back");
        s->SetWholeBlock(true);
        s->ClearCurrentChild();
        original = Saved(*s);
    }
    const QByteArray copied = Saved(*copy);
    if (copied != original)
        std::fprintf(stderr, "%s: %s writes\n  %s\nits copy\n  %s\n", run.harness, run.className,
                     original.toHex(' ').constData(), copied.toHex(' ').constData());
    Check(copied == original, run.harness, "an item copied with Assign writes the same bytes");
}

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
        CheckCopy(run, *item);
        if (!prepare || prepare(*item)) {
            CheckCopy(run, *item);
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
