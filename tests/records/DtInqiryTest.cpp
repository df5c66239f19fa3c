#include "RecordWindowFixture.h"

#include "core/DBInfo.h"
#include "platform/ByteLimitEdit.h"
#include "records/NameEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>
#include <functional>

namespace {

TEST_F(RecordWindow, FullRecordShownAndHeldReportsNoChange)
{
    showRow(0);
    EXPECT_EQ(window->GetCurrentRecNo(), 100);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("アドレス帳情報照会"));
    EXPECT_EQ(find<QLineEdit>("edtPos")->text(), QStringLiteral("123-4567"));
    EXPECT_EQ(find<QLineEdit>("edtPubDate")->text(), QStringLiteral(" 1998年04月"));
    EXPECT_EQ(find<QLineEdit>("edtAddDateTime")->text(), QStringLiteral(" 1998/05/15 12:00:00"));
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
    using Edit = std::function<void()>;
    auto line = [this](const char* name, QString text) {
        return [this, name, text] { find<QLineEdit>(name)->setText(text); };
    };
    auto combo = [this](const char* name, int index) {
        return [this, name, index] { find<QComboBox>(name)->setCurrentIndex(index); };
    };
    auto comboActivated = [this](const char* name, int index) {
        return [this, name, index] {
            QComboBox* c = find<QComboBox>(name);
            c->setCurrentIndex(index);
            emit c->activated(index);
        };
    };
    auto comboText = [this](const char* name, QString text) {
        return [this, name, text] { find<QComboBox>(name)->setEditText(text); };
    };
    auto click = [this](const char* name) { return [this, name] { find<QAbstractButton>(name)->click(); }; };
    const std::vector<std::pair<const char*, Edit>> edits = {
        {"cbxGroup", comboActivated("cbxGroup", 5)},
        {"edtCustomCode", line("edtCustomCode", "X1")},
        {"edtTel", line("edtTel", "03-1234-0000")},
        {"chkMainNumber", click("chkMainNumber")},
        {"edtFax", line("edtFax", "1")},
        {"edtPortable1", line("edtPortable1", "1")},
        {"edtPortable2", line("edtPortable2", "1")},
        {"edtPos", line("edtPos", "123-4568")},
        {"edtTdfkn", line("edtTdfkn", "大阪府")},
        {"edtAdrs1", line("edtAdrs1", "北区")},
        {"edtAdrs2", line("edtAdrs2", "表町１")},
        {"edtAdrs3", line("edtAdrs3", "ソフト")},
        {"edtAdrsKana", line("edtAdrsKana", "ｱ")},
        {"edtJisCode", line("edtJisCode", "27127")},
        {"edtMyNumber", line("edtMyNumber", "")},
        {"sbtnPriv", click("sbtnPriv")},
        {"nmedtCorpKanji", line("nmedtCorpKanji", "別会社")},
        {"edtCorpKana", line("edtCorpKana", "ﾍﾞﾂ")},
        {"cbxDptmnt", comboText("cbxDptmnt", "総務部")},
        {"cbxPost", comboText("cbxPost", "課長")},
        {"edtEmployeeNo", line("edtEmployeeNo", "9")},
        {"nmedtNameKanji", line("nmedtNameKanji", "𠮷田 花子")},
        {"nmedtNameKana", line("nmedtNameKana", "ﾊﾅｺ")},
        {"cbxHonor", comboText("cbxHonor", "殿")},
        {"chkIgnoreName", click("chkIgnoreName")},
        {"cbxCatMain", comboActivated("cbxCatMain", 2)},
        {"cbxCatSub", comboActivated("cbxCatSub", 0)},
        {"edtURL", line("edtURL", "https://example.com/")},
        {"edtEMail1", line("edtEMail1", "c@example.jp")},
        {"edtEMail2", line("edtEMail2", "")},
        {"nmedtJoint3", line("nmedtJoint3", "三子")},
        {"cbxJointHonor2", comboText("cbxJointHonor2", "殿")},
        {"edtJointMyNumber1", line("edtJointMyNumber1", "")},
        {"cbxJointOwner", comboActivated("cbxJointOwner", 0)},
        {"sbtnJointPrintM", click("sbtnJointPrintM")},
        {"sbtnJointPrint1", click("sbtnJointPrint1")},
        {"cbxSender", comboActivated("cbxSender", 0)},
        {"sbtnPrintTarget", click("sbtnPrintTarget")},
        {"sbtnPrintException", click("sbtnPrintException")},
        {"edtKeyword1", line("edtKeyword1", "")},
        {"edtKeyword5", line("edtKeyword5", "別")},
        {"cbxKeyword7", comboText("cbxKeyword7", "別")},
        {"mmoNote", [this] { find<QPlainTextEdit>("mmoNote")->appendPlainText(QStringLiteral("三行目")); }},
        {"edtProtectMemo10", line("edtProtectMemo10", "別")},
        {"mmoProtectNote", [this] { find<QPlainTextEdit>("mmoProtectNote")->setPlainText(QStringLiteral("秘密")); }},
        {"lvExtLink", [this] { delete find<QTreeWidget>("lvExtLink")->topLevelItem(9); }},
        {"cbxSymbolMark", combo("cbxSymbolMark", 1)},
    };
    for (const auto& [name, edit] : edits) {
        showRow(0);
        ASSERT_FALSE(window->IsModified()) << name;
        edit();
        EXPECT_TRUE(window->IsModified()) << name;
    }
    // What the change test ignores: the case of a link, blanks around a text.
    showRow(0);
    QTreeWidgetItem* link = find<QTreeWidget>("lvExtLink")->topLevelItem(0);
    link->setText(1, link->text(1).toUpper());
    find<QLineEdit>("edtAdrs1")->setText(QStringLiteral("千代田区 "));
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
    EXPECT_FALSE(enabled("sbtnFirst"));
    EXPECT_FALSE(enabled("sbtnPrior"));
    EXPECT_TRUE(enabled("sbtnNext"));
    EXPECT_EQ(find<QLabel>("lblNowRec")->text(), QStringLiteral("1"));
    EXPECT_EQ(find<QLabel>("lblTotalRec")->text(), QStringLiteral("3"));

