// The record window's launches: what reaches the desktop's opener, the map
// programs' messages, a picked position saved to the row (or not), the
// route window's start position, and the buttons' hints.

#include "RecordWindowFixture.h"

#include "core/AdrsRecord.h"
#include "core_data/OtherWriter.h"
#include "integrations/MapServices.h"
#include "integrations/QRCodeMap.h"
#include "platform/Seams.h"
#include "platform/SqlTable.h"
#include "records/RecordWriter.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <sqlite3.h>

namespace {

// Records what would have been started.
struct TLaunchLog {
    QList<QStringList> calls;
    bool answer = true;
    TLaunchHandler previous;
    TLaunchLog()
    {
        previous = SetLaunchHandler([this](const QString& program, const QStringList& args) {
            calls.append(QStringList{program} + args);
            return answer;
        });
    }
    ~TLaunchLog() { SetLaunchHandler(previous); }
};

// Map programs all installed; each view moves the map to `centre`; route
// windows report the start position they were given.
class TFakeIntegrations : public TIntegrations {
public:
    struct TView : TMapView {
        TFakeIntegrations* owner;
        explicit TView(TFakeIntegrations* o) : owner(o) {}
        int SetSearchParams(const TMapSearchParams& params) override
        {
            owner->given = params;
            return owner->search;
        }
        int ShowModal() override
        {
            ++owner->shown;
            return 1;
        }
        bool GetPosition(int& latitude, int& longitude) const override
        {
            latitude = owner->centre.first;
            longitude = owner->centre.second;
            return true;
        }
    };
    struct TRoute : TRouteWindow {
        TFakeIntegrations* owner;
        explicit TRoute(TFakeIntegrations* o) : owner(o) {}
        bool Start() override { return owner->routeStarts; }
        void SetStartPosition(int latitude, int longitude) override { owner->start = {latitude, longitude}; }
        int ShowModal() override
        {
            ++owner->shown;
            return 1;
        }
    };

    bool installed = true;
    int search = 0;
    bool routeStarts = true;
    QPair<int, int> centre{35000001, 135000002};
    QPair<int, int> start{-1, -1};
    TMapSearchParams given;
    int shown = 0;
    TIntegrations* previous = nullptr;

    TFakeIntegrations() { previous = SetIntegrations(this); }
    ~TFakeIntegrations() override { SetIntegrations(previous); }
    bool IsInstalled(int) const override { return installed; }
    std::unique_ptr<TMapView> CreateMapView(int, QWidget*) override { return std::make_unique<TView>(this); }
    std::unique_ptr<TRouteWindow> CreateRouteWindow(int, QWidget*) override { return std::make_unique<TRoute>(this); }
};

// One row of the book's file, every column as its storage class and bytes;
// without the position and its time when asked. Given a row's bytes
// instead of a file, drops those columns from them.
QByteArray RowBytes(const QString& fileName, int recNo, bool withoutPosition = false, const QByteArray& bytes = {})
{
    static const QList<QByteArray> position = {"Latitude", "Longitude", "UpdDateTime"};
    if (!bytes.isEmpty()) {
        QByteArray out;
        const QList<QByteArray> columns = bytes.split('|');
        for (const QByteArray& column : columns) {
            const int at = column.indexOf('=');
            if (!column.isEmpty() && !(withoutPosition && position.contains(column.left(at))))
                out += column + '|';
        }
        return out;
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(fileName.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray sql = "SELECT * FROM \"" + AdrsTableDef().TableName.toUtf8() + "\" WHERE RecNo=" +
                           QByteArray::number(recNo);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    QByteArray out;
    if (st && sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const QByteArray name = sqlite3_column_name(st, i);
            if (withoutPosition && position.contains(name))
                continue;
            out += name + '=' + char('0' + sqlite3_column_type(st, i));
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, i));
            out += QByteArray(bytes, sqlite3_column_bytes(st, i)).toHex() + '|';
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

} // namespace

class RecordLaunch : public RecordWindowOnBook {
protected:
    void click(const char* button) { find<QPushButton>(button)->click(); }
    void type(const char* edit, const QString& text) { find<QLineEdit>(edit)->setText(text); }
    // A company record of the book, held by the window.
    int holdStoredRecord(int latitude = 35681236, int longitude = 139767125)
    {
        TAdrsRecord r = list.rows[0];
        r.Latitude = latitude;
        r.Longitude = longitude;
        int recNo = -1;
        EXPECT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
        TAdrsRecord stored;
        EXPECT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, stored));
        window->ShowInquiry(stored);
        return recNo;
    }
    TAdrsRecord row(int recNo)
    {
        TAdrsRecord r;
        EXPECT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, r));
        return r;
    }
    QString file() const { return dm->AdrsTable().FileName(); }
};

