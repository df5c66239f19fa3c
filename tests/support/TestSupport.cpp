#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
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

void Arrive(QWidget* focus, QLineEdit* edit, TArrival how, const QString& text)
{
    QApplication::clipboard()->setText(text);
    QMimeData mime;
    mime.setText(text);
    const QPoint at = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    if (how == TArrival::PasteKey) {
        QTest::keySequence(focus, QKeySequence::Paste);
    } else if (how == TArrival::ShiftInsert) {
        QTest::keyClick(focus, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (how == TArrival::MenuPaste) {
        const QPoint local = edit->mapTo(focus, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, local, focus->mapToGlobal(local));
        QApplication::sendEvent(focus, &menuEvent);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no context menu";
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QLineEdit::tr("&Paste")))
                action->trigger();
        menu->close();
    } else if (how == TArrival::Commit) {
        CommitText(focus, text);
    } else if (how == TArrival::Drop) {
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &drop);
    } else {
        QApplication::clipboard()->setText(text, QClipboard::Selection);
        QTest::mouseClick(edit, Qt::MiddleButton, {}, at);
    }
}

Qt::DropAction DragSelection(QPlainTextEdit* source, QWidget* target, QPoint at)
{
    QMimeData mime;
    mime.setText(source->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
    QWidget* receiver = target;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(target))
        receiver = area->viewport();
    // Shift asks for the move the platform proposes for a plain drag from
    // one field to another (offscreen it would propose a copy).
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(receiver, &enter);
    QDragMoveEvent move(at, actions, &mime, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(receiver, &move);
    QDropEvent drop(QPointF(at), actions, &mime, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(drop.proposedAction(), Qt::MoveAction);
    QApplication::sendEvent(receiver, &drop);
    const Qt::DropAction result = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    if (result == Qt::MoveAction) {
        QTextCursor cursor = source->textCursor();
        cursor.removeSelectedText();
        source->setTextCursor(cursor);
    }
    return result;
}

void ExpectFirstLineEverywhere(QWidget* window, int inputs)
{
    static const char* const ways[] = {"Ctrl+V", "Shift+Insert", "menu paste", "commit", "drop", "middle button"};
    QStringList names;
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        if (edit->isReadOnly() || edit->echoMode() != QLineEdit::Normal ||
            qobject_cast<QAbstractSpinBox*>(edit->parentWidget()))
            continue;
        auto* combo = qobject_cast<QComboBox*>(edit->parentWidget());
        QWidget* field = combo ? static_cast<QWidget*>(combo) : edit;
        names << field->objectName();
        for (QWidget* w = field; w->parentWidget(); w = w->parentWidget()) // its page brought forward
            if (auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget()))
                pages->setCurrentWidget(w);
        for (int way = 0; way <= int(TArrival::MiddleButton); ++way) {
            // A drop and the middle button go in where they land, never over a selection.
            for (const bool selectAll : {false, true}) {
                const auto how = TArrival(way);
                if ((selectAll && how >= TArrival::Drop) ||
                    (how == TArrival::MiddleButton && !QApplication::clipboard()->supportsSelection()))
                    continue;
                field->window()->activateWindow();
                field->setFocus();
                edit->setText(selectAll ? QStringLiteral("12") : QString());
                selectAll ? edit->selectAll() : edit->end(false);
                Arrive(field, edit, how, QStringLiteral("12\r\n34"));
                EXPECT_EQ(edit->text(), QStringLiteral("12")) << field->objectName().toStdString() << ": " << ways[way];
            }
        }
    }
    QApplication::clipboard()->clear();
    names.sort();
    EXPECT_EQ(names.size(), inputs) << names.join(u' ').toStdString();
}
