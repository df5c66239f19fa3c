#include "platform/ui/DialogKit.h"

#include "platform/ui/MessageBox.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTabBar>
#include <QTextEdit>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

// ---------------------------------------------------------------------------
// Enter moves the focus on

namespace {

bool isEnterKey(const QKeyEvent* e)
{
    return (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
           (e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == Qt::NoModifier;
}

// An unchecked radio button is passed over while another button of its
// exclusive group is chosen: Tab enters a group at its chosen button.
bool isSkippedRadio(const QWidget* w)
{
    auto* radio = qobject_cast<const QRadioButton*>(w);
    if (!radio || radio->isChecked() || !radio->autoExclusive() || !radio->parentWidget())
        return false;
    const auto siblings = radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    for (const QRadioButton* other : siblings)
        if (other != radio && other->autoExclusive() && other->isChecked())
            return true;
    return false;
}

bool canTakeTabFocus(QWidget* w, const QWidget* window)
{
    return w != window && w->window() == window && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
           !w->focusProxy() && w->isEnabled() && w->isVisibleTo(window) && !isSkippedRadio(w);
}

QLineEdit* singleLineEditOf(QWidget* w)
{
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit;
    if (qobject_cast<QAbstractSpinBox*>(w))
        return w->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    return nullptr;
}

} // namespace

QWidget* NextTabControl(QWidget* from)
{
    if (!from)
        return nullptr;
    QWidget* window = from->window();
    for (QWidget* w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain())
        if (canTakeTabFocus(w, window))
            return w;
    return nullptr;
}

void FocusControl(QWidget* control)
{
    if (!control)
        return;
    control->setFocus(Qt::TabFocusReason);
    if (QLineEdit* edit = singleLineEditOf(control))
        edit->setCursorPosition(static_cast<int>(edit->text().size())); // also drops the selection
}

TEnterKeyFilter::TEnterKeyFilter(QWidget* window) : QObject(window), window_(window)
{
    // Key presses go to the focused control, not to the window: watch them
    // application-wide and act only on controls of this window.
    qApp->installEventFilter(this);
}

TEnterKeyFilter* TEnterKeyFilter::Install(QWidget* window)
{
    if (auto* existing = window->findChild<TEnterKeyFilter*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new TEnterKeyFilter(window);
}

void TEnterKeyFilter::SetNext(QWidget* from, QWidget* to) { next_.insert(from, to); }

void TEnterKeyFilter::Keep(QWidget* control) { keep_.append(control); }

bool TEnterKeyFilter::takesEnter(QWidget* w) const
{
    for (QWidget* p = w; p && p != window_; p = p->parentWidget()) {
        for (const auto& kept : keep_)
            if (kept == p)
                return true;
        // Editors inside lists and grids commit with Enter.
        if (p != w && qobject_cast<QAbstractItemView*>(p))
            return true;
    }
    if (qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))
        return true;
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return !qobject_cast<QCheckBox*>(button) && !qobject_cast<QRadioButton*>(button);
    return false;
}

bool TEnterKeyFilter::MoveFocusFrom(QWidget* from)
{
    QWidget* target = nullptr;
    auto named = next_.constFind(from);
    if (named != next_.constEnd() && *named) {
        target = *named;
        if (!canTakeTabFocus(target, window_))
            target = NextTabControl(target);
    } else {
        target = NextTabControl(from);
    }
    if (!target)
        return false;
    FocusControl(target);
    return true;
}

bool TEnterKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    // The event also travels up to the parents of the focused control; act
    // once, on the control itself.
    if (w != QApplication::focusWidget() || w->window() != window_ || !isEnterKey(static_cast<QKeyEvent*>(event)))
        return false;
    if (auto* claimant = dynamic_cast<TEnterKeyClaimant*>(w);
        claimant && claimant->ClaimEnterKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    if (takesEnter(w))
        return false;
    MoveFocusFrom(w);
    return true;
}

// ---------------------------------------------------------------------------
// Windows kept on the screen

namespace {

// The frame's widths around the client area: the window's own once the
// window system told them, else those of another shown window.
QMargins frameMargins(const QWidget* window)
{
    auto margins = [](const QWidget* w) {
        const QRect frame = w->frameGeometry();
        const QRect client = w->geometry();
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    };
    if (window->isVisible() || window->testAttribute(Qt::WA_WState_Created)) {
        const QMargins own = margins(window);
        if (!own.isNull() || window->isVisible())
            return own;
    }
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible() && !(other->windowFlags() & Qt::FramelessWindowHint)) {
            const QMargins m = margins(other);
            if (!m.isNull())
                return m;
        }
    return {};
}

TWorkAreaHandler& workAreaHandler()
{
    static TWorkAreaHandler h;
    return h;
}

// Polish, layout and size as QWidget::show() gives them, so a dialog is
// placed by the size it will have rather than the 100 x 30 of a fresh child.
void layOutForShowing(QWidget* window)
{
    if (window->isVisible())
        return;
    window->ensurePolished();
    if (QLayout* layout = window->layout())
        layout->activate();
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
}

void keepOnScreen(QWidget* window, QPoint at)
{
    layOutForShowing(window);
    const QMargins m = frameMargins(window);
    QSize frame = window->size().grownBy(m);
    const QRect area = WorkAreaOf(QRect(at, frame));
    if (area.isEmpty())
        return;
    if (frame.width() > area.width() || frame.height() > area.height()) {
        // Larger than the screen with its frame: as large as fits.
        const QSize client = frame.boundedTo(area.size()).shrunkBy(m).expandedTo(window->minimumSize());
        if (client != window->size())
            window->resize(client);
        frame = window->size().grownBy(m);
    }
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.left() + area.width() - frame.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.top() + area.height() - frame.height())));
    if (window->pos() != at)
        window->move(at);
}