TEST_F(RecordLaunch, HomePageMailAndLinksReachTheOpenerAsOneArgumentOfAnAllowedSchemeAndFailuresAreSaid)
{
    TLaunchLog log;
    // The button, what is typed or stored, what the opener gets (empty: refused with a message):
    // mail gets the address alone, links open only as web and mail addresses.
    const struct { const char* button; QString text, opened; } cases[] = {
        {"bbtnOpenURL", QStringLiteral(" www.example.jp/a b "), QStringLiteral("http://www.example.jp/a b")},
        {"bbtnOpenURL", QStringLiteral("https://example.jp/表"), QStringLiteral("https://example.jp/表")},
        {"bbtnEMail1", QStringLiteral("a@b?attach=/home/u/.ssh/id_rsa"), QStringLiteral("mailto:a@b")},
        {"bbtnEMail2", QStringLiteral("MAILTO:表ソ@example.jp#x?attach=/etc/passwd"), QStringLiteral("mailto:表ソ@example.jp")},
        {"bbtnOpenExtLink", QStringLiteral("https://example.jp/a?q=1#f"), QStringLiteral("https://example.jp/a?q=1#f")},
        {"bbtnOpenExtLink", QStringLiteral("HTTP://example.jp"), QStringLiteral("HTTP://example.jp")},
        {"bbtnOpenExtLink", QStringLiteral("mailto:c@d?attach=~/.ssh/id_rsa&body=x"), QStringLiteral("mailto:c@d")},
        {"bbtnOpenExtLink", QStringLiteral("file:///does/not/exist"), QString()},
        {"bbtnOpenExtLink", QStringLiteral("javascript:alert(1)"), QString()},
        {"bbtnOpenExtLink", QStringLiteral(" smb://host/share"), QString()},
        {"bbtnOpenExtLink", QStringLiteral("C:\\表\\a.txt"), QString()},
    };
    auto* links = find<QTreeWidget>("lvExtLink");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        log.calls.clear();
        messages.Clear();
        links->clear();
        links->setCurrentItem(new QTreeWidgetItem(links, {QStringLiteral("1"), c.text}));
        for (const char* edit : {"edtURL", "edtEMail1", "edtEMail2"})
            type(edit, c.text);
        click(c.button);
        EXPECT_EQ(log.calls, c.opened.isEmpty() ? QList<QStringList>() : QList<QStringList>({{"xdg-open", c.opened}}));
        EXPECT_EQ(messages.Messages().empty(), !c.opened.isEmpty());
        EXPECT_TRUE(!c.opened.isEmpty() || messages.LastText().contains(c.text.trimmed()));
    }

    type("edtURL", QStringLiteral("  "));
    click("bbtnOpenURL");
    EXPECT_EQ(messages.LastText(), QStringLiteral("ホームページURLを入力してください  "));
    type("edtEMail1", QStringLiteral("?attach=/etc/passwd"));
    click("bbtnEMail1");
    EXPECT_EQ(messages.LastText(), QStringLiteral("メールアドレスを入力してください  "));
    log.answer = false;
    type("edtEMail2", QStringLiteral("foo@example.jp"));
    click("bbtnEMail2");
    EXPECT_EQ(messages.LastText(), QStringLiteral("メールソフトが起動できませんでした  \r\nResult = -1  "));
    type("edtURL", QStringLiteral("www.example.jp"));
    click("bbtnOpenURL");
    EXPECT_EQ(messages.LastText(), QStringLiteral("ホームページを開けませんでした  \r\n"
                                                  "開くためのプログラム（xdg-open）を起動できませんでした  "));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONWARNING));
    // Whatever the opener did, the address typed stays.
    EXPECT_EQ(find<QLineEdit>("edtEMail2")->text(), QStringLiteral("foo@example.jp"));
}

