// The record window kept in step with the rest of the program: masking in
// and out of administrator mode, a batch change applied to the held record,
// senders that went away, item names, the telephone
// lookup that new input starts with, and the settings window's changes.

#include "RecordWindowFixture.h"

#include "core/AdrsRecord.h"
#include "core/ItemNames.h"
#include "core/ui/AdrsList.h"
#include "app/AppWiring.h"
#include "listing_search/DicSch.h"
#include "records/ItemNameEdit.h"
#include "records/RecordMapping.h"
#include "records/RecordWriter.h"

#include "core/AdrsBook.h"
#include "core/DBInfo.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodQueryEvent>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <functional>

namespace {

using TFlags = std::array<bool, TDataInquiry::kBatchFlagCount>;

QStringList MaskedEdits()
{
    QStringList names{QStringLiteral("edtEnvMyNumber"), QStringLiteral("edtMyNumber")};
    for (int i = 1; i <= 5; ++i)
        names << QStringLiteral("edtJointMyNumber%1").arg(i);
    for (int i = 1; i <= 10; ++i)
        names << QStringLiteral("edtProtectMemo%1").arg(i);
    return names;
}

// The address list whose senders the test changes.
class TSenderList : public TFakeAddressList {
public:
    std::vector<std::pair<int, QString>> senders{{7, QStringLiteral("本社")}, {9, QStringLiteral("支店")}};
    int SenderCount() const override { return int(senders.size()); }
    QString SenderTitle(int i) const override { return senders[size_t(i)].second; }
    int SenderRecNo(int i) const override { return senders[size_t(i)].first; }
};

class RecordRefresh : public RecordWindowOnBook {
protected:
    QLineEdit* edit(const QString& name) { return find<QLineEdit>(name); }
    // The record as it would be stored from what the window shows.
    TAdrsRecord shownRecord()
    {
        TAdrsRecord r;
        RecordFromInput(window->ReadControls(), TRecordForm::Snapshot, r);
        return r;
    }
};

TEST_F(RecordRefresh, ProtectedFieldsAreMaskedAndReadOnlyUntilAdministratorModeIsOn)
{
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("合言葉")));
    ASSERT_TRUE(SetCommonMyNumber(QStringLiteral("123456789018")));
    window->ShowCommonMyNumber();
    window->ApplyAdminMode();
    showRow(0);
    const TRecordInput shown = window->ReadControls();
    auto* note = find<QPlainTextEdit>("mmoProtectNote");
    auto* mask = find<QLabel>("pnlProtectNoteMask");

    for (const QString& name : MaskedEdits()) {
        QLineEdit* e = edit(name);
        EXPECT_EQ(e->echoMode(), QLineEdit::Password) << name.toStdString();
        EXPECT_EQ(e->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, e), int(u'*'))
            << name.toStdString();
        EXPECT_TRUE(e->isReadOnly()) << name.toStdString();
    }
    EXPECT_FALSE(note->isEnabled());
    EXPECT_FALSE(mask->isHidden());
    EXPECT_EQ(mask->text(), QStringLiteral("閲覧・編集できません"));
    // Behind the mask the text is the plain one the change test reads.
    EXPECT_EQ(edit("edtEnvMyNumber")->text(), QStringLiteral("123456789018"));
    EXPECT_EQ(edit("edtProtectMemo3")->text(), QStringLiteral("memo2"));
    EXPECT_FALSE(window->IsModified());
    QTest::keyClicks(edit("edtProtectMemo1"), QStringLiteral("x"));
    EXPECT_EQ(window->ReadControls(), shown);

    Settings().AdminMode = true;
    window->ApplyAdminMode();
    for (const QString& name : MaskedEdits()) {
        EXPECT_EQ(edit(name)->echoMode(), QLineEdit::Normal) << name.toStdString();
        EXPECT_EQ(edit(name)->isReadOnly(), name == QStringLiteral("edtEnvMyNumber")) << name.toStdString();
    }
    EXPECT_TRUE(note->isEnabled());
    EXPECT_TRUE(mask->isHidden());
    EXPECT_EQ(window->ReadControls(), shown);
    EXPECT_FALSE(window->IsModified());

    // No password: nothing is masked whatever the mode.
    Settings().AdminMode = false;
    ASSERT_TRUE(SetAdminPassword(QString()));
    window->ApplyAdminMode();
    EXPECT_EQ(edit("edtMyNumber")->echoMode(), QLineEdit::Normal);
    EXPECT_FALSE(edit("edtMyNumber")->isReadOnly());
}

