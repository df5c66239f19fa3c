#include "platform/ui/InputGuard.h"

#include "platform/ui/ByteLimitEdit.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// The kinds of input that keep a rule otherwise, each with its reason.
enum class TInputKind { Guarded, FileName, ReadOnlyRichText, RichText };

TInputKind KindOf(const QWidget* input)
{
    if (qobject_cast<const QLineEdit*>(input)) {
        if (qobject_cast<const QFileDialog*>(input->window()))
            return TInputKind::FileName;
        return TInputKind::Guarded;
    }
    if (qobject_cast<const QPlainTextEdit*>(input))
        return TInputKind::Guarded;
    if (auto* rich = qobject_cast<const QTextEdit*>(input))
        return rich->isReadOnly() ? TInputKind::ReadOnlyRichText : TInputKind::RichText;
    return TInputKind::Guarded;
}

} // namespace

QString InputExemption(const QWidget* input)
{
    switch (KindOf(input)) {
    case TInputKind::FileName:
        return QStringLiteral("file dialog: a file name is the file system's (Unicode), one line, no code page 932 "
                              "rule; what is stored of a chosen path is checked where it is stored");
    case TInputKind::ReadOnlyRichText:
        return QStringLiteral("read-only rich text (a message's details): takes no input");
    case TInputKind::RichText:
        return QStringLiteral("rich text edit: no rule; the program has none that takes input");
    case TInputKind::Guarded: break;
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(input); edit && edit->echoMode() != QLineEdit::Normal)
        return QStringLiteral("password: a refused character is not named, as that would show part of the password");
    if (const TByteLimit* limit = TByteLimit::Of(input)) {
        if (limit->Memo())
            return QStringLiteral("memo: keeps its line breaks (CR LF, two bytes each)");
        if (limit->Wide())
            return QStringLiteral("wide field: kept in Unicode, so no code page 932 rule; the limit counts UTF-16 units");
    }
    return {};
}

void TInputGuard::Install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Called at once when the application exists, else when it is made.
    qAddPreRoutine([] {
        QCoreApplication* app = QCoreApplication::instance();
        app->installEventFilter(new TInputGuard(app));
    });
}

TByteLimit* TInputGuard::Guard(QWidget* input)
{
    if (TByteLimit* limit = TByteLimit::Of(input))
        return limit;
    const TInputKind kind = KindOf(input);
    if (kind != TInputKind::Guarded && kind != TInputKind::FileName)
        return nullptr;
    TByteLimit* limit = nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(input))
        limit = new TByteLimit(edit);
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
        limit = new TByteLimit(memo);
    if (!limit)
        return nullptr;
    limit->SetGuardDefault(true);
    limit->SetWide(kind == TInputKind::FileName);
    return limit;
}

bool TInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    // Polished before it is first shown; the focus and a drag reach an
    // input that was used before it was ever shown.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Polish || type == QEvent::FocusIn || type == QEvent::DragEnter) && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))
            Guard(w);
        else if (type == QEvent::DragEnter && w->parentWidget() && qobject_cast<QPlainTextEdit*>(w->parentWidget()))
            Guard(w->parentWidget()); // a memo's viewport
    }
    return QObject::eventFilter(watched, event);
}