TEST_F(RecordLaunch, WebMapSearchesTheEncodedAddressAndUninstalledProgramsSayTheirMessage)
{
    TLaunchLog log;
    window->ShowInquiry(list.rows[0]);
    type("edtTdfkn", QStringLiteral("東京都"));
    type("edtAdrs1", QStringLiteral(" 千代田区 "));
    type("edtAdrs2", QStringLiteral("丸の内1-1 #2"));
    type("edtAdrs3", QString());
    const int latitude = window->ReadControls().Latitude;
    Settings().Map = mpWebMap;
    click("bbtnMap");
    ASSERT_EQ(log.calls.size(), 1);
    const QString link = log.calls[0].value(1);
    EXPECT_EQ(QUrlQuery(QUrl(link)).queryItemValue(QStringLiteral("query"), QUrl::FullyDecoded),
              QStringLiteral("東京都千代田区丸の内1-1 #2"));
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(window->ReadControls().Latitude, latitude);

    Settings().Map = mpItsmoNavi;
    click("bbtnMap");
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("いつもNAVIがインストールされていません  "));
    // With a record held, the programs that return a centre ask first.
    Settings().Map = mpProAtlasW;
    messages.Answer(IDNO);
    click("bbtnMap");
    ASSERT_EQ(messages.Messages().size(), 3u);
    EXPECT_EQ(messages.Messages()[1].text, QStringLiteral("地図で指定した座標の緯度経度を保存してもよろしいですか？  "));
    EXPECT_EQ(messages.LastText(),
              QStringLiteral("プロアトラスＷ～Ｗ３/SV～SV7のいずれもインストールされていません  "));
    EXPECT_EQ(log.calls.size(), 1);
}

TEST_F(RecordLaunch, PickedPositionIsWrittenAfterYesOnlyAndTheRowIsLeftOtherwise)
{
    TFakeIntegrations maps;
    const int recNo = holdStoredRecord();
    const double updBefore = row(recNo).UpdDateTime;
    const QByteArray before = RowBytes(file(), recNo);
    ASSERT_FALSE(before.isEmpty());

    // No: the row, and the window's position, stay.
    for (int map : {mpAtlasMate, mpProAtlas, mpProAtlasW, mpMapFan}) {
        SCOPED_TRACE(map);
        Settings().Map = map;
        messages.Answer(IDNO);
        click("bbtnMap");
        EXPECT_EQ(RowBytes(file(), recNo), before);
        EXPECT_EQ(window->ReadControls().Latitude, 35681236);
    }
    EXPECT_EQ(maps.given.Address.isEmpty(), false);
    EXPECT_EQ(maps.given.Latitude, 35681236);
    // The program with no question returns a centre that is never saved.
    Settings().Map = mpMapple;
    messages.Clear();
    click("bbtnMap");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(maps.given.MappleOption2, 300);
    EXPECT_EQ(RowBytes(file(), recNo), before);
    EXPECT_EQ(window->ReadControls().Latitude, 35681236);
    // The same position after Yes writes nothing.
    maps.centre = {35681236, 139767125};
    Settings().Map = mpMapFan;
    click("bbtnMap");
    EXPECT_EQ(RowBytes(file(), recNo), before);

    // Yes with a new centre: position and a later time in the row, the rest
    // of it untouched, and the window has nothing left to save.
    const QDateTime later = QDateTime::currentDateTime().addSecs(90);
    const TClockHandler clock = SetClockHandler([later] { return later; });
    for (int map : {mpAtlasMate, mpProAtlas, mpProAtlasW, mpMapFan}) {
        SCOPED_TRACE(map);
        Settings().Map = map;
        maps.centre = {35000001 + map, 135000002};
        click("bbtnMap");
        const TAdrsRecord after = row(recNo);
        EXPECT_EQ(after.Latitude, 35000001 + map);
        EXPECT_EQ(after.Longitude, 135000002);
        EXPECT_GT(after.UpdDateTime, updBefore);
        EXPECT_EQ(RowBytes(file(), recNo, true), RowBytes(QString(), 0, true, before));
        EXPECT_FALSE(window->IsModified());
    }
    SetClockHandler(clock);
    EXPECT_EQ(maps.given.Option, 0); // MapFan; only ProAtlas W gets 1
    // A later change of the record is not taken for another program's.
    type("edtCustomCode", QStringLiteral("X-1"));
    messages.Clear();
    click("btnUpdate");
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    EXPECT_EQ(row(recNo).Latitude, 35000001 + mpMapFan);
}

