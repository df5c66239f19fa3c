#include "RecordWindowFixture.h"

#include "core/Folders.h"
#include "core/ui/AdrsList.h"
#include "app/AppWiring.h"
#include "platform/ui/DialogKit.h"
#include "platform/IniFile.h"
#include "platform/ui/ByteLimitEdit.h"
#include "support/TestSupport.h"
#include "records/NameEdit.h"
#include "records/RecordMapping.h"

#include <QApplication>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

namespace {

TEST_F(RecordWindow, FullRecordShownAndHeldReportsNoChange)
{
    showRow(0);
    EXPECT_EQ(window->GetCurrentRecNo(), 100);
    EXPECT_EQ(find<QLineEdit>("edtPos")->text(), QStringLiteral("123-4567"));
    EXPECT_EQ(find<QLineEdit>("edtUpdDateTime")->text(), QStringLiteral(" 2023/03/15 06:00:00"));
    EXPECT_EQ(find<QLineEdit>("edtMyNumber")->text(), QStringLiteral("1234567890123"));
    EXPECT_EQ(find<QLineEdit>("edtAdrs2")->text(), QStringLiteral("表町１－２－３"));
    EXPECT_EQ(find<QPlainTextEdit>("mmoNote")->toPlainText(), QStringLiteral("一行目\n二行目"));
    EXPECT_EQ(find<QLineEdit>("nmedtNameKanji")->text(), QStringLiteral("𠮷田 太郎"));
    EXPECT_EQ(find<QComboBox>("cbxSender")->currentText(), QStringLiteral("本社"));
    EXPECT_EQ(find<QComboBox>("cbxCatSub")->currentData().toInt(), 503);
    EXPECT_EQ(find<QComboBox>("cbxJointOwner")->currentText(), QStringLiteral("一郎"));
    EXPECT_EQ(find<QTreeWidget>("lvExtLink")->topLevelItemCount(), 10);
    EXPECT_FALSE(find<QPushButton>("bbtnAddExtLink")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("btnUpdate")->isEnabled());
    EXPECT_FALSE(find<QCheckBox>("chkContinualAdd")->isEnabled());
    EXPECT_FALSE(window->IsModified());
}

TEST_F(RecordWindow, EveryComparedControlCountsAsAChange)
{
    QStringList lines = QStringLiteral("edtCustomCode edtTel edtFax edtPortable1 edtPortable2 edtPos edtTdfkn edtAdrs1 "
                                       "edtAdrs2 edtAdrs3 edtAdrsKana edtJisCode edtMyNumber nmedtCorpKanji edtCorpKana "
                                       "edtEmployeeNo nmedtNameKanji nmedtNameKana edtURL edtEMail1 edtEMail2 edtPubDate")
                            .split(u' ');
    QStringList texts = QStringLiteral("cbxDptmnt cbxPost cbxHonor").split(u' ');
    QStringList clicks = QStringLiteral("chkMainNumber sbtnPriv chkIgnoreName sbtnJointPrintM sbtnPrintTarget "
                                        "sbtnPrintException").split(u' ');
    for (int n = 1; n <= 5; ++n) {
        lines << QStringLiteral("nmedtJoint%1").arg(n) << QStringLiteral("edtJointMyNumber%1").arg(n)
              << QStringLiteral("edtKeyword%1").arg(n);
        texts << QStringLiteral("cbxJointHonor%1").arg(n);
        if (n != 2) // joint name 2 heads the names and is always printed
            clicks << QStringLiteral("sbtnJointPrint%1").arg(n);
    }
    for (int n = 6; n <= 8; ++n)
        texts << QStringLiteral("cbxKeyword%1").arg(n);
    for (int n = 1; n <= 10; ++n)
        lines << QStringLiteral("edtProtectMemo%1").arg(n);

    using Edit = std::function<void()>;
    std::vector<std::pair<QString, Edit>> edits;
    for (const QString& name : lines)
        edits.emplace_back(name, [=, this] { find<QLineEdit>(name)->setText(QStringLiteral("別")); });
    for (const QString& name : texts)
        edits.emplace_back(name, [=, this] { find<QComboBox>(name)->setEditText(QStringLiteral("別")); });
    for (const QString& name : clicks)
        edits.emplace_back(name, [=, this] { find<QAbstractButton>(name)->click(); });
    for (auto [name, index] : {std::pair{"cbxGroup", 5}, {"cbxCatMain", 2}, {"cbxCatSub", 0}, {"cbxJointOwner", 0}, {"cbxSender", 0}})
        edits.emplace_back(name, [=, this] {
            QComboBox* c = find<QComboBox>(name);
            c->setCurrentIndex(index);
            emit c->activated(index);
        });
    edits.emplace_back("cbxSymbolMark", [this] { find<QComboBox>("cbxSymbolMark")->setCurrentIndex(1); });
    edits.emplace_back("mmoNote", [this] { find<QPlainTextEdit>("mmoNote")->appendPlainText(QStringLiteral("三行目")); });
    edits.emplace_back("mmoProtectNote", [this] { find<QPlainTextEdit>("mmoProtectNote")->setPlainText(QStringLiteral("秘密")); });
    edits.emplace_back("lvExtLink", [this] { delete find<QTreeWidget>("lvExtLink")->topLevelItem(9); });
    edits.emplace_back("lblKajoCode", [this] { find<QLabel>("lblKajoCode")->setText(QStringLiteral("001003")); });
    ASSERT_EQ(edits.size(), 78u);

    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name.toStdString());
        showRow(0);
        ASSERT_FALSE(window->IsModified());
        edit();
        EXPECT_TRUE(window->IsModified());
    }
    // What the change test ignores: the case of a link, blanks around a text.
    showRow(0);
    QTreeWidgetItem* link = find<QTreeWidget>("lvExtLink")->topLevelItem(0);
    link->setText(1, link->text(1).toUpper());
    find<QLineEdit>("edtAdrs1")->setText(QStringLiteral("千代田区 "));
    find<QLineEdit>("edtAddDateTime")->setText(QStringLiteral(" 2001/01/01 00:00:00"));
    find<QLineEdit>("edtUpdDateTime")->clear();
    EXPECT_FALSE(window->IsModified());
}