// Under the lock a protected field takes nothing, whichever way input comes.
TEST_F(RecordRefresh, LockedProtectedFieldsRefuseEveryInputPath)
{
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("合言葉")));
    Settings().AdminMode = true;
    window->ApplyAdminMode();
    showRow(0);
    window->show();
    for (const QString& name : MaskedEdits().mid(1)) { // steps typed while unlocked, to undo and redo
        CommitText(edit(name), QStringLiteral("9"));
        QTest::keySequence(edit(name), QKeySequence::Undo);
    }
    Settings().AdminMode = false;
    window->ApplyAdminMode();
    const TRecordInput shown = window->ReadControls();
    for (const QString& name : MaskedEdits()) {
        SCOPED_TRACE(name.toStdString());
        QLineEdit* e = edit(name);
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(e, &query);
        EXPECT_FALSE(query.value(Qt::ImEnabled).toBool());
        const QString before = e->text();
        CommitText(e, QStringLiteral("漢字"));
        EXPECT_EQ(e->text(), before) << "commit";
        QTest::keySequence(e, QKeySequence::Redo);
        QTest::keySequence(e, QKeySequence::Undo);
        e->redo();
        e->undo(); // a masked edit's undo() clears it
        e->redo();
        EXPECT_EQ(e->text(), before) << "undo and redo";
    }
    EXPECT_EQ(window->ReadControls(), shown);
    EXPECT_FALSE(window->IsModified());
    // A stored memo longer than its edit takes is not cut by leaving the locked edit.
    edit("edtProtectMemo1")->setText(QString(40, u'表'));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit("edtProtectMemo1"), &leave);
    EXPECT_EQ(edit("edtProtectMemo1")->text(), QString(40, u'表'));
}

TEST_F(RecordRefresh, BatchChangeOfOneKeywordChangesThatKeywordAndTheUpdateDateAlone)
{
    TAdrsRecord change = FullSampleRecord();
    change.Group = 9;
    change.Sender = 9;
    change.CodeMain = 2;
    change.CodeSub = 0;
    change.SymbolColor = 0x123456;
    change.PrivCorp = !change.PrivCorp;
    for (int i = 0; i < kKeywordCount; ++i)
        change.Keyword[size_t(i)].SetText(QStringLiteral("一括%1").arg(i + 1));
    change.UpdDateTime = 46000.5;
    TFlags keyword3{};
    keyword3[9] = true;

    // Without a held record there is nothing to apply it to.
    const TRecordInput empty = window->ReadControls();
    window->ApplyBatchChange(change, keyword3);
    EXPECT_EQ(window->ReadControls(), empty);

    showRow(0);
    const QString typed = QStringLiteral("手で直した");
    edit("edtKeyword1")->setText(typed); // input the batch change must leave alone
    const TRecordInput before = window->ReadControls();
    window->ApplyBatchChange(change, keyword3);
    TRecordInput after = window->ReadControls();
    EXPECT_EQ(edit("edtKeyword3")->text(), QStringLiteral("一括3"));
    EXPECT_EQ(edit("edtUpdDateTime")->text(), InputFromRecord(change).UpdDateTime);
    EXPECT_NE(after.UpdDateTime, before.UpdDateTime);
    after.Keyword[2] = before.Keyword[2];
    after.UpdDateTime = before.UpdDateTime;
    EXPECT_EQ(after, before);
    // The held record took the keyword: once the typed one is taken back,
    // nothing is left to save.
    edit("edtKeyword1")->setText(list.rows[0].Keyword[0].Text());
    EXPECT_FALSE(window->IsModified());
    edit("edtKeyword3")->setText(list.rows[0].Keyword[2].Text());
    EXPECT_TRUE(window->IsModified());
}

TEST_F(RecordRefresh, BatchChangeOfGroupCategoryWithoutMinorAndGoneSenderLeavesNothingToSave)
{
    showRow(0);
    TAdrsRecord change = list.rows[0];
    change.Group = 10;
    change.CodeMain = 5; // a category without a minor
    change.CodeSub = 0;
    change.Sender = 42;  // no sender holds it
    TFlags flags{};
    flags[0] = flags[4] = flags[6] = true;
    window->ApplyBatchChange(change, flags);
    EXPECT_EQ(find<QComboBox>("cbxGroup")->currentIndex(), 10);
    EXPECT_EQ(find<QComboBox>("cbxCatMain")->currentData().toInt(), 5);
    EXPECT_EQ(find<QComboBox>("cbxCatSub")->currentIndex(), -1);
    EXPECT_EQ(find<QComboBox>("cbxSender")->currentIndex(), 0);
    const TRecordInput input = window->ReadControls();
    EXPECT_EQ(input.CodeSubEntry, 0);
    EXPECT_EQ(input.Sender, 0);
    EXPECT_FALSE(window->IsModified()); // the held record took the same, sender 0 included
}

