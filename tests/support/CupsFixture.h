#pragma once
// A private CUPS scheduler for one test: its own folders and unix socket in
// a temporary folder, one queue that turns every job into a PDF file, and
// the program's CUPS client pointed at it. Nothing is shared with a system
// spooler or with another test process; the scheduler is stopped and its
// folder removed when the object goes, and dies with the test process if
// that is killed (its folder goes when the next spooler starts).

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class TCupsSpooler {
public:
    // Why no spooler can be started here (empty: the programs are installed).
    static QString Missing();

    // Starts the scheduler and adds the queue; Error() tells what failed.
    TCupsSpooler();
    ~TCupsSpooler();
    TCupsSpooler(const TCupsSpooler&) = delete;
    TCupsSpooler& operator=(const TCupsSpooler&) = delete;

    const QString& Error() const { return error_; }
    bool Ok() const { return error_.isEmpty(); }
    // The queue: postcard 100 x 148 mm, JIS B5, A4, a card of its own and
    // user sizes; unprintable margins of 10, 15, 5 and 20 points (left, top,
    // right, bottom).
    static QString Queue() { return QStringLiteral("TelvoraPostcard"); }

    // Runs one of the spooler's tools (cupsdisable, cupsreject, lpstat...)
    // against this scheduler; its standard output, or a null array when it failed.
    QByteArray Tool(const QString& name, const QStringList& args);
    // Waits until the queue has no job left to do, then takes what the
    // jobs wrote (empty when nothing came within the time).
    QByteArray TakeOutput(int timeoutMs = 20000);

private:
    bool start();
    bool waitAccepting(int timeoutMs);

    std::unique_ptr<QTemporaryDir> dir_;
    QProcess cupsd_;
    QString error_;
    QString socket_;
    QString output_;
    QByteArray oldServer_;
    bool hadServer_ = false;
};