TEST_F(RecordWindow, UnknownSenderAndCategoryAreHandledSoundly)
{
    list.rows[0].Sender = 55;     // not in Sender.DB
    list.rows[0].CodeMain = 12;   // not in the category list
    list.rows[0].CodeSub = 4;
    showRow(0);
    EXPECT_EQ(find<QComboBox>("cbxSender")->currentText(), QStringLiteral("標準"));
    EXPECT_EQ(window->ReadControls().Sender, 0);
    EXPECT_EQ(window->ReadControls().CodeMain, 12);
    EXPECT_EQ(window->ReadControls().CodeSubEntry, 1204);
    // Held as shown: the sender that is gone counts as the standard one.
    EXPECT_FALSE(window->IsModified());
}

TEST_F(RecordWindow, NavigationFollowsTheSourceList)
{
    auto enabled = [this](const char* name) { return find<QPushButton>(name)->isEnabled(); };
    showRow(0);
    EXPECT_FALSE(enabled("sbtnPrior"));
    EXPECT_TRUE(enabled("sbtnNext"));
    EXPECT_EQ(find<QLabel>("lblNowRec")->text(), QStringLiteral("1"));
    EXPECT_EQ(find<QLabel>("lblTotalRec")->text(), QStringLiteral("3"));

    find<QPushButton>("sbtnLast")->click();
    EXPECT_EQ(window->GetCurrentRecNo(), 102);
    EXPECT_FALSE(enabled("sbtnNext"));
    EXPECT_TRUE(enabled("sbtnPrior"));
    // "next" from the last row leaves the window as it was.
    QTest::mouseClick(find<QPushButton>("sbtnNext"), Qt::LeftButton);
    EXPECT_EQ(window->GetCurrentRecNo(), 102);

    find<QPushButton>("sbtnPrior")->click();
    EXPECT_EQ(window->GetCurrentRecNo(), 101);
    EXPECT_EQ(find<QLabel>("lblNowRec")->text(), QStringLiteral("2"));

    window->SetSourceMode(TDataInquiry::smNone);
    window->UpdateNavigation();
    EXPECT_FALSE(enabled("sbtnFirst"));
    EXPECT_EQ(find<QLabel>("lblNowRec")->text(), QStringLiteral("---"));
}

