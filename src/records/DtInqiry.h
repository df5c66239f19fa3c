#pragma once
// TDataInquiry: the record window. Shows one address record (inquiry) or a
// business listing / empty input (registration), steps through the list it
// was opened from, and registers, changes and deletes records. One modeless
// top-level instance, reached through DataInquiry while it exists.

#include "integrations/MapSearchParams.h"
#include "records/InquiryLinks.h"
#include "records/ItemCopy.h"
#include "records/RecordInput.h"
#include "records/RecordWriter.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

namespace Ui {
class TDataInquiry;
}
class QLineEdit;
class QLabel;
class QComboBox;
class QToolButton;
class TTntNMDEdit;
class TTntNameDic;
class TDicSearch;

// How ConfirmSaveChanges ended; the values are the ones callers have always
// been given.
enum class TSaveResult : int {
    Saved = 0,     // the input was written
    NotSaved = 1,  // nothing to save, or the user let it go
    Cancelled = 9, // the user cancelled, or the input is invalid or could not be written
};

class TDataInquiry : public QWidget {
    Q_OBJECT

public:
    // Which lists the shown data comes from.
    enum : int { smNone = -1, smNameSearch = 0, smAddressList = 1, smCategorySearch = 2 };
    // The six My Number edits of CheckMyNumbers: 0 the person's, 1-5 the joint names'.
    static constexpr unsigned kAllMyNumbers = 0x3F;

    explicit TDataInquiry(QWidget* parent = nullptr);
    ~TDataInquiry() override;

    // Operations other windows call.
    void SetSourceMode(int mode);
    int SourceMode() const { return sourceMode_; }
    void SetDataShown(int shown);
    int DataShown() const { return dataShown_; }
    void ShowInquiry(const TAdrsRecord& record);
    void ShowRegist(const TListingDetail& listing);
    // kind 0: another record is about to be shown, 1: the window closes.
    TSaveResult ConfirmSaveChanges(int kind, bool refresh);
    void StartNumberSearch();
    void SetSkipSaveConfirm(bool skip) { skipSaveConfirm_ = skip; }
    int GetCurrentRecNo() const;

    // The record mapping.
    void ShowRecord(TAdrsRecord& record);
    void ShowListing(const TListingDetail& listing);
    void TakeSnapshot(bool take);
    void HoldRecord(const TAdrsRecord& record);
    bool IsModified();
    // Whether this input differs from what the window compares with.
    bool IsModified(const TRecordInput& input) const;
    void CheckMyNumbers(unsigned which);
    void ClearControls();
    void UpdateNavigation();

    // The controls as plain values, and back.
    TRecordInput ReadControls() const;
    void WriteControls(const TRecordInput& input);

    // The dictionary lookup behind the telephone (0), postal-code (1) and
    // address (2) search buttons.
    // askForKey: a key that finds nothing (an empty one) opens the dialog for
    // the user to type one, as new input does.
    void LookupDictionary(int kind, const QString& key, bool askForKey = false);

    bool HasHeldRecord() const { return heldRecord_ != nullptr; }

    // Item copy: the chosen items of the shown input as the clipboard gets
    // them, and their settings, written at once after the chooser's OK.
    QString ItemCopyText() const;
    void CopyItemsClick();
    void CopySettingClick();
    bool SaveCopySettings();
    const TCopyItems& CopyItems() const { return copyItems_; }
    bool CopyLastReturn() const { return copyLastReturn_; }
    bool HasSnapshot() const { return snapshot_ != nullptr; }

    // Refresh hooks: run when the window starts, and by the other windows after the setting they show changed.
    void ShowCommonMyNumber();
    // The hints of the map and route buttons name the programs of the
    // [COOPERATE] settings.
    void UpdateCooperateHints();
    void ApplyAdminMode();
    // Before the administrator lock comes on: My Numbers or protected memos
    // changed and not saved would be kept from the save under the lock, so
    // they are asked about (as the save before another record is): Yes
    // saves the input, No puts the stored values back, Cancel keeps the lock
    // off. False when the lock is to stay off.
    bool ConfirmLockOverProtectedInput();
    void RefreshGroupList();
    void RefreshSenderList();
    void SelectSender(int senderRecNo);
    void ApplyKeywordNames();
    void ApplyKeywordModes();
    void ApplyProtectMemoNames();
    void ApplyProtectMemoModes();
    static constexpr int kBatchFlagCount = 17;
    void ApplyBatchChange(const TAdrsRecord& record, const std::array<bool, kBatchFlagCount>& flags);
    // Runs the lookup dialog modally and answers its result; tests replace
    // it (an empty runner restores the dialog's own; the one in place is
    // returned).
    using TDicSearchRunner = std::function<int(TDicSearch& dialog)>;
    static TDicSearchRunner SetDicSearchRunner(TDicSearchRunner runner);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void InitControls();
    void ConnectInput();
    void LoadSettings();
    void SaveWindowSettings();
    void FillCategoryMain();
    void FillCategorySub(int major, int selectCode);
    void FillHistoryLists();
    bool ChooseSenderEntry(int recNo);
    void GetJisCodeClick();
    void StartNewInputLookup();
    void ApplyPrivCorp();
    void JointChanged(int n);
    void JointLeft(int n);
    void ChooseJointOwner(int code);
    void SetJointPrint(int n, bool pressed);
    void UpdateJointPrintGlyph(int n);
    void SetPrintTarget(int target);
    void SetExtLinks(const QStringList& links);
    void SetSymbolColor(int color);
    void RepaintSourceLists();
    void FocusGroupIfShown();
    void MoveRecord(TMoveKind kind);
    void NewInput();
    void AddRecord();
    void UpdateRecord();
    void DeleteRecord();
    bool DeleteRow(int recNo, QString* cause);
    bool ValidateInput(bool isNew);
    TWriteResult WriteRecord(bool isUpdate, int* newRecNo);
    // What the input is compared with: the held record, the snapshot of a
    // listing, or an empty record of the input's kind and group.
    TAdrsRecord ComparedRecord(const TRecordInput& input) const;
    QString writeCause_; // why the last WriteRecord failed, for its message
    void SaveInputHistories();
    TSourceLink* SourceLink(const TInquiryLinks& links) const;
    void DicSearchClick(int tag);
    void ConnectNameEdits();
    void NameConvertNeed(int tag, bool need, const QString& reading, int kind);
    void ApplyNameReading(const QString& name, const QString& reading);
    TTntNMDEdit* NameEdit(int tag) const;         // 0 name, 1 its reading, 2-6 joint names