TEST_F(RecordRefresh, UpdateAfterABatchChangeOfTheStoredRowKeepsBothChanges)
{
    TAdrsRecord r = FullSampleRecord();
    int recNo = -1;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
    TAdrsRecord stored;
    ASSERT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, stored));
    window->ShowInquiry(stored);

    // The batch change writes the row, then tells the window.
    TAdrsRecord changed = stored;
    changed.Keyword[2].SetText(QStringLiteral("一括ソ表"));
    changed.UpdDateTime = 46000.5;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), changed, recNo, nullptr), TWriteResult::Written);
    TFlags keyword3{};
    keyword3[9] = true;
    window->ApplyBatchChange(changed, keyword3);

    edit("edtAdrs3")->setText(QStringLiteral("別館"));
    messages.Answer(IDYES);
    find<QPushButton>("btnUpdate")->click();
    EXPECT_FALSE(messages.LastText().contains(QStringLiteral("参照できませんでした"))) << messages.LastText().toStdString();
    TAdrsRecord after;
    ASSERT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, after));
    EXPECT_EQ(after.Keyword[2].Text(), QStringLiteral("一括ソ表"));
    EXPECT_EQ(after.Adrs3.Text(), QStringLiteral("別館"));
}

TEST_F(RecordRefresh, DeletedSenderBecomesTheStandardSenderInWindowAndHeldRecord)
{
    TSenderList senders;
    senders.rows = list.rows;
    SetInquiryLinksProvider([&senders] {
        TInquiryLinks links;
        links.AddressList = &senders;
        return links;
    });
    delete window;
    window = new TDataInquiry;
    window->SetSourceMode(TDataInquiry::smAddressList);
    window->ShowInquiry(senders.rows[0]); // sender 7
    auto* combo = find<QComboBox>("cbxSender");
    EXPECT_EQ(combo->currentText(), QStringLiteral("本社"));

    // SelectSender moves the held record with the window.
    window->SelectSender(9);
    EXPECT_EQ(combo->currentText(), QStringLiteral("支店"));
    EXPECT_FALSE(window->IsModified());

    senders.senders = {{7, QStringLiteral("本社")}, {11, QStringLiteral("営業所")}};
    window->RefreshSenderList();
    EXPECT_EQ(combo->currentText(), QStringLiteral("標準"));
    EXPECT_EQ(window->ReadControls().Sender, 0);
    EXPECT_FALSE(window->IsModified());
    window->SelectSender(11);
    EXPECT_EQ(combo->currentText(), QStringLiteral("営業所"));
    EXPECT_EQ(combo->count(), 3);
}

TEST_F(RecordRefresh, NewInputAndTheFirstShowingForNewInputStartTheTelephoneLookup)
{
    int page = -1;
    QString key = QStringLiteral("unset");
    TDataInquiry::SetDicSearchRunner([&](TDicSearch& dialog) {
        page = dialog.findChild<QTabWidget*>(QStringLiteral("pcDic"))->currentIndex();
        key = dialog.findChild<QLineEdit*>(QStringLiteral("edtTel"))->text();
        return 2;
    });
    window->SetSourceMode(TDataInquiry::smNameSearch);
    window->ShowRegist(SampleCompanyListing());
    edit("edtTel")->setText(QStringLiteral("03-9999-0001")); // typed over the listing's number
    messages.Answer(IDNO); // not registered
    find<QPushButton>("bbtnNew")->click();
    EXPECT_EQ(page, 0);
    EXPECT_EQ(key, QString()); // the lookup opens on the emptied window, for the number to be typed
    EXPECT_TRUE(edit("edtTel")->text().isEmpty());
    EXPECT_FALSE(window->HasSnapshot());

    // Cancelled by the user: the new input stays as it was.
    page = -1;
    delete window;
    window = new TDataInquiry;
    window->StartNumberSearch(); // not shown yet: its first showing starts it
    EXPECT_EQ(page, -1);
    window->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return page == 0; })) << page;
    EXPECT_EQ(window->windowTitle(), QStringLiteral("アドレス帳情報登録"));
}

