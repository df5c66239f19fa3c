#pragma once
// A track bar whose owner decides what a click beside the thumb does.
//
// A left press on the thumb drags it as usual, and no MouseDown is raised
// for that press. A press anywhere else takes the focus and raises only
// MouseDown: the bar does not page towards the press by itself, so the
// owner can put the thumb where the press fell (PositionAt). Other buttons
// raise MouseDown and nothing else.
//
// Changed (and the changed signal) follows the end of every user move: a
// drag let go, a key released after moving the thumb, a wheel turn.
//
// Keys: by default Down and Page Down move towards the maximum, as a
// horizontal track bar has always done; with DownIsLeft they move towards
// the minimum.

#include <QRect>
#include <QSlider>

class TExTrackBar : public QSlider {
    Q_OBJECT
    Q_PROPERTY(bool downIsLeft READ DownIsLeft WRITE SetDownIsLeft)
public:
    explicit TExTrackBar(QWidget* parent = nullptr);
    explicit TExTrackBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    bool DownIsLeft() const { return downIsLeft_; }
    void SetDownIsLeft(bool value) { downIsLeft_ = value; }

    // The groove the thumb's centre travels along, in widget coordinates,
    // and the thumb itself.
    QRect ChannelRect() const;
    QRect ThumbRect() const;

    // The position a press at x selects on a channel from left to right:
    // at or before its left end the minimum, at or after its right end the
    // maximum, between them the nearest step (halves away from the left).
    // A channel of no width only ever answers an end.
    static int PositionAt(int x, int left, int right, int minimum, int maximum);

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos);
    void changed();

protected:
    // Called at the end of a user move; sends changed().
    virtual void Changed();

    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void init();

    bool downIsLeft_ = false;
    bool keyMoved_ = false;
};
