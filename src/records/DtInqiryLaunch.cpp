// The record window's launches: the record's place in a map view or the web
// map (and a position picked there saved), a route search from it, a QR code
// of its map link, its home page in the browser and a mail to it.

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/DtInqiryUnits.h"

#include "core/DBInfo.h"
#include "core/Launch.h"
#include "core/Settings.h"
#include "integrations/MapServices.h"
#include "integrations/QRCodeMap.h"
#include "platform/Cp932.h"
#include "platform/Seams.h"
#include "platform/SqlTable.h"
#include "platform/ui/DialogKit.h"
#include "platform/ui/MessageBox.h"
#include "records/LinkSchemes.h"
#include "records/RecordInput.h"

#include <cstdlib>

using namespace dtinquiry;

namespace {

// What the map button says when the program of [COOPERATE] Map is missing.
const char16_t* const kMapNotInstalled[] = {
    u"AtlasMate4/5のどちらのCD-ROMも見つかりません  ",
    u"プロアトラス2002がインストールされていません  ",
    u"プロアトラスＷ～Ｗ３/SV～SV7のいずれもインストールされていません  ",
    u"電子地図帳Ｚ[zi]Ⅱ～５のいずれもインストールされていません  ",
    u"いつもNAVIがインストールされていません  ",
    u"MapFanⅣ/Ⅴのどちらもインストールされていません  ",
    u"MapFan.netがインストールされていません  ",
    u"MapFan PLANNER1/2がインストールされていません  ",
    u"スーパーマップル・デジタル Ver.1～16のいずれもインストールされていません  ",
    u"グランマップがインストールされていません  ",
    u"Google マップが呼び出せません  ",
};
constexpr int kMapCount = int(std::size(kMapNotInstalled));

void Tell(QWidget* owner, const char16_t* text)
{
    ShowMessage(owner, QString::fromUtf16(text), MB_OK | MB_ICONINFORMATION);
}

void FocusAtEnd(QLineEdit* edit)
{
    edit->setFocus();
    edit->setCursorPosition(int(edit->text().size()));
}

bool StartsWithNoCase(const QString& text, const char* prefix)
{
    return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

} // namespace

// Milliseconds of arc in 1/256 second of arc, rounded half away from zero.
int ArcMsTo256thSeconds(int ms)
{
    const qint64 scaled = qint64(ms) * 256;
    const qint64 rounded = (std::llabs(scaled) + 500) / 1000;
    return int(scaled < 0 ? -rounded : rounded);
}

void TDataInquiry::ConnectLaunches()
{
    connect(ui->bbtnMap, &QPushButton::clicked, this, [this] { bbtnMapClick(); });
    connect(ui->bbtnRoot, &QPushButton::clicked, this, [this] { bbtnRootClick(); });
    connect(ui->bbtnQRMap, &QPushButton::clicked, this, [this] { bbtnQRMapClick(); });
    connect(ui->bbtnGetURL, &QPushButton::clicked, this, [this] { bbtnGetURLClick(); });
    connect(ui->bbtnOpenURL, &QPushButton::clicked, this, [this] { bbtnOpenURLClick(); });
    connect(ui->bbtnEMail1, &QPushButton::clicked, this, [this] { bbtnEMailClick(0); });
    connect(ui->bbtnEMail2, &QPushButton::clicked, this, [this] { bbtnEMailClick(1); });
    UpdateCooperateHints();
}

void TDataInquiry::UpdateCooperateHints()
{
    // Qt's tool tips break lines at a line feed alone.
    const QString map = MapProgramName(Settings().Map);
    const QString root = RouteProgramName(Settings().Root);
    ui->bbtnMap->setToolTip(QStringLiteral("地図表示") + (map.isEmpty() ? QString() : QStringLiteral("\n") + map));
    ui->bbtnRoot->setToolTip(QStringLiteral("路線検索") + (root.isEmpty() ? QString() : QStringLiteral("\n") + root));
}

TMapSearchParams TDataInquiry::MapSearchParams() const
{
    TMapSearchParams params;
    params.Kind = Settings().MapSearchKind;
    params.Latitude = latitude_;
    params.Longitude = longitude_;
    for (QChar c : ui->edtTel->text()) {
        if (c >= u'0' && c <= u'9')
            params.TelNo += c;
    }
    for (QLineEdit* part : {ui->edtTdfkn, ui->edtAdrs1, ui->edtAdrs2, ui->edtAdrs3})
        params.Address += cp932::Trim(part->text());
    return params;
}

// ---------------------------------------------------------------- map

void TDataInquiry::bbtnMapClick()
{
    THourglass hourglass;
    const int map = Settings().Map;
    if (map < 0 || map >= kMapCount)
        return;
    bool save = false;
    if (!heldRecord_) {
        save = true; // a new record takes the position, to be written with it
    } else if (map == mpAtlasMate || map == mpProAtlas || map == mpProAtlasW || map == mpMapFan) {
        save = ShowMessage(this, QStringLiteral("地図で指定した座標の緯度経度を保存してもよろしいですか？  "),
                           MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    TMapSearchParams params = MapSearchParams();
    switch (map) {
    case mpAtlasMate: ShowAtlasMateMap(this, params); break;
    case mpProAtlas: ShowProAtlasMap(this, params); break;
    case mpProAtlasW: ShowProAtlasWMap(this, params); break;
    case mpEmapZ: ShowEmapZMap(this, params); break;
    case mpItsmoNavi: ShowItsmoNaviMap(this, params); break;
    case mpMapFan: ShowMapFanMap(this, params); break;
    case mpMapFanNet: ShowMapFanNetMap(this, params); break;
    case mpMapFanPlanner: ShowMapFanPlannerMap(this, params); break;
    case mpMapple: ShowMappleMap(this, params); break;
    case mpGrandMap: ShowGrandMap(this, params); break;
    case mpWebMap: ShowWebMap(this, params); break;
    default: return;
    }
    if (save && (params.Latitude != latitude_ || params.Longitude != longitude_))
        SaveMapPosition(params.Latitude, params.Longitude);
}

// The views that hand a centre back, shown modally; false when the view was
// not shown.
static bool ShowCentreView(int map, QWidget* owner, TMapSearchParams& params)
{
    std::unique_ptr<TMapView> view = Integrations().CreateMapView(map, owner);
    view->SetSearchParams(params);
    view->ShowModal();
    view->GetPosition(params.Latitude, params.Longitude);
    return true;
}

void TDataInquiry::ShowAtlasMateMap(QWidget* owner, TMapSearchParams& params)
{
    if (!IsAtlasMateInstalled()) {
        Tell(owner, kMapNotInstalled[mpAtlasMate]);
        return;
    }
    std::unique_ptr<TMapView> view = Integrations().CreateMapView(mpAtlasMate, owner);
    const int search = view->SetSearchParams(params);
    if (search == 2 || search == 3) {
        ShowMessage(owner, QStringLiteral("電話番号を入力してください  "), MB_OK | MB_ICONINFORMATION);
        FocusAtEnd(ui->edtTel);
        return;
    }
    view->ShowModal();
    view->GetPosition(params.Latitude, params.Longitude);
}

void TDataInquiry::ShowProAtlasMap(QWidget* owner, TMapSearchParams& params)
{
    if (!IsProAtlasInstalled()) {
        Tell(owner, kMapNotInstalled[mpProAtlas]);
        return;
    }
    ShowCentreView(mpProAtlas, owner, params);
}

void TDataInquiry::ShowProAtlasWMap(QWidget* owner, TMapSearchParams& params)
{
    if (!IsProAtlasWInstalled()) {
        Tell(owner, kMapNotInstalled[mpProAtlasW]);
        return;
    }
    params.Option = 1;
    ShowCentreView(mpProAtlasW, owner, params);
}

void TDataInquiry::ShowEmapZMap(QWidget* owner, TMapSearchParams& params)
{
    if (!RunEmapZ(params))
        Tell(owner, kMapNotInstalled[mpEmapZ]);
}

void TDataInquiry::ShowItsmoNaviMap(QWidget* owner, TMapSearchParams& params)
{
    if (!RunItsmoNavi(params))
        Tell(owner, kMapNotInstalled[mpItsmoNavi]);
}

void TDataInquiry::ShowMapFanMap(QWidget* owner, TMapSearchParams& params)
{
    if (!IsMapFanInstalled()) {
        Tell(owner, kMapNotInstalled[mpMapFan]);
        return;
    }
    ShowCentreView(mpMapFan, owner, params);
}

void TDataInquiry::ShowMapFanNetMap(QWidget* owner, TMapSearchParams& params)
{
    if (!IsMapFanNetInstalled()) {
        Tell(owner, kMapNotInstalled[mpMapFanNet]);
        return;
    }
    std::unique_ptr<TMapView> view = Integrations().CreateMapView(mpMapFanNet, owner);
    view->SetSearchParams(params);
    view->ShowModal();
}

void TDataInquiry::ShowMapFanPlannerMap(QWidget* owner, TMapSearchParams& params)
{
    if (!IsMapFanPLANInstalled()) {
        Tell(owner, kMapNotInstalled[mpMapFanPlanner]);
        return;
    }
    std::unique_ptr<TMapView> view = Integrations().CreateMapView(mpMapFanPlanner, owner);
    view->SetSearchParams(params);
    view->ShowModal();
}

void TDataInquiry::ShowMappleMap(QWidget* owner, TMapSearchParams& params)
{
    if (!IsMappleInstalled()) {
        Tell(owner, kMapNotInstalled[mpMapple]);
        return;
    }
    params.MappleOption1 = -1;
    params.MappleOption2 = 300;
    const QRect bounds = frameGeometry();
    params.CallerBounds = {bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1};
    ShowCentreView(mpMapple, owner, params);
}

void TDataInquiry::ShowGrandMap(QWidget* owner, TMapSearchParams& params)
{
    if (!RunGrandMap(params))
        Tell(owner, kMapNotInstalled[mpGrandMap]);
}

void TDataInquiry::ShowWebMap(QWidget* owner, TMapSearchParams& params)
{
    // The web map always searches the address, and hands nothing back.
    TMapSearchParams byAddress = params;
    byAddress.Kind = 1;
    byAddress.Latitude = 0;
    byAddress.Longitude = 0;
    if (!OpenGoogleMaps(byAddress))
        Tell(owner, kMapNotInstalled[mpWebMap]);
}

void TDataInquiry::SaveMapPosition(int latitude, int longitude)
{
    latitude_ = latitude;
    longitude_ = longitude;
    if (!heldRecord_ || !DMTelvora21 || !DMTelvora21->AdrsTable().Active())
        return;
    TSqlTable& table = DMTelvora21->AdrsTable();
    const double updated = recordform::DateTimeValue(Now());
    try {
        table.SetIndexName(QString());
        // A row gone meanwhile is left alone.
        if (!table.FindKey({heldRecord_->RecNo}))
            return;
        table.Edit();
        table.SetInteger(QStringLiteral("Latitude"), latitude);
        table.SetInteger(QStringLiteral("Longitude"), longitude);
        table.SetFloat(QStringLiteral("UpdDateTime"), updated);
        table.Post();
        table.FlushBuffers();
    } catch (const ESqlTableError& e) {
        try {
            if (table.State() == TSqlTable::TState::Edit)
                table.Cancel();
        } catch (const ESqlTableError&) {
        }
        // The held record keeps the old position: the window's new one is
        // then an unsaved change the user is asked about, not lost.
        // Said in the user's words (a book in use, a full disk), not the engine's English.
        ShowMessage(this, QStringLiteral("緯度経度を保存できませんでした  \r\n") + e.ShownCause() + QStringLiteral("  "),
                    MB_OK | MB_ICONSTOP);
        return;
    }
    heldRecord_->Latitude = latitude;
    heldRecord_->Longitude = longitude;
    heldRecord_->UpdDateTime = updated;
    // The row as shown follows, so the next update does not take this
    // write for another program's change.
    if (rowAsShown_ && rowAsShown_->RecNo == heldRecord_->RecNo) {
        rowAsShown_->Latitude = latitude;
        rowAsShown_->Longitude = longitude;
        rowAsShown_->UpdDateTime = updated;
    }
}

// ---------------------------------------------------------------- route

void TDataInquiry::bbtnRootClick()
{
    THourglass hourglass;
    switch (Settings().Root) {
    case rpExpert: ShowExpertRouteSearch(); break;
    case rpNorikae: ShowNorikaeRouteSearch(); break;
    default: break;
    }
}

void TDataInquiry::ShowExpertRouteSearch()
{
    int latitude = 0;
    int longitude = 0;
    if (latitude_ != 0 && longitude_ > 0) {
        latitude = ArcMsTo256thSeconds(latitude_);
        longitude = ArcMsTo256thSeconds(longitude_);
    }
    std::unique_ptr<TRouteWindow> route = Integrations().CreateRouteWindow(rpExpert, this);
    route->SetStartPosition(latitude, longitude);
    route->ShowModal();
}

void TDataInquiry::ShowNorikaeRouteSearch()
{
    std::unique_ptr<TRouteWindow> route = Integrations().CreateRouteWindow(rpNorikae, this);
    if (!route->Start())
        return;
    route->SetStartPosition(latitude_, longitude_);
    route->ShowModal();
}

// ---------------------------------------------------------------- QR map, web, mail

void TDataInquiry::bbtnQRMapClick()
{
    std::optional<THourglass> hourglass(std::in_place);
    TQRCodeMap map(this);
    map.SetAddress(ui->edtTdfkn->text() + ui->edtAdrs1->text() + ui->edtAdrs2->text() + ui->edtAdrs3->text());
    hourglass.reset();
    map.ShowModal();
}

void TDataInquiry::bbtnGetURLClick()
{
    // No browser's address can be read from its window here; what is typed
    // stays.
    ShowMessage(this, QStringLiteral("ブラウザのアドレスは読み取れません  "), MB_OK | MB_ICONINFORMATION);
    FocusAtEnd(ui->edtURL);
}

void TDataInquiry::bbtnOpenURLClick()
{
    QString address = cp932::Trim(ui->edtURL->text());
    if (address.isEmpty()) {
        ShowMessage(this, QStringLiteral("ホームページURLを入力してください  "), MB_OK | MB_ICONINFORMATION);
        FocusAtEnd(ui->edtURL);
        return;
    }
    if (!StartsWithNoCase(address, "http://") && !StartsWithNoCase(address, "https://"))
        address.prepend(QStringLiteral("http://"));
    if (const int status = OpenUrlStatus(address); status != 0)
        ShowMessage(this, QStringLiteral("ホームページを開けませんでした  \r\n") + OpenFailureCause(status),
                    MB_OK | MB_ICONWARNING);
}

void TDataInquiry::bbtnEMailClick(int tag)
{
    QLineEdit* edit = tag == 0 ? ui->edtEMail1 : ui->edtEMail2;
    // The mail program gets the address alone, never a query (?attach=...).
    const QString address = MailtoAddress(edit->text());
    if (address.isEmpty()) {
        ShowMessage(this, QStringLiteral("メールアドレスを入力してください  "), MB_OK | MB_ICONINFORMATION);
        FocusAtEnd(edit);
        return;
    }
    EnsureMailtoUrlProtocol();
    const int status = OpenUrlStatus(address);
    if (status != 0)
        ShowMessage(this,
                    QStringLiteral("メールソフトが起動できませんでした  \r\nResult = ") + QString::number(status) +
                        QStringLiteral("  "),
                    MB_OK | MB_ICONINFORMATION);
}
