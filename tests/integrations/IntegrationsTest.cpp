// The map, route and web stand-ins: links and their encoding, the QR map
// read back by a decoder, the dialogs' answers.

#include "support/TestSupport.h"

#include "integrations/AddExtURL.h"
#include "integrations/MapServices.h"
#include "integrations/QRCodeMap.h"
#include "integrations/WebSearch.h"
#include "platform/Seams.h"
#include "platform/ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

// Records what would have been started.
struct TLaunches {
    QList<QStringList> calls;
    bool answer = true;
    TLaunchHandler previous;
    TLaunches()
    {
        previous = SetLaunchHandler([this](const QString& program, const QStringList& args) {
            calls.append(QStringList{program} + args);
            return answer;
        });
    }
    ~TLaunches() { SetLaunchHandler(previous); }
};

QString QueryOf(const QString& link)
{
    return QUrlQuery(QUrl(link)).queryItemValue(QStringLiteral("query"), QUrl::FullyDecoded);
}

} // namespace

TEST(WebMap, OpensTheTrimmedPercentEncodedAddressAsOneArgumentAndNothingForNoAddress)
{
    TLaunches launches;
    TMapSearchParams params;
    params.Address = QStringLiteral(" 東京都千代田区 1-1&x=#表 ");
    EXPECT_TRUE(OpenGoogleMaps(params));
    ASSERT_EQ(launches.calls.size(), 1);
    ASSERT_EQ(launches.calls[0].size(), 2);
    EXPECT_EQ(launches.calls[0][0], QStringLiteral("xdg-open"));
    const QString link = launches.calls[0][1];
    EXPECT_FALSE(link.contains(u' ') || link.contains(u'#') || link.contains(u'表')) << link.toStdString();
    EXPECT_EQ(QueryOf(link), QStringLiteral("東京都千代田区 1-1&x=#表"));

    params.Address = QStringLiteral("   ");
    EXPECT_FALSE(OpenGoogleMaps(params));
    EXPECT_EQ(launches.calls.size(), 1);
    launches.answer = false;
    params.Address = QStringLiteral("大阪府");
    EXPECT_FALSE(OpenGoogleMaps(params));
}

TEST(QRCodeMap, DecodesToTheMapLinkOfTheTrimmedAddress)
{
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    ASSERT_FALSE(zbarimg.isEmpty()) << "zbarimg (zbar-tools) is needed";
    TQRCodeMap map;
    map.SetAddress(QStringLiteral("  東京都千代田区1-1 "));
    ASSERT_FALSE(map.Image().isNull());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("qr.png"));
    ASSERT_TRUE(map.Image().save(file));
    QProcess zbar;
    zbar.start(zbarimg, {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    ASSERT_TRUE(zbar.waitForFinished(20000));
    const QString decoded = QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
    EXPECT_EQ(decoded, map.Link());
    EXPECT_EQ(QueryOf(decoded), QStringLiteral("東京都千代田区1-1"));

    // No address: no code, and nothing to crash on.
    map.SetAddress(QStringLiteral(" \t "));
    EXPECT_TRUE(map.Image().isNull());
    EXPECT_TRUE(map.Link().isEmpty());
}

TEST(WebDialogs, LinkIsTrimmedAndAnEmptyWordIsAskedForNotSearched)
{
    TAddExtURL add;
    add.findChild<QLineEdit*>(QStringLiteral("edtURL"))->setText(QStringLiteral("  https://example.jp/表  "));
    EXPECT_EQ(add.GetURL(), QStringLiteral("https://example.jp/表"));

    TMessageRecorder messages;
    TLaunches launches;
    TWebSearch search;
    search.SetWord(QStringLiteral("表ソ 商会"));
    auto* edit = search.findChild<QLineEdit*>(QStringLiteral("edtWord"));
    EXPECT_EQ(edit->cursorPosition(), 5);
    EXPECT_FALSE(edit->hasSelectedText());
    search.findChild<QPushButton*>(QStringLiteral("btnSearch"))->click();
    ASSERT_EQ(launches.calls.size(), 1);
    EXPECT_EQ(QUrlQuery(QUrl(launches.calls[0][1])).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
              QStringLiteral("表ソ 商会"));
    search.SetWord(QStringLiteral("  "));
    EXPECT_FALSE(search.Search());
    EXPECT_EQ(launches.calls.size(), 1);
    EXPECT_EQ(messages.LastText(), QStringLiteral("検索する語句を入力してください  "));
    launches.answer = false;
    search.SetWord(QStringLiteral("x"));
    EXPECT_FALSE(search.Search());
    EXPECT_EQ(messages.LastText(), QStringLiteral("ブラウザを起動できませんでした  "));
}

TEST(MapStandIns, ViewsAnswerTheirSearchAndCentreAndTheSecondRouteProgramDoesNotStart)
{
    TMapSearchParams params;
    params.Latitude = 35681236;
    params.Longitude = 139767125;
    auto view = Integrations().CreateMapView(mpMapFan, nullptr);
    EXPECT_EQ(view->SetSearchParams(params), 0);
    auto* dialog = dynamic_cast<QDialog*>(view.get());
    ASSERT_NE(dialog, nullptr);
    // Cancelled: the centre is where the map opened.
    dialog->reject();
    int lat = 0, lon = 0;
    ASSERT_TRUE(view->GetPosition(lat, lon));
    EXPECT_EQ(lat, 35681236);
    EXPECT_EQ(lon, 139767125);
    dialog->findChildren<QSpinBox*>()[0]->setValue(35000000);
    dialog->accept();
    ASSERT_TRUE(view->GetPosition(lat, lon));
    EXPECT_EQ(lat, 35000000);

    TMapSearchParams none;
    auto noCentre = Integrations().CreateMapView(mpMapFanNet, nullptr);
    EXPECT_EQ(noCentre->SetSearchParams(none), 2);
    none.TelNo = QStringLiteral("0312345678");
    EXPECT_EQ(noCentre->SetSearchParams(none), 1);
    EXPECT_FALSE(noCentre->GetPosition(lat, lon));

    TMessageRecorder messages;
    EXPECT_TRUE(Integrations().CreateRouteWindow(rpExpert, nullptr)->Start());
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_FALSE(Integrations().CreateRouteWindow(rpNorikae, nullptr)->Start());
    EXPECT_EQ(messages.Messages().size(), 1u);
}
