#include "platform/ui/MessageBox.h"

#include "platform/ui/DialogKit.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace {

TMessageBoxHandler& handler()
{
    static TMessageBoxHandler h;
    return h;
}

// Qt wraps a long line wherever Unicode allows a break, and in Japanese that
// is between any two characters ("いませ" at the end of one line, "ん" on
// the next). Lines break only where a word ends: at a blank, after a
// Japanese comma or full stop, or at the text's own line breaks; a word
// joiner between any other two characters keeps them on one line. Only a
// line too long for the screen is still cut where it must be.
QString withBreaksBetweenWords(const QString& text)
{
    auto breakable = [](QChar before, QChar after) {
        return before.isSpace() || after.isSpace() || before == u'、' || before == u'。' || before == u'，' ||
               before == u'．' || before.isHighSurrogate();
    };
    QString out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text.at(i);
        if (i + 1 < text.size() && !breakable(text.at(i), text.at(i + 1)))
            out += QChar(0x2060);
    }
    return out;
}

int showReal(const TMessageBoxRequest& r)
{
    QMessageBox box(r.owner ? r.owner->window() : nullptr);
    box.setWindowTitle(r.caption);
    box.setText(withBreaksBetweenWords(r.text));
    box.setTextFormat(Qt::PlainText);
    switch (r.flags & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
    switch (r.flags & 0x0F) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    for (auto& b : buttons)
        box.addButton(b.first);
    size_t def = (r.flags & MB_DEFBUTTON3) ? 2 : (r.flags & MB_DEFBUTTON2) ? 1 : 0;
    if (def < buttons.size())
        box.setDefaultButton(buttons[def].first);
    // Escape answers Cancel where there is one, else No for a Yes/No question.
    if ((r.flags & 0x0F) == MB_YESNO)
        box.setEscapeButton(QMessageBox::No);

    // Qt sizes the box by its text alone; a short text would cut the title.
    // The box keeps the title's width plus the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int title = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(r.caption);
        grid->addItem(new QSpacerItem(title + 100, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0,
                      1, grid->columnCount());
    }
    box.adjustSize();
    if (r.mode == 0)
        CenterFormOnOwner(&box, r.owner);
    else if (r.mode == 1)
        box.move(r.x, r.y);

    QPointer<QWidget> focus = QApplication::focusWidget();
    box.exec();
    if (focus)
        focus->setFocus();
    auto pressed = box.standardButton(box.clickedButton());
    for (auto& b : buttons)
        if (b.first == pressed)
            return b.second;
    return (r.flags & 0x0F) == MB_YESNO ? IDNO : ((r.flags & 0x0F) == MB_OK ? IDOK : IDCANCEL);
}

} // namespace

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler h)
{
    TMessageBoxHandler old = std::move(handler());
    handler() = std::move(h);
    return old;
}

int ShowMessageBoxPos(QWidget* owner, const QString& text, const QString& caption, unsigned flags, int mode,
                      int x, int y)
{
    TMessageBoxRequest r{owner, text, caption, flags, mode, x, y};
    if (handler())
        return handler()(r);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    int answer = showReal(r);
    QApplication::restoreOverrideCursor();
    return answer;
}

int ShowMessage(QWidget* owner, const QString& text, unsigned flags)
{
    return ShowMessageBoxPos(owner, text, kProductTitle, flags, 0);
}

void CenterFormOnOwner(QWidget* form, QWidget* owner)
{
    if (!form)
        return;
    // Centred by the size the dialog will be shown with, then kept on the
    // screen by the one routine every window is placed with.
    const QSize frame = ShownFrameSize(form);
    const QRect around = owner ? owner->window()->frameGeometry() : WorkAreaOf(form->frameGeometry());
    PlaceWindowOnScreen(form, around.topLeft() + QPoint((around.width() - frame.width()) / 2,
                                                        (around.height() - frame.height()) / 2));
}
