#include "core/Launch.h"

#include <QProcess>

int ExecuteProgram(const QString& program, const QStringList& arguments, const QString& folder, bool noWait)
{
    if (program.isEmpty())
        return -1;
    if (noWait)
        return QProcess::startDetached(program, arguments, folder) ? 0 : -1;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return -1;
    process.waitForFinished(-1);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int ExecuteProgram(const QString& commandLine, const QString& folder, bool noWait)
{
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty())
        return -1;
    const QString program = parts.takeFirst();
    return ExecuteProgram(program, parts, folder, noWait);
}

void EnsureMailtoUrlProtocol()
{
    // Nothing to do: see the header.
}
