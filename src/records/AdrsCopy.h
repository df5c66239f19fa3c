#pragma once
// TAddressCopy, "他のアドレス帳にコピー": copies records of the open book
// (the selected rows, a range of the shown rows or every shown row of the
// main window) into another book. Modeless and without an owner window, so
// it stays beside the main window; the main window calls UpdateCopyCount
// when its rows or selection change. The copying itself is TAdrsCopyEngine.
//
// Options are kept in Telvora21.ini [ADRS COPY]: the position whenever the
// window goes, the others only after a run that opened its destination.

#include "core/AdrsCopyEngine.h"

#include <QWidget>
#include <memory>
#include <vector>

class TAddressList;
class TAddressCopy;

namespace Ui {
class TAddressCopy;
}

// The one copy window of the main window: made on first use (and then told
// of the list's changes), restored and brought forward when it exists. It is
// freed when it closes and when the main window goes.
TAddressCopy* ShowAddressCopy(TAddressList& list);
TAddressCopy* AddressCopyWindow(); // nullptr while none is open

class TAddressCopy : public QWidget {
    Q_OBJECT
public:
    explicit TAddressCopy(TAddressList& list);
    ~TAddressCopy() override;

    // The number of shown rows changed: the range becomes the whole list;
    // then the count is shown again.
    void UpdateCopyCount();
    // The main window opened another book: the destinations are listed
    // anew and the range follows the new rows.
    void BookChanged();

    // One run of "コピー", as the button does.
    void CopyClick();

    int CopyCount() const;
    int BeginPos() const { return beginPos_; }
    int EndPos() const { return endPos_; }
    const TAdrsCopyCounts& LastCounts() const { return counts_; }

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadOptions();
    void saveOptions();
    void savePosition();
    void resetRange();
    void showCount();
    void showCountOf(int count);
    void fillBooks();
    void rangeTyped(bool isBegin, const QString& text);
    void applyDataChoice();
    void applyTargets();
    void applyDateBoxes();
    void rangeEdited(bool isBegin);
    int dataChoice() const;
    TAdrsCopyOptions options() const;
    std::vector<int> rowsToCopy() const;
    void bringModalForward();

    std::unique_ptr<Ui::TAddressCopy> ui;
    TAddressList& list_;
    int lowest_ = 0;
    int highest_ = 0;
    int beginPos_ = 0;
    int endPos_ = 0;
    int shownRows_ = -1;
    TAdrsCopyCounts counts_;
};
