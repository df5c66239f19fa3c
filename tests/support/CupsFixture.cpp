#include "support/CupsFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <cups/cups.h>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The queue's driver description: a PDF printer (the spooler's own PDF
// filter does paper, turning and copies, and the PDF goes to the device
// as it is). Sizes in points: postcard 100 x 148 mm, JIS B5, A4, a
// business card of the driver's own, and user sizes up to 350 x 490 mm;
// 600 dpi unless told otherwise.
// Margins: 10 left, 15 top, 5 right, 20 bottom.
const char kPpd[] = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*Manufacturer: "Telvora"
*ModelName: "Telvora Postcard PDF"
*ShortNickName: "Telvora Postcard PDF"
*NickName: "Telvora Postcard PDF"
*cupsVersion: 2.4
*cupsManualCopies: True
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: 600dpi
*Resolution 300dpi/300 dpi: ""
*Resolution 600dpi/600 dpi: ""
*CloseUI: *Resolution
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize Postcard/Postcard: "<</PageSize[283.465 419.528]/ImagingBBox null>>setpagedevice"
*PageSize B5/JIS B5: "<</PageSize[515.906 728.504]/ImagingBBox null>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595.276 841.89]/ImagingBBox null>>setpagedevice"
*PageSize Card/Card 91x55mm: "<</PageSize[155.906 257.953]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea Postcard/Postcard: "10 20 278.465 404.528"
*ImageableArea B5/JIS B5: "10 20 510.906 713.504"
*ImageableArea A4/A4: "10 20 590.276 826.89"
*ImageableArea Card/Card 91x55mm: "10 20 150.906 242.953"
*DefaultPaperDimension: A4
*PaperDimension Postcard/Postcard: "283.465 419.528"
*PaperDimension B5/JIS B5: "515.906 728.504"
*PaperDimension A4/A4: "595.276 841.89"
*PaperDimension Card/Card 91x55mm: "155.906 257.953"
*MaxMediaWidth: "992"
*MaxMediaHeight: "1389"
*CustomPageSize True: "pop pop pop <</PageSize[5 -2 roll]/ImagingBBox null>>setpagedevice"
*ParamCustomPageSize Width: 1 points 72 992
*ParamCustomPageSize Height: 2 points 72 1389
*ParamCustomPageSize WidthOffset: 3 points 0 0
*ParamCustomPageSize HeightOffset: 4 points 0 0
*ParamCustomPageSize Orientation: 5 int 0 0
)PPD";

QString findTool(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return path;
}

bool writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Jobs of the queue still to be done, or -1 when the scheduler does not answer.
int activeJobs()
{
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, TCupsSpooler::Queue().toUtf8().constData(), 0,
                               CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(std::max(n, 0), jobs);
    return n < 0 || (n == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) ? -1 : n;
}

} // namespace

QString TCupsSpooler::Missing()
{
    for (const char* tool : {"cupsd", "lpadmin", "cupsdisable", "cupsreject"})
        if (findTool(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (scripts/setup installs the CUPS packages)").arg(tool);
    return {};
}

TCupsSpooler::TCupsSpooler()
{
    hadServer_ = qEnvironmentVariableIsSet("CUPS_SERVER");
    oldServer_ = qgetenv("CUPS_SERVER");
    if (!start() && error_.isEmpty())
        error_ = QStringLiteral("the private CUPS scheduler did not start");
}

TCupsSpooler::~TCupsSpooler()
{
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
    }
    if (hadServer_)
        qputenv("CUPS_SERVER", oldServer_);
    else
        qunsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);
}