    QLineEdit* JointEdit(int n) const;            // 1-5
    QComboBox* JointHonor(int n) const;           // 1-5
    QToolButton* JointPrintButton(int n) const;   // 0 the person, 1-5
    QLineEdit* MyNumberEdit(int i) const;         // 0 the person, 1-5
    QLabel* MyNumberImage(int i) const;
    QLabel* MyNumberDigits(int i) const;
    QLineEdit* ProtectMemoEdit(int i) const;      // 0-9

    std::unique_ptr<Ui::TDataInquiry> ui;
    int sourceMode_ = smNone;
    int dataShown_ = -1;
    std::unique_ptr<TAdrsRecord> heldRecord_;
    // The row as read when the held record was shown: an update checks the
    // table still holds it, so another program's change is never written over.
    std::unique_ptr<TAdrsRecord> rowAsShown_;
    std::unique_ptr<TAdrsRecord> snapshot_;
    int groupNo_ = 0;
    int majorCode_ = 0;
    int keptSubEntry_ = 0; // a stored minor category the list does not hold
    int jointOwner_ = 0;
    int sender_ = 0;
    int latitude_ = 0;
    int longitude_ = 0;
    int symbolColor_ = kDefaultSymbolColor;
    bool skipSaveConfirm_ = false;
    bool shownOnce_ = false;
    QPointer<TTntNameDic> nameDic_; // the name-reading popup, made on first use

    // Item copy.
    void LoadCopySettings();
    TCopyItems copyItems_ = DefaultCopyItems();
    bool copyLastReturn_ = true;

    // Input behaviour: the buttons of the input, the Enter table, the tab
    // change and the note memo's line break.
    void ConnectButtons();
    void EditListClick(int tag);
    void EditGroupClick();
    void AddExtLinkClick();
    void AddExtLinkFile();
    void AddExtLinkUrl();
    bool AddExtLink(const QString& link);
    void DelExtLinkClick();
    void OpenExtLinkClick();
    void SymbolColorClick();
    void WebSearchClick();
    void UpdateEnterTable();
    void TabChanged(int index);
    void NoteLeft();
    QString noteWithBreak_; // the memo's text right after leaving it added a line break

    // Launches: map, route, QR map, home page and mail.
    void ConnectLaunches();
    TMapSearchParams MapSearchParams() const;
    void bbtnMapClick();
    void ShowAtlasMateMap(QWidget* owner, TMapSearchParams& params);
    void ShowProAtlasMap(QWidget* owner, TMapSearchParams& params);
    void ShowProAtlasWMap(QWidget* owner, TMapSearchParams& params);
    void ShowEmapZMap(QWidget* owner, TMapSearchParams& params);
    void ShowItsmoNaviMap(QWidget* owner, TMapSearchParams& params);
    void ShowMapFanMap(QWidget* owner, TMapSearchParams& params);
    void ShowMapFanNetMap(QWidget* owner, TMapSearchParams& params);
    void ShowMapFanPlannerMap(QWidget* owner, TMapSearchParams& params);
    void ShowMappleMap(QWidget* owner, TMapSearchParams& params);
    void ShowGrandMap(QWidget* owner, TMapSearchParams& params);
    void ShowWebMap(QWidget* owner, TMapSearchParams& params);
    void SaveMapPosition(int latitude, int longitude);
    void bbtnRootClick();
    void ShowExpertRouteSearch();
    void ShowNorikaeRouteSearch();
    void bbtnQRMapClick();
    void bbtnGetURLClick();
    void bbtnOpenURLClick();
    void bbtnEMailClick(int tag);
};

// The record window while it exists; cleared when it goes.
extern QPointer<TDataInquiry> DataInquiry;
