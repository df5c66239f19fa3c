#include "core/ui/Startup.h"

#include "core/ui/AdrsList.h"
#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Groups.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "core/SingleInstance.h"
#include "platform/Font.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

bool StartupLoadTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

namespace {

// Watches a window for its first paint and then runs what waited for it, once.
class TFirstPaint : public QObject {
public:
    TFirstPaint(QWidget& window, std::function<void()> run) : QObject(&window), run_(std::move(run))
    {
        window.installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { fire(); });
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        // Queued: the paint is flushed to the screen once every widget has drawn.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { fire(); });
        return false;
    }

private:
    void fire()
    {
        if (!run_)
            return;
        parent()->removeEventFilter(this);
        const std::function<void()> run = std::move(run_);
        run_ = nullptr;
        deleteLater();
        run();
    }

    std::function<void()> run_;
};

} // namespace

void StartupWhenShown(QWidget& window, std::function<void()> open)
{
    new TFirstPaint(window, std::move(open));
}

void StartupOpenWhenShown(TAddressList& window)
{
    StartupWhenShown(window, [&window] {
        // Without its senders the record window would show every record's
        // sender as the standard one, and a record saved there would lose it.
        if (QString cause; !window.LoadSenderList(&cause))
            ShowMessage(&window, QStringLiteral("差出人ファイルが読み込めませんでした  \r\n%1  ").arg(cause),
                        MB_OK | MB_ICONERROR);
        window.OpenStartBook();
    });
}

int StartupRun(int argc, char** argv, const TMainWindowWiring& wire)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("Telvora21"));
    StartupLoadTranslations(app);
    // Stored layouts and records name Windows faces; draw them with ours.
    InstallFontSubstitutes();

    if (!InitFolders(QApplication::arguments())) {
        ShowMessage(nullptr,
                    QStringLiteral("データフォルダが作成できませんでした  \r\n%1  ").arg(DataFolder()),
                    MB_OK | MB_ICONERROR);
        return 1;
    }

    TSingleInstance instance(SingleInstanceKeyForDataFolder(DataFolder()), DataFolder());
    if (!instance.Acquire()) {
        if (!instance.Unreachable())
            return 0; // the running instance has been brought forward
        ShowMessage(nullptr,
                    QStringLiteral("Telvora21 は既に起動しているようですが、応答がありません  \r\n%1  ").arg(DataFolder()),
                    MB_OK | MB_ICONERROR);
        return 1;
    }

    LoadSettings();
    LoadItemNames();
    LoadGroupNames();
    LoadCategories();
    TDMTelvora21 dataModule;

    TAddressList window;
    if (wire)
        wire(window);
    QObject::connect(&instance, &TSingleInstance::activationRequested, &window, [&window] {
        if (window.isMinimized())
            window.showNormal();
        window.show();
        window.raise();
        window.activateWindow();
    });
    window.show();
    // The senders are read and the book opens once the window is drawn on
    // the screen, so a message about a file that cannot be read has a window
    // to stand over, and a wait for a file held elsewhere shows a window at
    // work, not a blank one.
    StartupOpenWhenShown(window);
    // The record window and the copy window stand beside the list; closing
    // the list ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&window, &TAddressList::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    const int rc = app.exec();
    // Windows closed on the way out are deleted while the book is still open.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return rc;
}
