#include "support/TestSupport.h"

#include <QApplication>
#include <QWidget>
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