TEST_F(RecordWindow, ModesShowTheirCaptionsAndButtons)
{
    const TListingDetail l = SampleCompanyListing();
    window->ShowRegist(l);
    EXPECT_EQ(find<QLineEdit>("edtFax")->text(), l.Tel);
    EXPECT_EQ(find<QLineEdit>("nmedtCorpKanji")->text(), QStringLiteral("株式会社能登表示"));
    EXPECT_EQ(find<QComboBox>("cbxCatMain")->currentIndex(), 5);
    EXPECT_EQ(find<QComboBox>("cbxCatSub")->currentData().toInt(), 503);
    EXPECT_FALSE(find<QPushButton>("btnUpdate")->isEnabled());
    EXPECT_FALSE(window->IsModified()); // an untouched listing is not a change
    find<QLineEdit>("edtAdrs3")->setText(QStringLiteral("5階"));
    EXPECT_TRUE(window->IsModified());

    Settings().OutOfTarget = false;
    window->ShowRegist(l);
    EXPECT_TRUE(window->IsModified());

    // New input: empty registration with continual add offered.
    messages.Answer(IDNO);
    find<QPushButton>("bbtnNew")->click();
    EXPECT_EQ(window->DataShown(), 0);
    EXPECT_FALSE(find<QPushButton>("btnDelete")->isEnabled());
    EXPECT_EQ(find<QLabel>("lblNowRec")->text(), QStringLiteral("---"));
    EXPECT_TRUE(find<QCheckBox>("chkContinualAdd")->isEnabled());
    EXPECT_TRUE(find<QLineEdit>("edtTel")->text().isEmpty());
    EXPECT_FALSE(window->IsModified());
}

TEST_F(RecordWindow, SavePromptAsksAndKeepsInputWhenTheWriteFails)
{
    showRow(0);
    find<QLineEdit>("edtAdrs3")->setText(QStringLiteral("別ビル"));
    messages.Answer(IDCANCEL);
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), TSaveResult::Cancelled);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("照会中のデータが変更されています  ")));
    // Yes, but no book is open: the write fails and the input stays.
    messages.Answer(IDYES);
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), TSaveResult::Cancelled);
    EXPECT_EQ(messages.LastText(), QStringLiteral("update error"));
    EXPECT_EQ(find<QLineEdit>("edtAdrs3")->text(), QStringLiteral("別ビル"));
    EXPECT_TRUE(list.updated.isEmpty());

    messages.Answer(IDNO);
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), TSaveResult::NotSaved);
    Settings().ChangeData = false;
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), TSaveResult::NotSaved);
    window->SetSkipSaveConfirm(true);
    Settings().FormClose = true;
    messages.Clear();
    EXPECT_EQ(window->ConfirmSaveChanges(1, false), TSaveResult::NotSaved);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(RecordWindow, FailedDeleteKeepsTheWindowAndTellsNoOne)
{
    showRow(1);
    messages.Answer(IDYES);
    find<QPushButton>("btnDelete")->click();
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_TRUE(list.deleted.isEmpty());
    EXPECT_FALSE(DataInquiry.isNull());
}

TEST_F(RecordWindow, EditsKeepTheLimitsOfTheirFields)
{
    auto* adrs = find<TByteLimitEdit>("edtAdrs1");
    auto* name = find<TNameEdit>("nmedtNameKanji");
    auto* kana = find<TNameEdit>("nmedtNameKana");
    auto* joint = find<TNameEdit>("nmedtJoint5");
    const auto type = TypeChars;
    type(adrs, QStringLiteral("北é"));
    EXPECT_EQ(adrs->text(), QStringLiteral("北"));
    // Names are Unicode up to 15 (joint names 11) UTF-16 units, as the wide form stores them.
    type(name, QStringLiteral("éあいうえおかきくけこさしすせそ"));
    EXPECT_EQ(name->text().size(), 15);
    type(joint, QStringLiteral("あいうえおかきくけこさし"));
    EXPECT_EQ(joint->text().size(), 11);
    // The reading is kept in code page 932: 25 bytes, nothing it cannot hold.
    type(kana, QStringLiteral("ﾔﾏﾀﾞé"));
    EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞ"));
    type(kana, QStringLiteral("ﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳ"));
    EXPECT_EQ(kana->text().size(), 25);
    // The memos are stored in code page 932 too; the protected one in at most
    // 1000 bytes, where a line break takes two.
    auto* note = find<QPlainTextEdit>("mmoNote");
    type(note, QStringLiteral("メモé"));
    EXPECT_EQ(note->toPlainText(), QStringLiteral("メモ"));
    auto* secret = find<QPlainTextEdit>("mmoProtectNote");
    secret->setPlainText(QString(498, QChar(u'あ')));
    QTest::keyClick(secret, Qt::Key_Return);
    type(secret, QStringLiteral("あい"));
    EXPECT_EQ(secret->toPlainText(), QStringLiteral("\n") + QString(499, QChar(u'あ')));
}

