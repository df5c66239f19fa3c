#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QAbstractSpinBox>
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

QString ArriveInField(QWidget* field, const QString& before, bool selectAll, TArrival how, const QString& text)
{
    auto* combo = qobject_cast<QComboBox*>(field);
    QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(field);
    for (QWidget* w = field; w->parentWidget(); w = w->parentWidget())
        if (auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget()))
            pages->setCurrentWidget(w);
    field->window()->activateWindow();
    field->setFocus();
    combo ? combo->setEditText(before) : edit->setText(before);
    selectAll ? edit->selectAll() : edit->end(false);
    Arrive(field, edit, how, text);
    return edit->text();
}

std::vector<QWidget*> OneLineInputs(QWidget* window)
{
    std::vector<QWidget*> inputs;
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        if (edit->isReadOnly() || edit->echoMode() != QLineEdit::Normal)
            continue;
        auto* combo = qobject_cast<QComboBox*>(edit->parentWidget());
        if (combo && combo->lineEdit() == edit)
            inputs.push_back(combo);
        else if (!qobject_cast<QAbstractSpinBox*>(edit->parentWidget()))
            inputs.push_back(edit);
    }
    return inputs;
}

QStringList FirstLineMisses(QWidget* window, QString* names)
{
    QStringList misses, seen;
    for (QWidget* field : OneLineInputs(window)) {
        seen << field->objectName();
        for (TArrival how : kEveryArrival) {
            if (how == TArrival::MiddleButton && !QApplication::clipboard()->supportsSelection())
                continue;
            // At the caret of an empty input, and over a selection that is the
            // first line (drops and the middle button go in where they land).
            for (const bool selectAll : {false, true}) {
                if (selectAll && (how == TArrival::Drop || how == TArrival::MiddleButton))
                    continue;
                const QString before = selectAll ? QStringLiteral("12") : QString();
                const QString text = ArriveInField(field, before, selectAll, how, QStringLiteral("12\r\n34"));
                if (text != QStringLiteral("12"))
                    misses << QStringLiteral("%1: %2: %3").arg(field->objectName(), QLatin1String(ArrivalName(how)), text);
            }
        }
    }
    QApplication::clipboard()->clear();
    seen.sort();
    *names = seen.join(u' ');
    return misses;
}
