#include "core/ui/DuplicateSearch.h"

#include "ui_DuplicateSearch.h"

#include "core/DuplicateSets.h"
#include "platform/ui/MessageBox.h"

namespace {

const char* const kItemNames[] = {"電話番号", "住所", "会社名", "名前"};

} // namespace

TDuplicateSearch::TDuplicateSearch(QWidget* owner)
    : TModalDialog(owner), ui(std::make_unique<Ui::TDuplicateSearch>())
{
    ui->setupUi(this);
    ui->cbxItem2->addItem(QStringLiteral("（指定しない）"));
    for (const char* name : kItemNames) {
        ui->cbxItem1->addItem(QString::fromUtf8(name));
        ui->cbxItem2->addItem(QString::fromUtf8(name));
    }
    ui->cbxItem1->setCurrentIndex(0);
    ui->cbxItem2->setCurrentIndex(0);
    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->SetNext(ui->cbxItem1, ui->cbxItem2);
    enter->SetNext(ui->cbxItem2, ui->btnView);
    connect(ui->btnView, &QPushButton::clicked, this, &TDuplicateSearch::onView);
    connect(ui->btnClear, &QPushButton::clicked, this, [this] {
        cleared_ = true;
        accept();
    });
    connect(ui->btnCancel, &QPushButton::clicked, this, &TDuplicateSearch::reject);
    SetItems(0, 0);
}

TDuplicateSearch::~TDuplicateSearch() = default;

void TDuplicateSearch::SetItems(int item1, int item2)
{
    if (item1 < 1 || item1 > kDuplicateItemCount)
        item1 = diNone;
    if (item1 == diNone || item2 < 1 || item2 > kDuplicateItemCount || item2 == item1)
        item2 = diNone;
    givenItem1_ = item1;
    givenItem2_ = item2;
    ui->cbxItem1->setCurrentIndex(item1 == diNone ? 0 : item1 - 1);
    ui->cbxItem2->setCurrentIndex(item2);
    ui->btnClear->setEnabled(item1 != diNone);
}

void TDuplicateSearch::GetItems(int& item1, int& item2) const
{
    if (cleared_) {
        item1 = item2 = diNone;
        return;
    }
    item1 = ui->cbxItem1->currentIndex() + 1;
    item2 = ui->cbxItem2->currentIndex();
}

void TDuplicateSearch::onView()
{
    int item1 = 0, item2 = 0;
    GetItems(item1, item2);
    if (item1 == item2) {
        ShowMessage(this, QStringLiteral("同じ項目を指定できません  "), MB_OK | MB_ICONINFORMATION);
        ui->cbxItem2->setFocus();
        return;
    }
    if (item1 == givenItem1_ && item2 == givenItem2_)
        reject(); // nothing changed: the display stays as it is
    else
        accept();
}
