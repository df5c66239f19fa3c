#include "platform/Seams.h"

#include <QFileInfo>
#include <QProcess>

namespace {

template <typename Handler>
Handler replace(Handler& slot, Handler handler)
{
    Handler old = std::move(slot);
    slot = std::move(handler);
    return old;
}

TLaunchHandler& launchHandler()
{
    static TLaunchHandler h;
    return h;
}

TClockHandler& clockHandler()
{
    static TClockHandler h;
    return h;
}

bool launch(const QString& program, const QStringList& args)
{
    if (launchHandler())
        return launchHandler()(program, args);
    return QProcess::startDetached(program, args);
}

const QString kOpener = QStringLiteral("xdg-open");

} // namespace

TLaunchHandler SetLaunchHandler(TLaunchHandler handler) { return replace(launchHandler(), std::move(handler)); }

bool OpenUrl(const QString& url) { return OpenUrlStatus(url) == 0; }

int OpenUrlStatus(const QString& url)
{
    const QString text = url.trimmed();
    if (text.isEmpty() || text.startsWith(u'-'))
        return 1;
    return launch(kOpener, {text}) ? 0 : -1;
}

bool OpenDocument(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    // Absolute, so it never starts with '-'.
    return launch(kOpener, {info.absoluteFilePath()});
}

TClockHandler SetClockHandler(TClockHandler handler) { return replace(clockHandler(), std::move(handler)); }

QDateTime Now() { return clockHandler() ? clockHandler()() : QDateTime::currentDateTime(); }
