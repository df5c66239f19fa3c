#pragma once
// The design both item-name dialogs share ("キーワード項目の設定" and
// "保護メモ項目の設定"): one row per item with its number, a name edit of at
// most 12 bytes and a choice of the five input modes; OK and Cancel.
//
// OK refuses an empty name, then writes the section of AdrsList.ini with the
// trimmed names and chosen modes; only when the file was written do the
// program's names and modes change and the dialog close. A failed write is
// told and keeps the dialog open with what was typed. After OK the caller
// reads NamesChanged and ModesChanged; Cancel leaves both clear.

#include "platform/ui/DialogKit.h"

#include <QObject>
#include <QStringList>
#include <vector>

class QComboBox;
class TByteLimitEdit;

inline constexpr int kItemNameBytes = 12;

class TItemNameEdit : public TModalDialog {
    Q_OBJECT
public:
    bool NamesChanged() const { return namesChanged_; }
    bool ModesChanged() const { return modesChanged_; }

protected:
    explicit TItemNameEdit(QWidget* owner);

    // Called once the form is set up: finds the rows by their control names
    // (edt<stem>1..., cbx<stem>1...), fills them with the current values and
    // connects OK and Cancel. itemCaption begins the message for an empty
    // name ("キーワード項目").
    void InitItems(const QString& stem, const QString& itemCaption, const QStringList& names,
                   const std::vector<int>& modes);

    // Writes the values into the dialog's section of AdrsList.ini; false
    // when the file could not be written.
    virtual bool SaveSettings(const QStringList& names, const std::vector<int>& modes) = 0;
    // Makes the written values the program's own.
    virtual void ApplySettings(const QStringList& names, const std::vector<int>& modes) = 0;

private:
    void btnOkClick();

    QString itemCaption_;
    QStringList names_;
    std::vector<int> modes_;
    std::vector<TByteLimitEdit*> edits_;
    std::vector<QComboBox*> combos_;
    bool namesChanged_ = false;
    bool modesChanged_ = false;
};

// The dialog's values as the fixed arrays the item-name store keeps.
template <class Array>
Array ToItemArray(const auto& values)
{
    Array out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = values[qsizetype(i)];
    return out;
}

// Told by the program after an item-name dialog closed with OK and the
// address list was relabelled, for the windows that show the items (the
// record window relabels its edits and applies the input modes).
class TItemNameSignals : public QObject {
    Q_OBJECT
signals:
    void keywordNamesChanged();
    void keywordModesChanged();
    void protectMemoNamesChanged();
    void protectMemoModesChanged();
};
TItemNameSignals& ItemNameSignals();
