#pragma once
// Every message of the system goes through ShowMessageBoxPos: centred over the
// owning window, titled with the product title, the text shown exactly as
// stored. Tests replace the box through SetMessageBoxHandler, read what would
// have been shown and give the answer.

#include <QString>
#include <functional>

class QWidget;

inline const QString kProductTitle = QStringLiteral("Pelcano2016 Ver.21 Kevtra Special");

// Button and icon flags, with the values Windows gave them.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};
// Answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct TMessageBoxRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    unsigned flags = 0;
    int mode = 0; // 0 centred over the owner, 1 at x/y, 2 where the system puts it
    int x = 0;
    int y = 0;
};

using TMessageBoxHandler = std::function<int(const TMessageBoxRequest&)>;

// Replaces the real box (tests); an empty handler restores it. Returns the
// handler that was in place.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

int ShowMessageBoxPos(QWidget* owner, const QString& text, const QString& caption, unsigned flags,
                      int mode = 0, int x = 0, int y = 0);

// Shorthand used everywhere: the product title as caption, centred on the owner.
int ShowMessage(QWidget* owner, const QString& text, unsigned flags);

// Places a dialog centred over its owner, kept inside the owner's screen work
// area; without an owner, centred in the work area.
void CenterFormOnOwner(QWidget* form, QWidget* owner);