TEST_F(RecordWindow, EveryOneLineInputTakesTheFirstLineOfWhatArrivesByEveryWay)
{
    showRow(0);
    window->show();
    ExpectFirstLineEverywhere(window, 56); // all but the dates, the JIS code and the common My Number
}

// Protected fields under the lock look read-only and answer a typed key
// with the beep of every refused input; without the lock they take typing
// on the usual ground. The common My Number is changed in the settings only.
TEST_F(RecordWindow, LockedFieldsLookReadOnlyAndBeepAtTyping)
{
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("合言葉")));
    showRow(0);
    const QColor face = QApplication::palette().color(QPalette::Window);
    const QColor base = QApplication::palette().color(QPalette::Base);
    ASSERT_NE(face, base);
    for (const bool admin : {false, true}) {
        Settings().AdminMode = admin;
        window->ApplyAdminMode();
        for (const QString name : {"edtJointMyNumber3", "edtEnvMyNumber", "edtProtectMemo1", "edtProtectMemo10"}) {
            SCOPED_TRACE(testing::Message() << name.toStdString() << " " << admin);
            auto* edit = find<TByteLimitEdit>(name);
            const bool locked = !admin || name == QStringLiteral("edtEnvMyNumber");
            const QString before = edit->text();
            QSignalSpy beeps(edit, &TByteLimitEdit::InputRefused);
            edit->end(false);
            QTest::keyClick(edit, Qt::Key_1);
            EXPECT_EQ(edit->text(), locked ? before : before + u'1');
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(beeps.count(), locked ? 3 : 0);
            EXPECT_EQ(edit->palette().color(QPalette::Base), locked ? face : base);
        }
    }
}

TEST_F(RecordWindow, WindowGoesAwayAndClearsItsReference)
{
    showRow(0);
    EXPECT_EQ(DataInquiry.data(), window);
    window->show();
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(DataInquiry.isNull());
    EXPECT_EQ(list.index, -1); // the list no longer has a row shown elsewhere
}

// The main window saved anywhere opens wholly on a 1600 x 1000 screen, and
// 環境設定 opened from it shows its OK button on the screen.
TEST(WindowPlacement, SettingsFromAMainWindowAnywhereShowItsOkButton)
{
    const QRect area(0, 0, 1600, 1000);
    SetWorkAreaHandler([area](const QRect&) { return area; });
    TTempDataFolder folder;
    TMessageRecorder messages;
    const QPoint cases[] = {{0, 0}, {1000, 500}, {1599, 999}, {-5000, -4000}, {99999, 300}};
    for (const QPoint& at : cases) {
        SCOPED_TRACE(testing::Message() << at.x() << "," << at.y());
        TIniFile ini(SettingsFileName());
        ini.WriteInteger(QStringLiteral("ADRS LIST"), QStringLiteral("Left"), at.x());
        ini.WriteInteger(QStringLiteral("ADRS LIST"), QStringLiteral("Top"), at.y());
        ini.UpdateFile();
        LoadSettings();
        TDMTelvora21 dm;
        TAddressList list;
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        EXPECT_TRUE(area.contains(list.frameGeometry()));
        QRect ok;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("OK"))
                    ok = QRect(b->mapToGlobal(QPoint(0, 0)), b->size());
            qobject_cast<QDialog*>(dialog)->reject();
        });
        EditSettings(list);
        EXPECT_TRUE(!ok.isEmpty() && area.contains(ok)) << ok.x() << "," << ok.y();
    }
    SetWorkAreaHandler({});
}

