#include "listing_search/CtgrySch.h"

#include "core/Category.h"
#include "platform/ui/MessageBox.h"
#include "ui_CtgrySch.h"

namespace {
TCategorySearch* gInstance = nullptr;
const QString kNoChoice = QStringLiteral("指定しない");
} // namespace

TCategorySearch::TCategorySearch(QWidget* parent) : TListingSearchBase(parent), ui(new Ui::TCategorySearch)
{
    ui->setupUi(this);
    ui->cbxCtgryMain->addItem(kNoChoice, 0);
    // The categories are the program's own, as in the record window, so a
    // listing found here opens there under the category it was found by.
    EnsureCategoriesLoaded();
    for (const TCtgryItem& c : CtgryMainList)
        ui->cbxCtgryMain->addItem(c.Name, c.Code);
    ui->cbxCtgryMain->setMaxVisibleItems(ui->cbxCtgryMain->count());
    ui->cbxTdfkn->addItem(kNoChoice);
    if (TSampleListingSource* sample = SampleListingSource())
        ui->cbxTdfkn->addItems(sample->Prefectures());
    connect(ui->cbxCtgryMain, &QComboBox::currentIndexChanged, this, &TCategorySearch::FillSubCategories);
    connect(ui->cbxTdfkn, &QComboBox::currentIndexChanged, this, &TCategorySearch::FillCities);
    FillSubCategories();
    FillCities();
    BindControls();
    gInstance = this;
}

TCategorySearch::~TCategorySearch()
{
    if (gInstance == this)
        gInstance = nullptr;
}

TCategorySearch* TCategorySearch::Instance() { return gInstance; }

void TCategorySearch::FillSubCategories()
{
    ui->cbxCtgrySub->clear();
    ui->cbxCtgrySub->addItem(kNoChoice, 0);
    const int major = ui->cbxCtgryMain->currentData().toInt();
    if (major > 0 && major < int(CtgrySubLists.size()))
        for (const TCtgryItem& c : CtgrySubLists[size_t(major)])
            ui->cbxCtgrySub->addItem(c.Name, c.Code % 100);
    ui->cbxCtgrySub->setEnabled(major > 0 && ui->cbxCtgryMain->isEnabled());
}

void TCategorySearch::FillCities()
{
    ui->cbxCity->clear();
    ui->cbxCity->addItem(kNoChoice);
    if (TSampleListingSource* sample = SampleListingSource(); sample && ui->cbxTdfkn->currentIndex() > 0)
        ui->cbxCity->addItems(sample->Cities(ui->cbxTdfkn->currentText()));
    ui->cbxCity->setEnabled(ui->cbxTdfkn->currentIndex() > 0 && ui->cbxTdfkn->isEnabled());
}

bool TCategorySearch::BuildCondition(TSearchCondition& cond)
{
    cond.SearchKind = TSearchCondition::ByCategory;
    cond.CtgryMain = ui->cbxCtgryMain->currentData().toInt();
    cond.CtgrySub = ui->cbxCtgrySub->currentData().toInt();
    cond.Tdfkn = ui->cbxTdfkn->currentIndex() > 0 ? ui->cbxTdfkn->currentText() : QString();
    cond.City = ui->cbxCity->currentIndex() > 0 ? ui->cbxCity->currentText() : QString();
    if (cond.CtgryMain == 0) {
        ShowMessage(this, QStringLiteral("業種を選択してください。  "), MB_ICONINFORMATION);
        ui->cbxCtgryMain->setFocus();
        return false;
    }
    if (cond.Tdfkn.isEmpty()) {
        ShowMessage(this, QStringLiteral("都道府県を選択してください。  "), MB_ICONINFORMATION);
        ui->cbxTdfkn->setFocus();
        return false;
    }
    return true;
}

void TCategorySearch::SetConditionEnabled(bool enabled)
{
    ui->cbxCtgryMain->setEnabled(enabled);
    ui->cbxTdfkn->setEnabled(enabled);
    ui->cbxCtgrySub->setEnabled(enabled && ui->cbxCtgryMain->currentIndex() > 0);
    ui->cbxCity->setEnabled(enabled && ui->cbxTdfkn->currentIndex() > 0);
}
