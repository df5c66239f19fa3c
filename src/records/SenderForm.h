#pragma once
// "差出人の編集": the sender (return-address) records of Sender.DB, one at a
// time, with first/previous/next/last, new, delete, the default sender and
// the choice of a sender for a designer.
//
// Protocol (the designers, and until they exist the main window): the data
// module has Sender.DB open; create the dialog with the caller as owner, set
// CurrentRecNo (0 for none), show it modally, reload the main window's sender
// list; after mrOk ("選択") the chosen sender is the record CurrentRecNo. The
// dialog opens the table once more itself (the open is reference-counted), so
// it never outlives it. When the table cannot be opened or its first record
// made, it says so on creation and ShowModal answers mrCancel at once.

#include "platform/ui/DialogKit.h"

#include <QPointer>
#include <array>
#include <memory>

namespace Ui {
class TSenderForm;
}
class ESqlTableError;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;
class THistoryData;
class TNameEdit;
class TSqlTable;
class TTntNameDic;

class TSenderForm : public TModalDialog {
    Q_OBJECT
public:
    explicit TSenderForm(QWidget* owner = nullptr);
    ~TSenderForm() override;

    // The record shown; the caller sets it before showing and reads it after.
    int CurrentRecNo = 0;

    // False when the dialog could not start (already told to the user).
    bool Ready() const { return ready_; }
    int LastNo() const { return lastNo_; }
    bool Changed() const { return changed_; }

    int exec() override;
    // Saves the shown record when it was changed (false when that failed or
    // its title is taken); then the dialog may close.
    bool FormCloseQuery();

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum TMove { mvFirst, mvPrior, mvNext, mvLast };

    void FormCreate();
    void FormShow();
    void FormClose();
    void ReadSettings();
    void WriteSettings();
    void ConnectControls();
    bool AppendFirstRecord(QString* cause);

    void ShowRecord();
    bool SaveData();
    bool SaveRecord();
    bool CheckTitleDuplicate();
    void FocusTitle();
    void UpdateCount();
    void Move(TMove move);
    void bbtnNewClick();
    void bbtnDeleteClick();
    void btnChoiceClick();
    void ckbDefaultClick(bool checked);
    void DataChange();
    void TelChange(bool fax);
    void cbxHeadClick(int n);
    void sbtnPrintClick(int n);
    void sbtnAdditionPrintClick(int n);
    void ckbSelInfoClick(int n);
    void bbtnEditListClick(int tag);
    void bbtnSearchClick(int tag);
    void PushHistory(QComboBox* box, THistoryData& history);
    void FillHistoryBox(QComboBox* box, const THistoryData& history);
    void UpdatePrintGlyph(QToolButton* button);
    void UpdatePrintTargets();
    // A number edit holds digits and hyphens only (notNumber otherwise), and
    // no more than maxDigits digits (message otherwise).
    bool CheckDigits(QLineEdit* edit, int maxDigits, const QString& notNumber, const QString& message);
    void NameConvertNeed(int tag, bool need, const QString& reading, int kind);
    void ApplyNameReading(const QString& name, const QString& reading);
    void ShowError(const QString& text, const ESqlTableError& e);

    TNameEdit* NameEdit(int tag) const; // 0 the name, 1-5 the joint names
    QLineEdit* JointEdit(int n) const;  // 1-5
    QLineEdit* NoteEdit(int n) const;   // 1-5
    QToolButton* PrintButton(int n) const; // 0 the name, 1-5 the joint names
    QComboBox* HeadBox(int n) const;       // 1-4
    QLineEdit* AdditionEdit(int n) const;  // 1-4
    QToolButton* AdditionPrintButton(int n) const; // 1-4
    int HeadKind(int n) const;

    TSqlTable& Table() const;

    std::unique_ptr<Ui::TSenderForm> ui;
    bool tableOpen_ = false;
    bool ready_ = false;
    int lastNo_ = 0;
    bool changed_ = false;
    bool titleChanged_ = false;
    bool loading_ = false;
    int additionPrintCount_ = 0;
    bool shownOnce_ = false;
    int storedLeft_ = 0; // the position kept in the settings, screen pixels
    int storedTop_ = 0;
    bool hasStoredPosition_ = false;
    QPointer<TTntNameDic> nameDic_; // the name-reading popup, made on first use
};
