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
#include <QTimer>
#include <memory>
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

namespace {

// Drags the selection of a memo onto `target` (a line edit, or a memo's
// viewport side: pass the memo) at `at`, proposing a move as a plain drag
// between two fields does, and ends the drag as the memo does when its drag
// returns: a drop that ended as a move deletes the selection from the source.
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

} // namespace

const char* const kArrivalNames[] = {"Ctrl+V", "Shift+Insert", "menu paste", "commit", "drop", "middle button", "keys"};

QString TextOf(const QWidget* input)
{
    return input->property(qobject_cast<const QLineEdit*>(input) ? "text" : "plainText").toString();
}

Qt::DropAction Arrive(QWidget* focus, QWidget* input, TArrival how, const QString& text)
{
    Qt::DropAction dropped = Qt::IgnoreAction;
    QApplication::clipboard()->setText(text);
    const QPoint at = input->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    if (how == TArrival::PasteKey) {
        QTest::keySequence(focus, QKeySequence::Paste);
    } else if (how == TArrival::ShiftInsert) {
        QTest::keyClick(focus, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (how == TArrival::MenuPaste) {
        // An edit's menu pops up; a spin box's runs a loop of its own.
        auto done = std::make_shared<bool>(false);
        const auto pick = [done] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (*done || !menu)
                return;
            *done = true;
            for (QAction* action : menu->actions())
                if (action->objectName() == QStringLiteral("edit-paste") || action->text().startsWith(QLineEdit::tr("&Paste")))
                    action->trigger();
            menu->close();
        };
        QTimer::singleShot(0, pick);
        const QPoint local = input->mapTo(focus, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, local, focus->mapToGlobal(local));
        QApplication::sendEvent(focus, &menuEvent);
        pick();
        EXPECT_TRUE(*done) << "no context menu";
    } else if (how == TArrival::Commit) {
        CommitText(focus, text);
    } else if (how == TArrival::Drop) {
        static QPlainTextEdit* const source = new QPlainTextEdit; // a memo of a window of its own
        source->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        source->selectAll();
        const QString given = source->toPlainText();
        dropped = DragSelection(source, input, qobject_cast<QPlainTextEdit*>(input) ? QPoint(4, 4) : at);
        if (dropped == Qt::MoveAction)
            EXPECT_TRUE(TextOf(input).contains(given)) << "a move of what was not all taken";
        else
            EXPECT_EQ(source->toPlainText(), given) << "the source lost what it gave";
    } else if (how == TArrival::MiddleButton) {
        QApplication::clipboard()->setText(text, QClipboard::Selection);
        // A memo takes the mouse on its viewport, not on its frame.
        auto* area = qobject_cast<QAbstractScrollArea*>(input);
        QWidget* target = area ? area->viewport() : input;
        QTest::mouseClick(target, Qt::MiddleButton, {}, input->mapTo(target->window(), at) - target->mapTo(target->window(), QPoint()));
    } else {
        TypeChars(focus, text);
    }
    QCoreApplication::processEvents();
    return dropped;
}

void ExpectFirstLineEverywhere(QWidget* window, int inputs)
{
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
                EXPECT_EQ(edit->text(), QStringLiteral("12")) << field->objectName().toStdString() << ": " << kArrivalNames[way];
            }
        }
    }
    QApplication::clipboard()->clear();
    names.sort();
    EXPECT_EQ(names.size(), inputs) << names.join(u' ').toStdString();
}