    find<QPushButton>("sbtnLast")->click();
    EXPECT_EQ(window->GetCurrentRecNo(), 102);
    EXPECT_FALSE(enabled("sbtnNext"));
    EXPECT_FALSE(enabled("sbtnLast"));
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
    EXPECT_EQ(window->windowTitle(), QStringLiteral("アドレス帳情報登録"));
    EXPECT_EQ(find<QLineEdit>("edtFax")->text(), l.Tel);
    EXPECT_EQ(find<QLineEdit>("nmedtCorpKanji")->text(), QStringLiteral("株式会社能登表示"));
    EXPECT_EQ(find<QComboBox>("cbxCatMain")->currentIndex(), 5);
    EXPECT_EQ(find<QComboBox>("cbxCatSub")->currentData().toInt(), 503);
    EXPECT_FALSE(find<QPushButton>("btnUpdate")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("btnDelete")->isEnabled());
    EXPECT_TRUE(window->HasSnapshot());
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
    EXPECT_TRUE(find<QCheckBox>("chkContinualAdd")->isEnabled());
    EXPECT_TRUE(find<QLineEdit>("edtTel")->text().isEmpty());
    EXPECT_FALSE(window->IsModified());
}

TEST_F(RecordWindow, SavePromptAsksAndKeepsInputWhenTheWriteFails)
{
    showRow(0);
    find<QLineEdit>("edtAdrs3")->setText(QStringLiteral("別ビル"));
    messages.Answer(IDCANCEL);
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), 9);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("照会中のデータが変更されています  \r\n\r\n"
                                                  "アドレス帳に保存する場合は「はい」  \r\n"
                                                  "破棄する場合は「いいえ」  \r\n"
                                                  "中止する場合は「キャンセル」  \r\n\r\n"
                                                  "を押してください  "));
    // Yes, but no book is open: the write fails and the input stays.
    messages.Answer(IDYES);
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), 9);
    EXPECT_EQ(messages.LastText(), QStringLiteral("update error"));
    EXPECT_EQ(find<QLineEdit>("edtAdrs3")->text(), QStringLiteral("別ビル"));
    EXPECT_TRUE(list.updated.isEmpty());

    messages.Answer(IDNO);
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), 1);
    Settings().ChangeData = false;
    EXPECT_EQ(window->ConfirmSaveChanges(0, false), 1);
    window->SetSkipSaveConfirm(true);
    Settings().FormClose = true;
    messages.Clear();
    EXPECT_EQ(window->ConfirmSaveChanges(1, false), 1);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(RecordWindow, FailedDeleteKeepsTheWindowAndTellsNoOne)
{
    showRow(1);
    messages.Answer(IDYES);
    find<QPushButton>("btnDelete")->click();
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[0].text, QStringLiteral("このデータを削除します  \r\nよろしいですか？  "));
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_TRUE(list.deleted.isEmpty());
    EXPECT_FALSE(DataInquiry.isNull());
}

