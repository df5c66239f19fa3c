#include "platform/ui/FileDD.h"

#include "platform/Cp932.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

TFileDD::TFileDD(QWidget* Control)
{
    if (Control)
        Register(Control);
}

TFileDD::~TFileDD() { Revoke(); }

void TFileDD::Register(QWidget* Control)
{
    Revoke();
    control_ = Control;
    Control->setAcceptDrops(true);
    Control->installEventFilter(this);
}

void TFileDD::Revoke()
{
    if (control_) {
        control_->removeEventFilter(this);
        control_->setAcceptDrops(false);
    }
    control_.clear();
    format_ = TFormat::None;
}

qint32 TFileDD::KeyState(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers)
{
    qint32 state = 0;
    if (Buttons & Qt::LeftButton)
        state |= MK_LBUTTON;
    if (Buttons & Qt::RightButton)
        state |= MK_RBUTTON;
    if (Buttons & Qt::MiddleButton)
        state |= MK_MBUTTON;
    if (Modifiers & Qt::ShiftModifier)
        state |= MK_SHIFT;
    if (Modifiers & Qt::ControlModifier)
        state |= MK_CONTROL;
    if (Modifiers & Qt::AltModifier)
        state |= MK_ALT;
    return state;
}

QStringList TFileDD::FilesOf(const QMimeData* Data)
{
    QStringList files;
    if (!Data || !Data->hasUrls())
        return files;
    for (const QUrl& url : Data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile(); // whole, however long the path
    return files;
}

TFileDD::TFormat TFileDD::formatOf(const QMimeData* Data)
{
    if (!FilesOf(Data).isEmpty())
        return TFormat::Files;
    if (Data && Data->hasText())
        return TFormat::Text;
    return TFormat::None;
}

bool TFileDD::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != control_.data())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* e = static_cast<QDragEnterEvent*>(event);
        format_ = formatOf(e->mimeData());
        if (format_ == TFormat::None) {
            e->ignore();
        } else {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (format_ == TFormat::None) {
            e->ignore();
        } else {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        }
        return true;
    }
    case QEvent::DragLeave:
        format_ = TFormat::None;
        return true;
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const TFormat format = format_;
        format_ = TFormat::None;
        if (format == TFormat::None) {
            e->ignore();
            return true;
        }
        qint32 effect = DROPEFFECT_COPY;
        const qint32 keys = KeyState(e->buttons(), e->modifiers());
        const QPoint pt = control_->mapToGlobal(e->position().toPoint());
        if (format == TFormat::Files) {
            if (OnDropFiles)
                OnDropFiles(FilesOf(e->mimeData()), keys, pt, effect);
        } else if (OnDropText) {
            OnDropText(cp932::Trim(e->mimeData()->text()), keys, pt, effect);
        }
        if (effect == DROPEFFECT_NONE) {
            e->ignore();
        } else {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        }
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
