#include "integrations/MapServices.h"

#include "platform/Cp932.h"
#include "platform/Seams.h"
#include "platform/ui/DialogKit.h"
#include "platform/ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Milliseconds of arc in 180 degrees: the widest a coordinate can be.
constexpr int kMaxArc = 180 * 3600 * 1000;

const QString kWebMapSearch = QStringLiteral("https://www.google.com/maps/search/?api=1&query=");

// The map window of ours: what the record gave it, and a centre the user may
// move (typed, as there is no map to drag here). Views of programs that hand
// no centre back show it read-only.
class TMapStandInView : public TModalDialog, public TMapView {
public:
    TMapStandInView(QWidget* owner, bool returnsCentre) : TModalDialog(owner), returnsCentre_(returnsCentre)
    {
        setWindowTitle(QStringLiteral("地図表示"));
        auto* form = new QFormLayout;
        address_ = new QLabel(this);
        tel_ = new QLabel(this);
        latitude_ = new QSpinBox(this);
        longitude_ = new QSpinBox(this);
        for (QSpinBox* box : {latitude_, longitude_}) {
            box->setRange(-kMaxArc, kMaxArc);
            box->setReadOnly(!returnsCentre);
        }
        form->addRow(QStringLiteral("住所"), address_);
        form->addRow(QStringLiteral("電話番号"), tel_);
        form->addRow(QStringLiteral("緯度 (1/1000秒)"), latitude_);
        form->addRow(QStringLiteral("経度 (1/1000秒)"), longitude_);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &TModalDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &TModalDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(buttons);
        ApplyDialogConventions(this);
    }

    int SetSearchParams(const TMapSearchParams& params) override
    {
        given_ = params;
        address_->setText(params.Address);
        tel_->setText(params.TelNo);
        latitude_->setValue(params.Latitude);
        longitude_->setValue(params.Longitude);
        if (params.Kind == 0 && params.Latitude != 0 && params.Longitude != 0)
            return 0;
        if (!params.Address.isEmpty() || !params.TelNo.isEmpty())
            return 1;
        return 2;
    }

    int ShowModal() override { return TModalDialog::ShowModal(); }

    bool GetPosition(int& latitude, int& longitude) const override
    {
        if (!returnsCentre_)
            return false;
        // Cancel leaves the map where it was opened.
        const bool moved = result() == mrOk;
        latitude = moved ? latitude_->value() : given_.Latitude;
        longitude = moved ? longitude_->value() : given_.Longitude;
        return true;
    }

private:
    bool returnsCentre_;
    TMapSearchParams given_;
    QLabel* address_;
    QLabel* tel_;
    QSpinBox* latitude_;
    QSpinBox* longitude_;
};

// The route window of ours: the start position it was given; no route
// program answers here.
class TRouteStandIn : public TModalDialog, public TRouteWindow {
public:
    TRouteStandIn(QWidget* owner, int root) : TModalDialog(owner), root_(root)
    {
        setWindowTitle(QStringLiteral("路線検索"));
        position_ = new QLabel(this);
        auto* note = new QLabel(QStringLiteral("路線検索プログラムが見つかりません  "), this);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        connect(buttons, &QDialogButtonBox::rejected, this, &TModalDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(position_);
        layout->addWidget(note);
        layout->addWidget(buttons);
        ApplyDialogConventions(this);
    }

    bool Start() override
    {
        if (root_ == rpExpert)
            return true;
        ShowMessage(parentWidget(), QStringLiteral("乗換案内を起動できません  "), MB_OK | MB_ICONINFORMATION);
        return false;
    }

    void SetStartPosition(int latitude, int longitude) override
    {
        position_->setText(QStringLiteral("出発地の緯度 %1  経度 %2").arg(latitude).arg(longitude));
    }

    int ShowModal() override { return TModalDialog::ShowModal(); }

private:
    int root_;
    QLabel* position_;
};

TIntegrations*& installed()
{
    static TIntegrations* current = nullptr;
    return current;
}

} // namespace

bool TIntegrations::IsInstalled(int) const { return false; }

std::unique_ptr<TMapView> TIntegrations::CreateMapView(int map, QWidget* owner)
{
    const bool returnsCentre = map == mpAtlasMate || map == mpProAtlas || map == mpProAtlasW || map == mpMapFan ||
                               map == mpMapple;
    return std::make_unique<TMapStandInView>(owner, returnsCentre);
}

std::unique_ptr<TRouteWindow> TIntegrations::CreateRouteWindow(int root, QWidget* owner)
{
    return std::make_unique<TRouteStandIn>(owner, root);
}

TIntegrations& Integrations()
{
    static TIntegrations builtIn;
    return installed() ? *installed() : builtIn;
}

TIntegrations* SetIntegrations(TIntegrations* integrations)
{
    TIntegrations* old = installed();
    installed() = integrations;
    return old;
}

bool IsAtlasMateInstalled() { return Integrations().IsInstalled(mpAtlasMate); }
bool IsProAtlasInstalled() { return Integrations().IsInstalled(mpProAtlas); }
bool IsProAtlasWInstalled() { return Integrations().IsInstalled(mpProAtlasW); }
bool IsMapFanInstalled() { return Integrations().IsInstalled(mpMapFan); }
bool IsMapFanNetInstalled() { return Integrations().IsInstalled(mpMapFanNet); }
bool IsMapFanPLANInstalled() { return Integrations().IsInstalled(mpMapFanPlanner); }
bool IsMappleInstalled() { return Integrations().IsInstalled(mpMapple); }

// These programs exist only on another desktop.
bool RunEmapZ(const TMapSearchParams&) { return false; }
bool RunItsmoNavi(const TMapSearchParams&) { return false; }
bool RunGrandMap(const TMapSearchParams&) { return false; }

QString WebMapUrl(const QString& address)
{
    return kWebMapSearch + QString::fromLatin1(QUrl::toPercentEncoding(cp932::Trim(address)));
}

bool OpenGoogleMaps(const TMapSearchParams& params)
{
    if (cp932::Trim(params.Address).isEmpty())
        return false;
    return OpenUrl(WebMapUrl(params.Address));
}
