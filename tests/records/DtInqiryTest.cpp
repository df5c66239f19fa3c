#include "RecordWindowFixture.h"

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
#include <functional>
#include <string>

namespace {

TEST_F(RecordWindow, FullRecordShownAndHeldReportsNoChange)
{
    showRow(0);
    EXPECT_EQ(window->GetCurrentRecNo(), 100);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("アドレス帳情報照会"));
    EXPECT_EQ(find<QLineEdit>("edtPos")->text(), QStringLiteral("123-4567"));
    EXPECT_EQ(find<QLineEdit>("edtPubDate")->text(), QStringLiteral(" 1998年04月"));
    EXPECT_EQ(find<QLineEdit>("edtAddDateTime")->text(), QStringLiteral(" 1998/05/15 12:00:00"));
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
    // Every numbered control, one by one.
    std::vector<std::pair<std::string, Edit>> numbered;
    auto add = [&](std::string name, Edit edit) { numbered.emplace_back(std::move(name), std::move(edit)); };
    for (int n = 1; n <= 5; ++n) {
        const std::string s = std::to_string(n);
        add("nmedtJoint" + s, [this, s] { find<QLineEdit>(("nmedtJoint" + s).c_str())->setText(QStringLiteral("別名")); });
        add("cbxJointHonor" + s, [this, s] { find<QComboBox>(("cbxJointHonor" + s).c_str())->setEditText(QStringLiteral("殿")); });
        add("edtJointMyNumber" + s, [this, s] {
            QLineEdit* e = find<QLineEdit>(("edtJointMyNumber" + s).c_str());
            e->setText(e->text() + QLatin1Char('1'));
        });
        if (n != 2) // joint name 2 heads the names and is always printed
            add("sbtnJointPrint" + s, [this, s] { find<QAbstractButton>(("sbtnJointPrint" + s).c_str())->click(); });
    }
    for (int n = 1; n <= 5; ++n) {
        const std::string name = "edtKeyword" + std::to_string(n);
        add(name, [this, name] { find<QLineEdit>(name.c_str())->setText(QStringLiteral("別")); });
    }
    for (int n = 6; n <= 8; ++n) {
        const std::string name = "cbxKeyword" + std::to_string(n);
        add(name, [this, name] { find<QComboBox>(name.c_str())->setEditText(QStringLiteral("別")); });
    }
    for (int n = 1; n <= 10; ++n) {
        const std::string name = "edtProtectMemo" + std::to_string(n);
        add(name, [this, name] { find<QLineEdit>(name.c_str())->setText(QStringLiteral("別")); });
    }
    add("edtPubDate", [this] { find<QLineEdit>("edtPubDate")->setText(QStringLiteral(" 1998年05月")); });
    add("lblKajoCode", [this] { find<QLabel>("lblKajoCode")->setText(QStringLiteral("001003")); });
    for (const auto& [name, edit] : edits)
        numbered.emplace_back(name, edit);

    for (const auto& [name, edit] : numbered) {
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
    EXPECT_EQ(window->windowTitle(), QStringLiteral("アドレス帳情報登録"));
    EXPECT_FALSE(find<QPushButton>("btnUpdate")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("btnDelete")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("btnAdd")->isEnabled());
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

// A search window's results as the record window steps through them.
class TFakeResults : public TResultLink {
public:
    std::vector<TListingDetail> rows;
    int index = -1;

    bool IsFirst() override { return rows.empty() || index <= 0; }
    bool IsLast() override { return rows.empty() || index >= int(rows.size()) - 1; }
    int Count() override { return int(rows.size()); }
    int CurrentIndex() override { return index; }
    void SetCurrentIndex(int i) override { index = i; }
    void UpdateColor() override {}
    bool Move(TMoveKind kind, TListingDetail& listing) override
    {
        const int to = kind == mkFirst ? 0 : kind == mkPrior ? index - 1 : kind == mkNext ? index + 1 : Count() - 1;
        if (to < 0 || to >= Count())
            return false;
        index = to;
        listing = rows[size_t(to)];
        return true;
    }
};

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
    EXPECT_EQ(window->windowTitle(), QStringLiteral("アドレス帳情報登録"));
    EXPECT_EQ(text("edtTel"), QStringLiteral("0312345678")); // kind 2: telephone and fax
    EXPECT_EQ(text("edtFax"), QStringLiteral("0312345678"));
    EXPECT_EQ(text("edtPos"), QStringLiteral("100-0001"));
    EXPECT_EQ(text("edtPubDate"), QStringLiteral(" 1998年04月"));
    EXPECT_EQ(text("nmedtCorpKanji"), QStringLiteral("株式会社能登表示"));
    EXPECT_EQ(find<QComboBox>("cbxCatMain")->currentIndex(), 5);
    EXPECT_EQ(find<QComboBox>("cbxCatSub")->currentData().toInt(), 503);
    EXPECT_FALSE(enabled("sbtnFirst"));
    EXPECT_FALSE(enabled("sbtnPrior"));
    EXPECT_TRUE(enabled("sbtnNext"));
    EXPECT_EQ(find<QLabel>("lblTotalRec")->text(), QStringLiteral("3"));
    EXPECT_TRUE(enabled("btnAdd"));
    EXPECT_FALSE(enabled("btnUpdate"));
    EXPECT_FALSE(enabled("btnDelete"));
    EXPECT_FALSE(find<QCheckBox>("chkContinualAdd")->isEnabled());

    // Untouched listings are no change: stepping on asks nothing.
    find<QPushButton>("sbtnNext")->click();
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_TRUE(find<QToolButton>("sbtnPriv")->isChecked());
    EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("山田太郎"));
    EXPECT_EQ(text("nmedtNameKana"), QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ"));
    EXPECT_TRUE(text("nmedtCorpKanji").isEmpty());
    EXPECT_EQ(find<QComboBox>("cbxCatMain")->currentIndex(), 0);
    EXPECT_EQ(find<QLabel>("lblNowRec")->text(), QStringLiteral("2"));

    find<QPushButton>("sbtnLast")->click();
    EXPECT_TRUE(text("edtTel").isEmpty()); // kind 1: fax only
    EXPECT_EQ(text("edtFax"), QStringLiteral("0312345678"));
    EXPECT_FALSE(enabled("sbtnNext"));
    EXPECT_FALSE(enabled("sbtnLast"));
    EXPECT_TRUE(enabled("sbtnFirst"));

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
    EXPECT_FALSE(enabled("sbtnPrior"));
}

} // namespace