bool TCupsSpooler::start()
{
    // A test process killed while its scheduler ran left the scheduler's
    // folder, "tvcups-<pid>-XXXXXX": it goes once that process is gone.
    QDir tmp(QDir::tempPath());
    for (const QString& name : tmp.entryList({QStringLiteral("tvcups-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const int pid = name.section(u'-', 1, 1).toInt();
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            QDir(tmp.filePath(name)).removeRecursively();
    }
    // Short: a unix socket's path has room for about a hundred bytes.
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tvcups-%1-XXXXXX").arg(::getpid()));
    if (!dir_->isValid()) {
        error_ = QStringLiteral("no temporary folder: ") + dir_->errorString();
        return false;
    }
    const QString root = dir_->path();
    socket_ = root + QStringLiteral("/s");
    output_ = root + QStringLiteral("/out/job.pdf");
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "out"})
        QDir(root).mkdir(QString::fromLatin1(sub));
    // Run as root, the scheduler hands jobs to filters under an unprivileged
    // user, which must reach the folders and write its temporary files.
    const bool asRoot = geteuid() == 0;
    QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    if (asRoot)
        ::chmod(QFile::encodeName(root + QStringLiteral("/tmp")).constData(), 01777);
    QByteArray user = "lp", userGroup = "lp", systemGroup = "root";
    if (!asRoot) {
        const passwd* pw = getpwuid(geteuid());
        const group* gr = getgrgid(getegid());
        if (!pw || !gr) {
            error_ = QStringLiteral("this user has no name");
            return false;
        }
        user = pw->pw_name;
        userGroup = systemGroup = gr->gr_name;
    }
    const QByteArray r = QFile::encodeName(root);
    const QByteArray files = "ServerRoot " + r + "\nRequestRoot " + r + "/spool\nTempDir " + r + "/tmp\nCacheDir " + r +
                             "/cache\nStateDir " + r + "/state\nAccessLog " + r + "/log/access_log\nErrorLog " + r +
                             "/log/error_log\nPageLog " + r + "/log/page_log\nPrintcap " + r +
                             "/printcap\nFileDevice Yes\nSandboxing Relaxed\nUser " + user + "\nGroup " + userGroup +
                             "\nSystemGroup " + systemGroup + "\n";
    const QByteArray conf = "Listen " + QFile::encodeName(socket_) +
                            "\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultShared No\n"
                            "PreserveJobHistory No\nDefaultAuthType None\n"
                            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    const QString ppd = root + QStringLiteral("/postcard.ppd");
    if (!writeText(root + QStringLiteral("/cups-files.conf"), files) ||
        !writeText(root + QStringLiteral("/cupsd.conf"), conf) || !writeText(ppd, kPpd)) {
        error_ = QStringLiteral("cannot write the scheduler's configuration in ") + root;
        return false;
    }

    // The program's CUPS client asks this scheduler from now on, also where
    // it had already asked another one in this thread.
    qputenv("CUPS_SERVER", QFile::encodeName(socket_));
    cupsSetServer(QFile::encodeName(socket_).constData());

    cupsd_.setProgram(findTool(QStringLiteral("cupsd")));
    cupsd_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                         QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    // A test process that dies takes its scheduler with it.
    cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_.start();
    if (!cupsd_.waitForStarted(10000)) {
        error_ = QStringLiteral("cupsd did not start: ") + cupsd_.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(socket_) || Tool(QStringLiteral("lpstat"), {QStringLiteral("-r")}).isNull()) {
        if (cupsd_.state() == QProcess::NotRunning || clock.elapsed() > 15000) {
            error_ = QStringLiteral("cupsd did not come up: ") + QString::fromLocal8Bit(cupsd_.readAll()) +
                     QString::fromLocal8Bit(readAll(root + QStringLiteral("/log/error_log")));
            return false;
        }
        QThread::msleep(50);
    }
    error_.clear();
    if (Tool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), Queue(), QStringLiteral("-v"),
                                         QStringLiteral("file://") + output_, QStringLiteral("-E"),
                                         QStringLiteral("-P"), ppd})
            .isNull())
        return false;
    return waitAccepting(15000);
}

bool TCupsSpooler::waitAccepting(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, Queue().toUtf8().constData(), nullptr)) {
            const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
            const bool ok = accepting && qstrcmp(accepting, "true") == 0;
            cupsFreeDests(1, dest);
            if (ok)
                return true;
        }
        if (clock.elapsed() > timeoutMs) {
            error_ = QStringLiteral("the queue does not accept jobs: ") + QString::fromUtf8(cupsLastErrorString());
            return false;
        }
        QThread::msleep(50);
    }
}

QByteArray TCupsSpooler::Tool(const QString& name, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), socket_);
    p.setProcessEnvironment(env);
    p.start(findTool(name), args);
    if (!p.waitForFinished(15000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error_ = name + QStringLiteral(" ") + args.join(u' ') + QStringLiteral(" failed: ") +
                 QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    QByteArray out = p.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

QByteArray TCupsSpooler::TakeOutput(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (activeJobs() != 0 || !QFile::exists(output_)) {
        if (clock.elapsed() > timeoutMs || cupsd_.state() == QProcess::NotRunning)
            return {};
        QThread::msleep(50);
    }
    const QByteArray bytes = readAll(output_);
    QFile::remove(output_);
    return bytes;
}
