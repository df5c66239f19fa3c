#include "platform/ui/ColorDialog.h"

#include "platform/ui/DialogSeams.h"

#include <QColorDialog>

namespace {

TColorDialogHandler& dialogHandler()
{
    static TColorDialogHandler h;
    return h;
}

// Without a file the colours are kept for the session.
TCustomColors& sessionColors()
{
    static TCustomColors colors = [] {
        TCustomColors c;
        c.fill(QColor(Qt::black));
        return c;
    }();
    return colors;
}

bool showRealDialog(QWidget* owner, const QColor& initial, TCustomColors& custom, QColor& chosen)
{
    // The dialog reads the shared custom colours when it is built.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, custom[static_cast<size_t>(i)]);
    QColorDialog dialog(initial, owner ? owner->window() : nullptr);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    PlaceCommonDialog(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (int i = 0; i < 16; ++i)
        custom[static_cast<size_t>(i)] = QColorDialog::customColor(i);
    chosen = dialog.selectedColor();
    return true;
}

} // namespace

TColorDialogHandler SetColorDialogHandler(TColorDialogHandler handler)
{
    TColorDialogHandler old = std::move(dialogHandler());
    dialogHandler() = std::move(handler);
    return old;
}

QColor ChooseColor(QWidget* owner, const QColor& initial, bool* ok)
{
    const QString file = CustomColorsFile();
    TCustomColors custom = file.isEmpty() ? sessionColors() : LoadCustomColors(file);
    QColor chosen = initial;
    const bool accepted = dialogHandler() ? dialogHandler()(owner, initial, custom, chosen)
                                          : showRealDialog(owner, initial, custom, chosen);
    // Custom colours changed in a cancelled dialog are let go with it.
    if (accepted && file.isEmpty())
        sessionColors() = custom;
    else if (accepted)
        SaveCustomColors(file, custom);
    if (ok)
        *ok = accepted;
    return accepted ? chosen : initial;
}