TEST_F(RecordWindow, EditsKeepTheLimitsOfTheirFields)
{
    auto* adrs = find<TByteLimitEdit>("edtAdrs1");
    auto* memo = find<TByteLimitEdit>("edtProtectMemo1");
    auto* name = find<TNameEdit>("nmedtNameKanji");
    auto* kana = find<TNameEdit>("nmedtNameKana");
    auto* joint = find<TNameEdit>("nmedtJoint5");
    EXPECT_EQ(adrs->MaxBytes(), 32);
    EXPECT_EQ(memo->MaxBytes(), 60);
    // Typed characters, as the keyboard or an input method delivers them.
    auto type = [](QWidget* edit, const QString& text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    };
    type(adrs, QStringLiteral("北é"));
    EXPECT_EQ(adrs->text(), QStringLiteral("北"));
    // Names are Unicode up to 15 (joint names 11) UTF-16 units, as the wide form stores them.
    type(name, QStringLiteral("é"));
    EXPECT_EQ(name->text(), QStringLiteral("é"));
    type(name, QStringLiteral("あいうえおかきくけこさしすせそた"));
    EXPECT_EQ(name->text().size(), 15);
    type(joint, QStringLiteral("あいうえおかきくけこさし"));
    EXPECT_EQ(joint->text().size(), 11);
    // The reading is kept in code page 932: 25 bytes, nothing it cannot hold.
    type(kana, QStringLiteral("ﾔﾏﾀﾞé"));
    EXPECT_EQ(kana->text(), QStringLiteral("ﾔﾏﾀﾞ"));
    type(kana, QStringLiteral("ﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳﾀﾛｳ"));
    EXPECT_EQ(kana->text().size(), 25);
}

TEST_F(RecordWindow, WindowGoesAwayAndClearsItsReference)
{
    showRow(0);
    EXPECT_EQ(DataInquiry.data(), window);
    window->show();
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(DataInquiry.isNull());
    EXPECT_EQ(list.index, -1);
}

} // namespace

namespace {

TEST_F(RecordWindow, RegistersTypedInputAndRefusesDuplicates)
{
    TDMTelvora21 dm;
    dm.OpenAdrsTable(QStringLiteral("Book1"));
    find<QCheckBox>("chkContinualAdd")->setEnabled(true);
    find<QLineEdit>("edtCustomCode")->setText(QStringLiteral("C-1"));
    find<QLineEdit>("edtTel")->setText(QStringLiteral("03-1234-5678"));
    find<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("𠮷田"));
    find<QPushButton>("btnAdd")->click();
    ASSERT_EQ(dm.AdrsTable().RecordCount(), 1);
    dm.AdrsTable().Last();
    TAdrsRecord stored;
    ReadAdrsRecord(dm.AdrsTable(), stored);
    EXPECT_EQ(AtHexToWide(stored.NameKanji.Bytes()), QStringLiteral("𠮷田"));
    EXPECT_EQ(stored.Tel.Bytes(), QByteArray("0312345678"));
    EXPECT_EQ(stored.AddDateTime, std::floor(stored.AddDateTime * 86400.0 + 0.5) / 86400.0);

    // Same customer code again: refused with the focus on the code.
    find<QLineEdit>("edtCustomCode")->setText(QStringLiteral("C-1"));
    find<QPushButton>("btnAdd")->click();
    EXPECT_EQ(messages.LastText(), QStringLiteral("入力した顧客コードは既に使われています  \r\n別のコードに変更してください  "));
    EXPECT_EQ(dm.AdrsTable().RecordCount(), 1);

    // Same telephone number: asked, and No writes nothing.
    find<QLineEdit>("edtCustomCode")->setText(QStringLiteral("C-2"));
    messages.Answer(IDNO);
    find<QPushButton>("btnAdd")->click();
    EXPECT_EQ(messages.LastText(), QStringLiteral("既に同一の電話番号のデータが登録されています  \r\n登録しますか？  "));
    EXPECT_EQ(dm.AdrsTable().RecordCount(), 1);
    EXPECT_EQ(find<QLineEdit>("edtCustomCode")->text(), QStringLiteral("C-2"));
}

} // namespace
