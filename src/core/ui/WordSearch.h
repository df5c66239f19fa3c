#pragma once
// "一覧内のワード検索": asks for the word to look for in the rows of the
// address list. OK (modal result 1) comes from "検索" and from "検索の解除",
// which empties the word first; the list does the searching.

#include "platform/ui/DialogKit.h"

#include <QString>
#include <memory>

namespace Ui {
class TWordSearch;
}

class TWordSearch : public TModalDialog {
    Q_OBJECT
public:
    explicit TWordSearch(QWidget* owner = nullptr);
    ~TWordSearch() override;

    // The word in the edit, all of it selected, the caret at its end.
    void SetWord(const QString& word);
    // The edit's text without the spaces around it.
    QString GetWord() const;

private:
    std::unique_ptr<Ui::TWordSearch> ui;
};