// The main window and an open record window, as the program wires them.
class RecordRefreshWired : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        LoadItemNames();
        TDataInquiry::SetDicSearchRunner([](TDicSearch&) { return 2; });
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(QStringLiteral("得意先")));
        main = std::make_unique<TAddressList>();
        WireMainWindow(*main);
        ASSERT_TRUE(main->OpenAdrsBook(QStringLiteral("得意先")));
        window = new TDataInquiry;
    }
    void TearDown() override
    {
        if (DataInquiry) {
            DataInquiry->SetSkipSaveConfirm(true);
            delete DataInquiry.data();
        }
        main.reset();
        SetAddressListResolver({});
        TDataInquiry::SetDicSearchRunner({});
        dm.reset();
        LoadSettings();
        LoadItemNames();
    }
    // Runs the menu entry, doing `edit` in the dialog it opens.
    void run(const char* action, std::function<void(QWidget&)> edit)
    {
        QTimer::singleShot(0, [edit] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            edit(*dialog);
        });
        main->findChild<QAction*>(QLatin1String(action))->trigger();
    }
    static void ok(QWidget& dialog) { dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->click(); }
    template <class T>
    T* find(const char* name) { return window->findChild<T*>(QLatin1String(name)); }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TAddressList> main;
    TDataInquiry* window = nullptr;
};

TEST_F(RecordRefreshWired, KeywordNamesChangedInTheirDialogRelabelTheOpenRecordWindow)
{
    window->show();
    run("actKeywordEdit", [](QWidget& d) {
        d.findChild<QLineEdit*>(QStringLiteral("edtKeyword3"))->setText(QStringLiteral("担当ソ"));
        ok(d);
    });
    EXPECT_EQ(find<QLabel>("lblKeyword3")->text(), QStringLiteral("担当ソ"));
    EXPECT_EQ(find<QLabel>("lblKeyword4")->text(), DefaultKeywordName(4));
}

TEST_F(RecordRefreshWired, AdministratorModeTurnedOnInTheSettingsShowsTheOpenWindowPlain)
{
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("合言葉")));
    window->ApplyAdminMode();
    window->show();
    auto* memo = find<QLineEdit>("edtProtectMemo1");
    ASSERT_EQ(memo->echoMode(), QLineEdit::Password);
    const QByteArray stored = ReadFile(SettingsFileName());

    run("actSettings", [&](QWidget& d) {
        d.findChild<QCheckBox*>(QStringLiteral("chkAdminMode"))->setChecked(true);
        d.findChild<QLineEdit*>(QStringLiteral("edtPassword"))->setText(QStringLiteral("合言葉ではない"));
        ok(d); // refused: the dialog stays, nothing changes
        EXPECT_EQ(messages.LastText(), QStringLiteral("パスワードが正しくありません  "));
        EXPECT_FALSE(Settings().AdminMode);
        EXPECT_EQ(memo->echoMode(), QLineEdit::Password);
        EXPECT_EQ(ReadFile(SettingsFileName()), stored);
        d.findChild<QLineEdit*>(QStringLiteral("edtPassword"))->setText(QStringLiteral("合言葉"));
        ok(d);
    });
    EXPECT_TRUE(Settings().AdminMode);
    EXPECT_EQ(memo->echoMode(), QLineEdit::Normal);
    EXPECT_FALSE(memo->isReadOnly());
    EXPECT_TRUE(find<QLabel>("pnlProtectNoteMask")->isHidden());
}

TEST_F(RecordRefreshWired, SettingsStoredThroughTheDialogAreWhatTheNextRecordWindowShows)
{
    run("actSettings", [](QWidget& d) {
        d.findChild<QLineEdit*>(QStringLiteral("edtMyNumberLabel"))->setText(QStringLiteral("法人番号"));
        d.findChild<QLineEdit*>(QStringLiteral("edtMyNumber"))->setText(QStringLiteral("123456789018"));
        d.findChild<QComboBox*>(QStringLiteral("cbxMap"))->setCurrentIndex(10);
        d.findChild<QComboBox*>(QStringLiteral("cbxRoot"))->setCurrentIndex(1);
        ok(d);
    });
    // The open window follows at once, and the next start reads the same
    // from the file.
    EXPECT_EQ(find<QLabel>("lblEnvMyNumber")->text(), QStringLiteral("法人番号"));
    window->SetSkipSaveConfirm(true);
    delete window;
    Settings() = TSettings();
    LoadSettings();
    window = new TDataInquiry;
    EXPECT_EQ(find<QLabel>("lblEnvMyNumber")->text(), QStringLiteral("法人番号"));
    EXPECT_EQ(find<QLineEdit>("edtEnvMyNumber")->text(), QStringLiteral("123456789018"));
    EXPECT_EQ(find<QPushButton>("bbtnMap")->toolTip(), QStringLiteral("地図表示\nGoogle マップ"));
    EXPECT_EQ(find<QPushButton>("bbtnRoot")->toolTip(), QStringLiteral("路線検索\n乗換案内"));
}

} // namespace
