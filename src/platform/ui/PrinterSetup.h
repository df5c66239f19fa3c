#pragma once
// The window side of printing: the system's printers (CUPS queues, read
// through Qt's print support, documents handed to the spooler through the
// CUPS client library so that a refused job is known) installed into the
// printer object at program start, and the printer-setup dialog behind a
// seam that tests replace.

#include <functional>

class QWidget;

// Makes the system's printers the printer object's real printers.
void InstallSystemPrinters();

// The printer-setup dialog: printer, paper and orientation of the current
// printer. True when the user confirmed; the printer object then holds the
// choice. A handler replaces the dialog (tests); an empty one restores it.
// Returns the handler that was in place.
using TPrinterSetupHandler = std::function<bool(QWidget* owner)>;
TPrinterSetupHandler SetPrinterSetupHandler(TPrinterSetupHandler handler);
bool ExecutePrinterSetup(QWidget* owner);
