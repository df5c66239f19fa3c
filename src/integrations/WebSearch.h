#pragma once
// TWebSearch: searches the web for a word (the record's company name) in the
// desktop's browser.

#include "platform/ui/DialogKit.h"

class QLineEdit;

class TWebSearch : public TModalDialog {
    Q_OBJECT
public:
    explicit TWebSearch(QWidget* owner = nullptr);

    // Puts the word into the edit, caret at the end.
    void SetWord(const QString& word);
    QString Word() const;
    // Opens the search for the trimmed word; an empty word is asked for
    // instead. False when nothing was opened.
    bool Search();

    static QString SearchUrl(const QString& word);

private:
    QLineEdit* word_;
};
