#include "integrations/AddExtURL.h"

#include "platform/Cp932.h"
#include "platform/ui/ByteLimitEdit.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TAddExtURL::TAddExtURL(QWidget* owner) : TModalDialog(owner)
{
    setWindowTitle(QStringLiteral("URLを登録"));
    // A link is one line of the record's links, kept in code page 932: the
    // edit takes the first line of a paste and nothing the page cannot hold.
    url_ = new TByteLimitEdit(this);
    url_->setObjectName(QStringLiteral("edtURL"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TModalDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TModalDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("URL"), this));
    layout->addWidget(url_);
    layout->addWidget(buttons);
    ApplyDialogConventions(this);
}

QString TAddExtURL::GetURL() const { return cp932::Trim(url_->text()); }
