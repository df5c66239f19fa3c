#include "listing_search/NmAdSch.h"

#include "platform/ui/MessageBox.h"
#include "ui_NmAdSch.h"

namespace {
TNameAdrsSearch* gInstance = nullptr;
}

TNameAdrsSearch::TNameAdrsSearch(QWidget* parent) : TListingSearchBase(parent), ui(new Ui::TNameAdrsSearch)
{
    ui->setupUi(this);
    ui->cbxTdfkn->addItem(QStringLiteral("指定しない"));
    if (TSampleListingSource* sample = SampleListingSource())
        ui->cbxTdfkn->addItems(sample->Prefectures());
    connect(ui->edtKey, &QLineEdit::returnPressed, this, &TListingSearchBase::StartSearch);
    BindControls();
    gInstance = this;
}

TNameAdrsSearch::~TNameAdrsSearch()
{
    if (gInstance == this)
        gInstance = nullptr;
}

TNameAdrsSearch* TNameAdrsSearch::Instance() { return gInstance; }

bool TNameAdrsSearch::BuildCondition(TSearchCondition& cond)
{
    cond.SearchKind = ui->rbTel->isChecked()       ? TSearchCondition::ByTel
                      : ui->rbAddress->isChecked() ? TSearchCondition::ByAddress
                                                   : TSearchCondition::ByName;
    cond.Key = ui->edtKey->text().trimmed();
    cond.Tdfkn = ui->cbxTdfkn->currentIndex() > 0 ? ui->cbxTdfkn->currentText() : QString();
    const bool empty = cond.SearchKind == TSearchCondition::ByTel ? DigitsOf(cond.Key).isEmpty() : cond.Key.isEmpty();
    if (empty) {
        ShowMessage(this, QStringLiteral("検索条件を入力してください。  "), MB_ICONINFORMATION);
        ui->edtKey->setFocus();
        return false;
    }
    return true;
}

void TNameAdrsSearch::SetConditionEnabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(ui->rbName), static_cast<QWidget*>(ui->rbAddress),
                       static_cast<QWidget*>(ui->rbTel), static_cast<QWidget*>(ui->edtKey),
                       static_cast<QWidget*>(ui->cbxTdfkn)})
        w->setEnabled(enabled);
}
