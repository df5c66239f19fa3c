#include "platform/Seams.h"
#include "platform/ui/DialogSeams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TLaunch {
    QString program;
    QStringList args;
};

// Records launches instead of starting programs.
struct TLaunchRecorder {
    std::vector<TLaunch> launches;
    TLaunchRecorder()
    {
        SetLaunchHandler([this](const QString& program, const QStringList& args) {
            launches.push_back({program, args});
            return true;
        });
    }
    ~TLaunchRecorder() { SetLaunchHandler({}); }
};

} // namespace

TEST(OpenUrl, HandsTheAddressOverAsOneArgumentNeverThroughAShell)
{
    TLaunchRecorder r;
    const QString url = QStringLiteral("https://example.com/search?q=東京 駅;rm -rf ~&x='1'");
    EXPECT_TRUE(OpenUrl(url));
    ASSERT_EQ(r.launches.size(), 1u);
    EXPECT_EQ(r.launches[0].program, QStringLiteral("xdg-open"));
    EXPECT_EQ(r.launches[0].args, QStringList{url});

    EXPECT_FALSE(OpenUrl(QString()));
    EXPECT_FALSE(OpenUrl(QStringLiteral("  ")));
    EXPECT_FALSE(OpenUrl(QStringLiteral("--help")));
    EXPECT_EQ(r.launches.size(), 1u);
}

TEST(OpenDocument, HandsOverAnAbsolutePathAndRefusesMissingFiles)
{
    TLaunchRecorder r;
    QTemporaryDir dir;
    const QString name = dir.filePath("-見積書.pdf");
    QFile(name).open(QIODevice::WriteOnly);
    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const bool opened = OpenDocument(QStringLiteral("-見積書.pdf"));
    QDir::setCurrent(saved);
    EXPECT_TRUE(opened);
    ASSERT_EQ(r.launches.size(), 1u);
    EXPECT_EQ(r.launches[0].args, QStringList{QFileInfo(name).absoluteFilePath()});

    EXPECT_FALSE(OpenDocument(dir.filePath("なし.pdf")));
    EXPECT_FALSE(OpenDocument(QString()));
    EXPECT_EQ(r.launches.size(), 1u);
}

TEST(FileDialogs, ConvertTheSystemsFiltersSoStarDotStarMeansEveryFile)
{
    EXPECT_EQ(QtNameFilters(QStringLiteral("すべてのファイル (*.*)|*.*")),
              QStringList{QStringLiteral("すべてのファイル (*.*) (*)")});
    EXPECT_EQ(QtNameFilters(QStringLiteral("画像|*.bmp;*.jpg|すべて|*.*")),
              (QStringList{QStringLiteral("画像 (*.bmp *.jpg)"), QStringLiteral("すべて (*)")}));
    EXPECT_EQ(QtNameFilters(QStringLiteral("画像 (*.bmp *.jpg);;すべて (*)")),
              (QStringList{QStringLiteral("画像 (*.bmp *.jpg)"), QStringLiteral("すべて (*)")}));
    EXPECT_TRUE(QtNameFilters(QString()).isEmpty());
}