// Checks the window again once it is shown with its frame, then goes.
class TShownCheck : public QObject {
public:
    static constexpr const char* kName = "telvoraShownCheck";
    explicit TShownCheck(QWidget* window) : QObject(window), window_(window)
    {
        setObjectName(QLatin1String(kName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Show) {
            window_->removeEventFilter(this);
            // The frame is known after the window system has placed it.
            QTimer::singleShot(0, window_, [w = window_] { keepOnScreen(w, w->pos()); });
            deleteLater();
        }
        return false;
    }

private:
    QWidget* window_;
};

} // namespace

TWorkAreaHandler SetWorkAreaHandler(TWorkAreaHandler handler)
{
    return std::exchange(workAreaHandler(), std::move(handler));
}

QRect WorkAreaOf(const QRect& frame)
{
    if (workAreaHandler())
        return workAreaHandler()(frame);
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QSize ShownFrameSize(QWidget* window)
{
    layOutForShowing(window);
    return window->size().grownBy(frameMargins(window));
}

void PlaceWindowOnScreen(QWidget* window, QPoint at)
{
    keepOnScreen(window, at);
    if (!window->isVisible() && !window->findChild<QObject*>(QLatin1String(TShownCheck::kName), Qt::FindDirectChildrenOnly))
        new TShownCheck(window);
}

// ---------------------------------------------------------------------------
// Blue captions

QColor CheckedCaptionColor() { return QColor(0, 0, 255); }

namespace {

const char* const kBlueCaptionProperty = "telvoraBlueCaption";

void paintCaption(QAbstractButton* button)
{
    bool on = button->isChecked();
    if (auto* box = qobject_cast<QCheckBox*>(button))
        on = box->checkState() == Qt::Checked;
    const QPalette inherited =
        button->parentWidget() ? button->parentWidget()->palette() : QApplication::palette(button);
    QPalette pal = button->palette();
    // Disabled captions stay grey whatever their state.
    for (auto group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::WindowText,
                     on ? CheckedCaptionColor() : inherited.color(group, QPalette::WindowText));
    button->setPalette(pal);
}

} // namespace

void ApplyBlueCaption(QAbstractButton* button)
{
    if (!button || button->property(kBlueCaptionProperty).toBool())
        return;
    button->setProperty(kBlueCaptionProperty, true);
    if (auto* box = qobject_cast<QCheckBox*>(button))
        QObject::connect(box, &QCheckBox::stateChanged, box, [box] { paintCaption(box); });
    else
        QObject::connect(button, &QAbstractButton::toggled, button, [button] { paintCaption(button); });
    paintCaption(button);
}

void ApplyBlueCaptions(QWidget* root)
{
    if (!root)
        return;
    for (QCheckBox* box : root->findChildren<QCheckBox*>())
        ApplyBlueCaption(box);
    for (QRadioButton* radio : root->findChildren<QRadioButton*>())
        ApplyBlueCaption(radio);
}

// ---------------------------------------------------------------------------
// Tab header wheel

namespace {

class TTabWheelFilter : public QObject {
public:
    explicit TTabWheelFilter(QTabBar* bar) : QObject(bar), bar_(bar) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != bar_ || event->type() != QEvent::Wheel)
            return false;
        const QPoint angle = static_cast<QWheelEvent*>(event)->angleDelta();
        // Touchpads send small steps: switch once per notch (120).
        pending_ += qAbs(angle.x()) > qAbs(angle.y()) ? angle.x() : angle.y();
        while (pending_ >= 120) {
            step(-1);
            pending_ -= 120;
        }
        while (pending_ <= -120) {
            step(+1);
            pending_ += 120;
        }
        return true;
    }

private:
    void step(int direction)
    {
        const int count = bar_->count();
        int index = bar_->currentIndex();
        for (int tried = 0; tried < count; ++tried) {
            index = (index + direction + count) % count;
            if (bar_->isTabEnabled(index) && bar_->isTabVisible(index)) {
                bar_->setCurrentIndex(index);
                return;
            }
        }
    }

    QTabBar* bar_;
    int pending_ = 0;
};

} // namespace

void InstallTabWheel(QTabBar* bar)
{
    static const char* const kInstalled = "telvoraTabWheel";
    if (!bar || bar->property(kInstalled).toBool())
        return;
    bar->setProperty(kInstalled, true);
    bar->installEventFilter(new TTabWheelFilter(bar));
}

void InstallTabWheels(QWidget* root)
{
    if (!root)
        return;
    for (QTabBar* bar : root->findChildren<QTabBar*>())
        InstallTabWheel(bar);
}

TEnterKeyFilter* ApplyDialogConventions(QWidget* window)
{
    ApplyBlueCaptions(window);
    InstallTabWheels(window);
    return TEnterKeyFilter::Install(window);
}

// ---------------------------------------------------------------------------
// Hourglass and modal dialogs

THourglass::THourglass() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

THourglass::~THourglass() { QApplication::restoreOverrideCursor(); }

TModalDialog::TModalDialog(QWidget* owner, Qt::WindowFlags flags) : QDialog(owner, flags) {}

int TModalDialog::ShowModal()
{
    CenterFormOnOwner(this, parentWidget());
    return exec();
}

void TModalDialog::accept() { done(mrOk); }

void TModalDialog::reject()
{
    done(mrCancel);
    // QDialog::done announces rejected() only for result 0.
    emit rejected();
}