TEST_F(RecordLaunch, APositionThatCannotBeWrittenIsSaidAndStaysAnUnsavedChange)
{
    TFakeIntegrations maps;
    const int recNo = holdStoredRecord();
    const QByteArray before = RowBytes(file(), recNo);
    {
        TOtherWriter other(file()); // another program inside a write: said in the user's words
        Settings().Map = mpAtlasMate;
        click("bbtnMap");
        EXPECT_EQ(messages.LastText(), QStringLiteral("緯度経度を保存できませんでした  \r\n他で使用中です  "));
    }
    EXPECT_EQ(RowBytes(file(), recNo), before);
    EXPECT_EQ(window->ReadControls().Latitude, 35000001);
    EXPECT_TRUE(window->IsModified());

    // A new record takes the picked position without a question.
    window->SetSourceMode(TDataInquiry::smNone);
    window->SetSkipSaveConfirm(true);
    find<QPushButton>("bbtnNew")->click();
    ASSERT_FALSE(window->HasHeldRecord());
    messages.Clear();
    maps.centre = {1, 2};
    Settings().Map = mpMapple;
    click("bbtnMap");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(window->ReadControls().Latitude, 1);
    EXPECT_EQ(window->ReadControls().Longitude, 2);
}

TEST_F(RecordLaunch, RouteWindowsGetTheStartPositionInTheirUnits)
{
    TFakeIntegrations routes;
    // Milliseconds of arc become 1/256 seconds rounded half away from zero:
    // .504 up and .496 down, south of the equator as well.
    for (const int lat : {35000084, -35000084}) {
        holdStoredRecord(lat, 139000041);
        Settings().Root = rpExpert;
        click("bbtnRoot");
        EXPECT_EQ(routes.start, qMakePair(lat < 0 ? -8960022 : 8960022, 35584010)) << lat;
        Settings().Root = rpNorikae;
        click("bbtnRoot");
        EXPECT_EQ(routes.start, qMakePair(lat, 139000041));
    }
    routes.routeStarts = false;
    routes.start = {-1, -1};
    click("bbtnRoot");
    EXPECT_EQ(routes.start, qMakePair(-1, -1));

    // An unset position goes as 0 and 0.
    find<QPushButton>("bbtnNew")->click();
    Settings().Root = rpExpert;
    click("bbtnRoot");
    EXPECT_EQ(routes.start, qMakePair(0, 0));
}

TEST_F(RecordLaunch, QRMapGetsTheJoinedAddress)
{
    type("edtTdfkn", QStringLiteral(" 東京都"));
    type("edtAdrs1", QStringLiteral("表区"));
    type("edtAdrs2", QStringLiteral("1-1 "));
    QString link;
    QTimer::singleShot(0, [&link] {
        if (auto* map = qobject_cast<TQRCodeMap*>(QApplication::activeModalWidget())) {
            link = map->Link();
            map->reject();
        }
    });
    click("bbtnQRMap");
    EXPECT_EQ(link, WebMapUrl(QStringLiteral("東京都表区1-1")));
}
