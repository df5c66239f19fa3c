#pragma once
// The file dialogs, behind a seam that tests replace through a handler (an
// empty handler restores the real dialog; the setter returns the handler
// that was in place), and the placing of the common dialogs.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

struct TFileDialogRequest {
    bool save = false;
    QWidget* owner = nullptr;
    QString caption;
    QString folder;   // initial folder
    QString filter;   // "説明|*.a;*.b|..." as the system writes it, or Qt's "説明 (*.a *.b);;..."
    QString fileName; // proposed name (save dialog)
};
// Answers the chosen file's path, or an empty text for Cancel.
using TFileDialogHandler = std::function<QString(const TFileDialogRequest& request)>;
TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler);

// The open dialog takes only an existing file; the save dialog asks before a
// file is replaced. Both return the absolute path, or empty for Cancel.
QString GetOpenFileName(QWidget* owner, const QString& caption, const QString& folder, const QString& filter);
QString GetSaveFileName(QWidget* owner, const QString& caption, const QString& folder, const QString& filter,
                        const QString& fileName = {});

// The system's filter text ("すべてのファイル (*.*)|*.*") as Qt's name
// filters. "*.*" means every file, as it does on Windows, also those without
// an extension. A text without '|' is taken as Qt's form already.
QStringList QtNameFilters(const QString& filter);

// Puts a file or colour dialog where the system's stand: at the owner
// window's left and top plus 15 pixels, moved back into the work area.
void PlaceCommonDialog(QWidget* dialog, QWidget* owner);
