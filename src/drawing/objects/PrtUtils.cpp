#include "drawing/objects/PrtUtils.h"

#include "platform/Cp932.h"

void LockPrinterDevMode(TPrinterDevModeRec& R)
{
    TPrinter& printer = Printer();
    if (printer.DevMode().IsEmpty())
        printer.SetPrinterIndex(printer.PrinterIndex());
    const TPrinterDevice* dev = printer.Current();
    R.Device = dev ? dev->name : QString();
    R.Driver = dev ? dev->driver : QString();
    R.Port = dev ? dev->port : QString();
    R.DevMode = printer.DevMode();
}

void UnlockPrinterDevMode(TPrinterDevModeRec& R, bool Apply)
{
    if (Apply && !R.DevMode.IsEmpty())
        Printer().ApplyDevMode(R.DevMode);
}

void SelectPrinterPaper(qint16 PaperCode, qint32 Orientation, qint32 Width, qint32 Length)
{
    bool userTried = false;
    {
        TPrinterDevModeLock lock;
        TDevMode& dm = lock.DevMode();
        dm.SetInt16(TDevMode::kScale, 100);
        dm.SetInt16(TDevMode::kOrientation, qint16(Orientation));
        const QList<TPaperInfo> papers = Printer().Papers();
        const auto takeCode = [&dm](qint16 code) {
            dm.SetInt16(TDevMode::kPaperSize, code);
            dm.SetUInt32(TDevMode::kFields, dm.Fields() & ~quint32(DM_PAPERLENGTH | DM_PAPERWIDTH));
        };
        bool done = papers.isEmpty();
        if (!done && PaperCode != 0) {
            for (const TPaperInfo& p : papers)
                if (!done && p.code == PaperCode) {
                    takeCode(PaperCode);
                    done = true;
                }
        }
        if (!done) {
            // A listed paper of exactly the size, never the user size entry.
            for (const TPaperInfo& p : papers)
                if (!done && p.width == Width && p.length == Length && p.code != DMPAPER_USER) {
                    takeCode(p.code);
                    done = true;
                }
        }
        if (!done) {
            for (const TPaperInfo& p : papers)
                if (!done && p.code == DMPAPER_USER) {
                    dm.SetInt16(TDevMode::kPaperSize, DMPAPER_USER);
                    dm.SetInt16(TDevMode::kPaperWidth, qint16(Width));
                    dm.SetInt16(TDevMode::kPaperLength, qint16(Length));
                    dm.SetUInt32(TDevMode::kFields, dm.Fields() | DM_PAPERLENGTH | DM_PAPERWIDTH);
                    userTried = done = true;
                }
        }
        // Scale and orientation are applied also when no paper was found.
        lock.Unlock(true);
    }
    if (!userTried)
        return;
    // The driver may have cut the user size: then the first listed paper.
    TPrinterDevModeLock lock;
    TDevMode& dm = lock.DevMode();
    const QList<TPaperInfo> papers = Printer().Papers();
    if ((dm.PaperWidth() != Width || dm.PaperLength() != Length) && !papers.isEmpty()) {
        dm.SetInt16(TDevMode::kPaperSize, papers.first().code);
        dm.SetUInt32(TDevMode::kFields, dm.Fields() & ~quint32(DM_PAPERLENGTH | DM_PAPERWIDTH));
        lock.Unlock(true);
    } else {
        lock.Unlock(false);
    }
}

void GetPrinterPaperInfo(QString& PrinterName, QString& PaperName, qint32& Orientation)
{
    TPrinterDevModeLock lock;
    const TDevMode& dm = lock.DevMode();
    const QList<TPaperInfo> papers = Printer().Papers();
    if (!papers.isEmpty()) {
        PrinterName = cp932::Trim(lock.Rec().Device);
        for (const TPaperInfo& p : papers)
            if (p.code == dm.PaperSize()) {
                PaperName = cp932::Trim(p.name);
                break;
            }
    }
    Orientation = dm.Orientation();
    lock.Unlock(false);
}
