#pragma once
// TAddExtURL: asks for a link to add to a record's external links. After OK
// (modal result 1) GetURL returns the trimmed text.

#include "platform/ui/DialogKit.h"

class QLineEdit;

class TAddExtURL : public TModalDialog {
    Q_OBJECT
public:
    explicit TAddExtURL(QWidget* owner = nullptr);
    QString GetURL() const;

private:
    QLineEdit* url_;
};
