// A printer-information file (.pi) as a window restores it: any bytes must
// restore a printer without fault, the kept record must be a whole record of
// the printer's, and saving it again and restoring gives the same bytes.
#include "drawing/objects/PrinterInfo.h"
#include "FuzzSupport.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = [] {
        TPrinterDevice a;
        a.name = QStringLiteral("Fuzz Printer");
        a.papers = {{9, QStringLiteral("A4"), 2100, 2970}, {43, QStringLiteral("はがき"), 1000, 1480},
                    {DMPAPER_USER, QStringLiteral("User"), 0, 0}};
        a.maxUserWidth = 3000;
        Printer().AddVirtualPrinter(a);
        TPrinterDevice b;
        b.name = QStringLiteral("Fuzz Printer with a name longer than thirty-two bytes");
        b.driverVersion = 3;
        b.papers = {{13, QStringLiteral("B5"), 1820, 2570}};
        Printer().AddVirtualPrinter(b);
        return true;
    }();
    (void)once;
    const QString file = FuzzWriteFile(QStringLiteral("x.pi"), data, size < 4096 ? size : 4096);
    TPrinterInfo info(file);
    FuzzCheck(info.GetDevModeSize() == TDevMode::kRecordSize, "kept record is whole");
    FuzzCheck(info.GetOrientation() == 1 || info.GetOrientation() == 2, "orientation in range");
    FuzzCheck(info.GetCopies() >= 1 && info.GetCopies() <= 9999, "copies in range");
    info.Save();
    FuzzCheck(QFile(file).size() == 4 + TDevMode::kRecordSize, "saved file is length word and record");
    TPrinterInfo again(file);
    FuzzCheck(again.GetDevMode().Bytes() == info.GetDevMode().Bytes(), "restore of a saved file is exact");
    return 0;
}
