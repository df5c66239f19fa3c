#include "drawing/dialogs/ExTrackBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

TExTrackBar::TExTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) { init(); }

TExTrackBar::TExTrackBar(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) { init(); }

void TExTrackBar::init()
{
    setFocusPolicy(Qt::StrongFocus);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setPageStep(1);
    connect(this, &QSlider::sliderReleased, this, [this] { Changed(); });
}

void TExTrackBar::Changed() { emit changed(); }

QRect TExTrackBar::ChannelRect() const
{
    // The groove less half a thumb at each end: the span the thumb's
    // centre covers from the minimum to the maximum.
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect thumb = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    if (orientation() == Qt::Horizontal) {
        const int half = thumb.width() / 2;
        return QRect(groove.left() + half, groove.top(), groove.width() - thumb.width(), groove.height());
    }
    const int half = thumb.height() / 2;
    return QRect(groove.left(), groove.top() + half, groove.width(), groove.height() - thumb.height());
}

QRect TExTrackBar::ThumbRect() const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

int TExTrackBar::PositionAt(int x, int left, int right, int minimum, int maximum)
{
    if (x <= left)
        return minimum;
    if (x >= right)
        return maximum;
    // Here left < x < right, so the channel has a width. Integer arithmetic
    // keeps exact halves exact.
    const qint64 steps = qint64(maximum) - minimum;
    const qint64 num = qint64(x - left) * steps;
    const qint64 den = qint64(right) - left;
    return int(minimum + (2 * num + den) / (2 * den));
}

void TExTrackBar::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && ThumbRect().contains(pos)) {
        QSlider::mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    event->accept();
    emit MouseDown(event->button(), event->modifiers(), pos);
}

namespace {

bool IsMoveKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

} // namespace

void TExTrackBar::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    // Qt moves a horizontal slider up with Up and Page Up; the track bar has
    // Down (and Page Down) towards the maximum unless DownIsLeft.
    if (!downIsLeft_ && orientation() == Qt::Horizontal && !isSliderDown()) {
        switch (key) {
        case Qt::Key_Up: triggerAction(SliderSingleStepSub); break;
        case Qt::Key_Down: triggerAction(SliderSingleStepAdd); break;
        case Qt::Key_PageUp: triggerAction(SliderPageStepSub); break;
        case Qt::Key_PageDown: triggerAction(SliderPageStepAdd); break;
        default: QSlider::keyPressEvent(event); break;
        }
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown)
            event->accept();
    } else {
        QSlider::keyPressEvent(event);
    }
    // The move ends when the key comes up, as it does for a track bar.
    if (IsMoveKey(key) && event->isAccepted())
        keyMoved_ = true;
}

void TExTrackBar::keyReleaseEvent(QKeyEvent* event)
{
    if (IsMoveKey(event->key()) && keyMoved_ && !event->isAutoRepeat()) {
        keyMoved_ = false;
        Changed();
    }
    QSlider::keyReleaseEvent(event);
}

void TExTrackBar::wheelEvent(QWheelEvent* event)
{
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before)
        Changed();
}
