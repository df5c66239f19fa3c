#include "platform/ui/DialogSeams.h"

#include "platform/ui/DialogKit.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

TFileDialogHandler& fileDialogHandler()
{
    static TFileDialogHandler h;
    return h;
}

QString showFileDialog(const TFileDialogRequest& r)
{
    QFileDialog dialog(r.owner ? r.owner->window() : nullptr, r.caption, r.folder);
    // Qt's own dialog, so it can be placed as the system places its dialogs.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions name their patterns themselves, as they always have.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = QtNameFilters(r.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (r.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!r.fileName.isEmpty())
            dialog.selectFile(r.fileName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    PlaceCommonDialog(&dialog, r.owner);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString fileDialog(const TFileDialogRequest& request)
{
    const QString chosen = fileDialogHandler() ? fileDialogHandler()(request) : showFileDialog(request);
    return chosen.isEmpty() ? chosen : QFileInfo(chosen).absoluteFilePath();
}

} // namespace

TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler)
{
    TFileDialogHandler old = std::move(fileDialogHandler());
    fileDialogHandler() = std::move(handler);
    return old;
}

QString GetOpenFileName(QWidget* owner, const QString& caption, const QString& folder, const QString& filter)
{
    return fileDialog({false, owner, caption, folder, filter, {}});
}

QString GetSaveFileName(QWidget* owner, const QString& caption, const QString& folder, const QString& filter,
                        const QString& fileName)
{
    return fileDialog({true, owner, caption, folder, filter, fileName});
}

QStringList QtNameFilters(const QString& filter)
{
    if (filter.isEmpty())
        return {};
    if (!filter.contains(u'|'))
        return filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            // On Windows "*.*" also matches names without a dot.
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        patterns.removeDuplicates();
        result << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

void PlaceCommonDialog(QWidget* dialog, QWidget* owner)
{
    if (!dialog || !owner)
        return;
    PlaceWindowOnScreen(dialog, owner->window()->frameGeometry().topLeft() + QPoint(15, 15));
}
