#pragma once
// Routines on the program's current printer: choosing the paper a paper
// format asks for, and reporting printer, paper and orientation for the
// print dialogs.

#include "platform/Printer.h"

#include <QString>

// The current printer's names and a working copy of its settings record.
struct TPrinterDevModeRec {
    QString Device;
    QString Driver;
    QString Port;
    TDevMode DevMode;
};

// Fills R from the current printer (fetching its settings first when it has
// none yet).
void LockPrinterDevMode(TPrinterDevModeRec& R);
// With Apply, the driver validates R's record and it becomes the printer's.
void UnlockPrinterDevMode(TPrinterDevModeRec& R, bool Apply);

// Pairs a lock with exactly one unlock: Unlock() once, or the destructor
// unlocks without applying (also when an exception passes).
class TPrinterDevModeLock {
public:
    TPrinterDevModeLock() { LockPrinterDevMode(rec_); }
    ~TPrinterDevModeLock()
    {
        if (locked_)
            UnlockPrinterDevMode(rec_, false);
    }
    TPrinterDevModeLock(const TPrinterDevModeLock&) = delete;
    TPrinterDevModeLock& operator=(const TPrinterDevModeLock&) = delete;

    TPrinterDevModeRec& Rec() { return rec_; }
    TDevMode& DevMode() { return rec_.DevMode; }
    void Unlock(bool Apply)
    {
        if (locked_) {
            locked_ = false;
            UnlockPrinterDevMode(rec_, Apply);
        }
    }

private:
    TPrinterDevModeRec rec_;
    bool locked_ = true;
};

// Selects on the current printer the paper of PaperCode (0: by size), in
// Orientation (1 portrait, 2 landscape), of Width x Length in 0.1 mm: by
// code, else a listed paper of exactly that size, else a user size (and the
// first listed paper when the driver does not keep the user size).
void SelectPrinterPaper(qint16 PaperCode, qint32 Orientation, qint32 Width, qint32 Length);

// For display: the printer's name and its current paper's name (PaperName
// stays as it was when the printer lists no such paper) and orientation.
void GetPrinterPaperInfo(QString& PrinterName, QString& PaperName, qint32& Orientation);
