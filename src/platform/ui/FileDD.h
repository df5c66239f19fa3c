#pragma once
// Makes a control a drop target for files (and, failing files, text) dragged
// from other programs. Files are preferred over text: a drag that carries
// both hands over the files. A drag with neither (an image alone, say) is
// refused and shows the no-drop cursor.
//
// The handlers receive the keys and buttons held at the drop as the
// Windows bits below, and the drop point in screen coordinates.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

// Key-state bits of a drop.
enum : qint32 {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
    MK_ALT = 0x0020,
};
// Drop effects.
enum : qint32 { DROPEFFECT_NONE = 0, DROPEFFECT_COPY = 1 };

class TFileDD : public QObject {
    Q_OBJECT
public:
    using TDropFilesEvent = std::function<void(const QStringList& Files, qint32 KeyState, QPoint Pt, qint32& Effect)>;
    using TDropTextEvent = std::function<void(const QString& Text, qint32 KeyState, QPoint Pt, qint32& Effect)>;

    // Registers Control at once when given.
    explicit TFileDD(QWidget* Control = nullptr);
    ~TFileDD() override;

    void Register(QWidget* Control);
    // The control no longer takes drops; safe to call twice.
    void Revoke();
    bool Registered() const { return !control_.isNull(); }

    TDropFilesEvent OnDropFiles;
    TDropTextEvent OnDropText;

    static qint32 KeyState(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers);
    // The local files a drag carries, in order; empty when it carries none.
    static QStringList FilesOf(const QMimeData* Data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TFormat { None, Files, Text };
    static TFormat formatOf(const QMimeData* Data);

    QPointer<QWidget> control_;
    TFormat format_ = TFormat::None; // of the drag in progress
};
