#pragma once
// Printing in the running program: the system's printers go into the
// printer object, and the print dialogs read the main window's rows,
// selection and print marks.

class TAddressList;

void WirePrinting(TAddressList& window);