TEST_F(RecordWindow, ListingsOfACategorySearchAreShownForRegistration)
{
    TFakeResults results;
    results.rows.push_back(SampleCompanyListing());
    TListingDetail person = SampleCompanyListing();
    person.ListingKind = 99;
    person.TelKind = 0;
    person.Name = QStringLiteral("山田太郎");
    person.NameKana = QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ");
    results.rows.push_back(person);
    TListingDetail fax = SampleCompanyListing();
    fax.TelKind = 1;
    results.rows.push_back(fax);
    SetInquiryLinksProvider([&] {
        TInquiryLinks links;
        links.AddressList = &list;
        links.CategorySearch = &results;
        return links;
    });
    auto enabled = [this](const char* name) { return find<QPushButton>(name)->isEnabled(); };
    auto text = [this](const char* name) { return find<QLineEdit>(name)->text(); };

    window->SetSourceMode(TDataInquiry::smCategorySearch);
    results.index = 0;
    window->ShowRegist(results.rows[0]);
    EXPECT_EQ(text("edtTel"), QStringLiteral("0312345678")); // kind 2: telephone and fax
    EXPECT_EQ(text("edtFax"), QStringLiteral("0312345678"));
    EXPECT_FALSE(enabled("sbtnPrior"));
    EXPECT_FALSE(find<QCheckBox>("chkContinualAdd")->isEnabled());

    // Untouched listings are no change: stepping on asks nothing.
    find<QPushButton>("sbtnNext")->click();
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_TRUE(find<QToolButton>("sbtnPriv")->isChecked());
    EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("山田太郎"));
    EXPECT_EQ(text("nmedtNameKana"), QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ"));

    find<QPushButton>("sbtnLast")->click();
    EXPECT_TRUE(text("edtTel").isEmpty()); // kind 1: fax only
    EXPECT_EQ(text("edtFax"), QStringLiteral("0312345678"));

    // A changed listing is offered for registration before moving on; Cancel stays.
    find<QLineEdit>("edtAdrs3")->setText(QStringLiteral("３階"));
    messages.Answer(IDCANCEL);
    find<QPushButton>("sbtnFirst")->click();
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("入力途中のデータがあります  \r\n")));
    EXPECT_EQ(results.index, 2);
    EXPECT_EQ(text("edtAdrs3"), QStringLiteral("３階"));
    messages.Answer(IDNO);
    find<QPushButton>("sbtnFirst")->click();
    EXPECT_EQ(results.index, 0);
}

} // namespace

namespace {

TEST_F(RecordWindow, EmptiedWindowWithAGroupIsNoInput)
{
    Settings().ChangeData = true;
    Settings().Confirmation = false;
    showRow(0); // group 3
    find<QPushButton>("bbtnNew")->click();
    EXPECT_EQ(find<QComboBox>("cbxGroup")->currentIndex(), 3);
    EXPECT_FALSE(window->IsModified());
    // Nothing is stored and nothing asked when the next one comes.
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), TSaveResult::NotSaved);
    EXPECT_TRUE(messages.Messages().empty());
    // Typing something makes it input again.
    find<QLineEdit>("edtAdrs3")->setText(QStringLiteral("表ビル"));
    EXPECT_TRUE(window->IsModified());
}

TEST_F(RecordWindow, MajorCategoryWithoutAMinorStaysWithoutOne)
{
    list.rows[0].CodeSub = 0; // major 5, which has minors
    showRow(0);
    EXPECT_EQ(find<QComboBox>("cbxCatSub")->currentIndex(), -1);
    EXPECT_FALSE(window->IsModified());
    TAdrsRecord written;
    RecordFromInput(window->ReadControls(), TRecordForm::Write, written);
    EXPECT_EQ(written.CodeMain, 5);
    EXPECT_EQ(written.CodeSub, 0);

    // Choosing the major anew takes its first minor, as before.
    QComboBox* major = find<QComboBox>("cbxCatMain");
    for (int code : {0, 5}) {
        major->setCurrentIndex(major->findData(code));
        emit major->activated(major->currentIndex());
    }
    EXPECT_EQ(window->ReadControls().CodeSubEntry, 501);
}

TEST_F(RecordWindow, NoteEndingInEmptyLinesIsNoChangeAndKeepsItsLines)
{
    for (const QByteArray& stored : {QByteArray("\x83\x81\x83\x82\r\n\r\n"), QByteArray("\r\n"), QByteArray()}) {
        list.rows[0].Note = TLineList::FromStored(stored);
        showRow(0);
        EXPECT_FALSE(window->IsModified()) << stored.toHex().toStdString();
        TAdrsRecord written;
        RecordFromInput(window->ReadControls(), TRecordForm::Write, written, &list.rows[0]);
        ASSERT_TRUE(written.Note);
        EXPECT_EQ(written.Note.StoredText(), stored);
    }
    // Typed anew, an empty last line is a line of its own.
    TAdrsRecord typed;
    TRecordInput in;
    in.Note = QStringLiteral("メモ\r\n");
    RecordFromInput(in, TRecordForm::Write, typed);
    EXPECT_EQ(typed.Note.StoredText(), QByteArray("\x83\x81\x83\x82\r\n\r\n"));
}

} // namespace
