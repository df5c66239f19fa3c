#include "core/ui/WordSearch.h"

#include "ui_WordSearch.h"

#include "platform/Cp932.h"

TWordSearch::TWordSearch(QWidget* owner) : TModalDialog(owner), ui(std::make_unique<Ui::TWordSearch>())
{
    ui->setupUi(this);
    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->SetNext(ui->edtWord, ui->btnSearch);
    connect(ui->btnSearch, &QPushButton::clicked, this, &TWordSearch::accept);
    connect(ui->btnClear, &QPushButton::clicked, this, [this] {
        ui->edtWord->clear();
        accept();
    });
    connect(ui->btnCancel, &QPushButton::clicked, this, &TWordSearch::reject);
}

TWordSearch::~TWordSearch() = default;

void TWordSearch::SetWord(const QString& word)
{
    ui->edtWord->setText(word);
    ui->edtWord->setSelection(0, int(word.size())); // the caret ends at the end of the selection
}

QString TWordSearch::GetWord() const { return cp932::Trim(ui->edtWord->text()); }
