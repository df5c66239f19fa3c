#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <QInputMethodEvent>
#include <QKeyEvent>

void CommitText(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

void TypeChars(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

TMessageRecorder::TMessageRecorder()
{
    previous_ = SetMessageBoxHandler([this](const TMessageBoxRequest& r) {
        messages_.push_back(r);
        if (!answers_.empty()) {
            int a = answers_.front();
            answers_.pop_front();
            return a;
        }
        switch (r.flags & 0x0F) {
        case MB_YESNO:
        case MB_YESNOCANCEL: return int(IDYES);
        default: return int(IDOK);
        }
    });
}

TMessageRecorder::~TMessageRecorder() { SetMessageBoxHandler(std::move(previous_)); }

const char* ArrivalName(TArrival how)
{
    static const char* const names[] = {"Ctrl+V", "Shift+Insert", "menu paste", "input-method commit", "drop",
                                        "middle button"};
    return names[int(how)];
}

void Arrive(QWidget* focus, QLineEdit* edit, TArrival how, const QString& text)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(text);
    const QPoint at = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    switch (how) {
    case TArrival::PasteKey:
        QTest::keySequence(focus, QKeySequence::Paste);
        break;
    case TArrival::ShiftInsert:
        QTest::keyClick(focus, Qt::Key_Insert, Qt::ShiftModifier);
        break;
    case TArrival::MenuPaste: {
        const QPoint local = edit->mapTo(focus, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, local, focus->mapToGlobal(local));
        QApplication::sendEvent(focus, &menuEvent);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            ADD_FAILURE() << "no context menu";
            return;
        }
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QLineEdit::tr("&Paste")))
                action->trigger();
        menu->close();
        break;
    }
    case TArrival::Commit:
        CommitText(focus, text);
        break;
    case TArrival::Drop: {
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &drop);
        break;
    }
    case TArrival::MiddleButton:
        if (!clipboard->supportsSelection())
            break;
        clipboard->setText(text, QClipboard::Selection);
        QTest::mouseClick(edit, Qt::MiddleButton, {}, at);
        break;
    }
}

QString ArriveInComboBox(QComboBox* combo, const QString& before, bool selectAll, TArrival how, const QString& text)
{
    for (QWidget* w = combo; w->parentWidget(); w = w->parentWidget())
        if (auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget()))
            pages->setCurrentWidget(w);
    combo->window()->activateWindow();
    combo->setFocus();
    combo->setEditText(before);
    selectAll ? combo->lineEdit()->selectAll() : combo->lineEdit()->end(false);
    Arrive(combo, combo->lineEdit(), how, text);
    return combo->currentText();
}
