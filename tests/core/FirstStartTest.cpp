// The program itself, started and killed as a user would: a stale lock never
// stops it, and a first start leaves a data folder that is its owner's only.
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Groups.h"
#include "core/HistoryData.h"
#include "core/Settings.h"
#include "core/SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString programPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/telvora21"); }

// The lock file TSingleInstance uses for key (its name is the server name).
QString lockPathFor(const TSingleInstance& instance)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + u'/' + instance.ServerName() + QStringLiteral(".lock");
}

bool answers(const QString& serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool ok = socket.waitForConnected(200);
    socket.abort();
    return ok;
}

// Whether the started program is up: it runs, holds the data folder's lock
// and answers on its socket (it listens right before its window is made).
bool comesUp(QProcess& program, const QString& serverName, const QString& lockPath, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (program.state() == QProcess::NotRunning)
            return false;
        qint64 pid = 0;
        QString host, app;
        QLockFile probe(lockPath);
        if (probe.getLockInfo(&pid, &host, &app) && pid == program.processId() && answers(serverName))
            return true;
        QThread::msleep(50);
    }
    return false;
}

void start(QProcess& program, const QString& dataFolder)
{
    program.setProgram(programPath());
    program.setArguments({QStringLiteral("--data-folder"), dataFolder});
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start();
    program.waitForStarted(10000);
}

unsigned modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0xFFFFu;
}

// Every folder and file below root (root included) whose mode is not 0700 / 0600.
QStringList notPrivate(const QString& root)
{
    QStringList out;
    if (modeOf(root) != 0700u)
        out << root;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const unsigned want = QFileInfo(path).isDir() ? 0700u : 0600u;
        if (modeOf(path) != want)
            out << QStringLiteral("%1 %2").arg(path).arg(modeOf(path), 0, 8);
    }
    return out;
}

} // namespace

TEST(SingleInstance, ALockHeldByAnUnrelatedLiveProcessIsTakenOver)
{
    const QString key = QStringLiteral("test:") + QUuid::createUuid().toString();
    TSingleInstance instance(key);
    instance.SetAnswerTimeout(300);
    // A killed instance's number now belongs to another process: one of this
    // very executable, even, that has nothing to do with the lock.
    const pid_t unrelated = ::fork();
    ASSERT_GE(unrelated, 0);
    if (unrelated == 0) {
        ::pause();
        ::_exit(0);
    }
    QFile lock(lockPathFor(instance));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(qint64(unrelated)) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n' +
               QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();

    EXPECT_TRUE(instance.Acquire());
    EXPECT_FALSE(instance.Unreachable());
    EXPECT_TRUE(answers(instance.ServerName()));
    ::kill(unrelated, SIGKILL);
    ::waitpid(unrelated, nullptr, 0);
}

TEST(SingleInstance, AHolderOfThisDataFolderThatDoesNotAnswerIsToldNotTakenOverUntilItIsKilled)
{
    QTemporaryDir data;
    // This program on this data folder, hung before it listens: in this
    // session (the runtime lock), or in another one (the data folder's lock).
    for (const bool inThisSession : {true, false}) {
        TSingleInstance instance(QStringLiteral("test:") + QUuid::createUuid().toString(), data.path());
        instance.SetAnswerTimeout(300);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t hung = ::fork();
        ASSERT_GE(hung, 0);
        if (hung == 0) {
            QLockFile held(lockPathFor(instance));
            held.setStaleLockTime(0);
            const int fd = ::open(QFile::encodeName(instance.FolderLockPath()).constData(), O_RDWR | O_CREAT, 0600);
            const char c = (inThisSession ? held.tryLock(0) : ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            ::pause();
            ::_exit(0);
        }
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ASSERT_EQ(c, 'y');
        EXPECT_FALSE(instance.Acquire()) << inThisSession;
        EXPECT_TRUE(instance.Unreachable()); // the start says so instead of ending in silence
        ::kill(hung, SIGKILL);
        ::waitpid(hung, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        // Its holder gone, the locks are free again.
        EXPECT_TRUE(instance.Acquire()) << inThisSession;
    }
}

TEST(FirstStart, KilledAtRandomMomentsTheProgramStartsAgainEveryTimeAndAStartFromAnotherSessionEnds)
{
    ASSERT_TRUE(QFileInfo::exists(programPath())) << programPath().toStdString();
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/data");
    ASSERT_TRUE(QDir().mkpath(data));
    const TSingleInstance same(SingleInstanceKeyForDataFolder(data));
    const QString server = same.ServerName();
    const QString lockPath = lockPathFor(same);

    auto program = std::make_unique<QProcess>();
    start(*program, data);
    for (int i = 0; i < 20; ++i) {
        QThread::msleep(QRandomGenerator::global()->bounded(1500));
        program->kill();
        program->waitForFinished(5000);
        program = std::make_unique<QProcess>();
        start(*program, data);
        EXPECT_TRUE(comesUp(*program, server, lockPath, 30000)) << "try " << i;
    }
    // The last start came up on a book: the default one.
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(data + QStringLiteral("/Data/Adrs/") + kDefaultAdrsName + QStringLiteral("/Adrs.DB")) &&
           timer.elapsed() < 20000)
        QThread::msleep(50);
    // A start with another runtime folder (another session, a sudo -u) on
    // the same data folder raises this one and ends before reading anything.
    QProcess second;
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    second.setProcessEnvironment(env);
    start(second, data);
    EXPECT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(answers(server)); // the first runs on, its socket in place
    program->kill();
    program->waitForFinished(5000);
    SetDataFolder(data);
    BuildAdrsBookList();
    ASSERT_FALSE(AdrsBookList.empty());
    EXPECT_EQ(AdrsBookList.front().Name, kDefaultAdrsName);
}

TEST(FirstStart, ANewDataFolderIsItsOwnersOnlyWhateverTheUmask)
{
    ASSERT_TRUE(QFileInfo::exists(programPath()));
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/zok/Telvora21");
    const mode_t oldMask = ::umask(0);
    QProcess program;
    start(program, data);
    const QString book = data + QStringLiteral("/Data/Adrs/") + kDefaultAdrsName;
    QElapsedTimer timer;
    timer.start();
    while (!(QFileInfo::exists(book + QStringLiteral("/Adrs.DB-wal")) &&
             QFileInfo::exists(data + QStringLiteral("/Data/AdrsMng.ini"))) &&
           timer.elapsed() < 30000)
        QThread::msleep(50);
    EXPECT_TRUE(QFileInfo::exists(book + QStringLiteral("/Adrs.lck")));

    // What else the program writes into the folder, written the same way.
    SetDataFolder(data);
    LoadSettings();
    EXPECT_TRUE(SaveSettings());
    SetGroupName(1, QStringLiteral("表ソ"));
    EXPECT_TRUE(SaveGroupNames());
    THistoryData history(DataPath() + QStringLiteral("History/Keyword6.mtd"), 100);
    history.Add(QStringLiteral("ゾウ"), QDateTime::currentDateTime());
    EXPECT_TRUE(history.Save());
    ::umask(oldMask);

    EXPECT_EQ(notPrivate(data), QStringList());
    EXPECT_EQ(modeOf(dir.path() + QStringLiteral("/zok")), 0700u); // made for the data folder too
    program.kill();
    program.waitForFinished(5000);
}
