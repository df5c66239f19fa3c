#include "integrations/WebSearch.h"

#include "platform/Cp932.h"
#include "platform/Seams.h"
#include "platform/ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TWebSearch::TWebSearch(QWidget* owner) : TModalDialog(owner)
{
    setWindowTitle(QStringLiteral("Web検索"));
    word_ = new QLineEdit(this);
    word_->setObjectName(QStringLiteral("edtWord"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* search = buttons->addButton(QStringLiteral("検索"), QDialogButtonBox::ActionRole);
    search->setObjectName(QStringLiteral("btnSearch"));
    buttons->addButton(QDialogButtonBox::Close);
    connect(search, &QPushButton::clicked, this, [this] { Search(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &TModalDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("検索する語句"), this));
    layout->addWidget(word_);
    layout->addWidget(buttons);
    ApplyDialogConventions(this);
}

void TWebSearch::SetWord(const QString& word)
{
    word_->setText(word);
    word_->setCursorPosition(int(word_->text().size()));
    word_->deselect();
}

QString TWebSearch::Word() const { return word_->text(); }

QString TWebSearch::SearchUrl(const QString& word)
{
    return QStringLiteral("https://www.google.com/search?q=") +
           QString::fromLatin1(QUrl::toPercentEncoding(cp932::Trim(word)));
}

bool TWebSearch::Search()
{
    const QString word = cp932::Trim(word_->text());
    if (word.isEmpty()) {
        ShowMessage(this, QStringLiteral("検索する語句を入力してください  "), MB_OK | MB_ICONINFORMATION);
        word_->setFocus();
        return false;
    }
    if (!OpenUrl(SearchUrl(word))) {
        ShowMessage(this, QStringLiteral("ブラウザを起動できませんでした  "), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    return true;
}
