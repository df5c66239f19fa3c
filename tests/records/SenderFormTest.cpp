// The sender window on a throw-away data folder, driven through its control
// names: the first record, numbering, delete and clear, the title rule, the
// stored forms of names and numbers, the print marks, and the main window's
// way in.

#include "app/AppWiring.h"
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/SenderRecord.h"
#include "core/Settings.h"
#include "core/ui/AdrsList.h"
#include "platform/FileErrors.h"
#include "platform/IniFile.h"
#include "platform/SqlTable.h"
#include "platform/ui/ByteLimitEdit.h"
#include "records/InquiryLinks.h"
#include "records/SenderForm.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>
#include <sqlite3.h>

#include <cerrno>

namespace {

const QString kSameTitle = QStringLiteral("おなじ登録名が存在します．別の登録名を入力してください  ");

// One stored row, every field as text, read through an open of its own.
using TRow = std::map<QString, QString>;

std::vector<TRow> StoredRows()
{
    TSqlTable table(SenderTableDef());
    table.Open(SenderTableFileName());
    std::vector<TRow> rows;
    for (table.First(); !table.Eof(); table.Next()) {
        TRow row;
        for (int f = 0; f < table.FieldCount(); ++f)
            row[table.Def().Fields[size_t(f)].Name] = table.AsString(f);
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList RecNosAndTitles()
{
    QStringList list;
    for (const TRow& row : StoredRows())
        list << row.at(QStringLiteral("RecNo")) + u':' + row.at(QStringLiteral("Title"));
    return list;
}

class SenderWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        DefaultSenderNo = 0;
        dm = std::make_unique<TDMTelvora21>();
    }
    void TearDown() override
    {
        form.reset();
        dm.reset();
        DefaultSenderNo = 0;
    }
    TSenderForm* open(int recNo = 0)
    {
        form = std::make_unique<TSenderForm>();
        form->CurrentRecNo = recNo;
        if (form->Ready())
            form->show();
        return form.get();
    }
    template <class T>
    T* find(const char* name)
    {
        T* w = form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
    void setText(const char* name, const QString& value) { find<QLineEdit>(name)->setText(value); }
    int ini(const char* key) { return TIniFile(SenderIniFileName()).ReadInteger(QStringLiteral("SENDER"), QLatin1String(key), -1); }
    // Closes with 閉じる; true when the window went.
    bool close()
    {
        click("btnClose");
        return !form->isVisible();
    }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TSenderForm> form;
};

TEST_F(SenderWindow, FreshDataFolderGetsTheFirstSenderAsTheDefault)
{
    open();
    ASSERT_TRUE(form->Ready());
    EXPECT_TRUE(messages.Messages().empty());
    const std::vector<TRow> rows = StoredRows();
    ASSERT_EQ(rows.size(), 1u);
    const TRow& row = rows[0];
    EXPECT_EQ(row.at("RecNo"), "1");
    EXPECT_EQ(row.at("Title"), QStringLiteral("差出人1"));
    EXPECT_EQ(row.at("NamePrint"), "1");
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(row.at(QStringLiteral("JointPrint%1").arg(n)), "1");
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(row.at(QStringLiteral("AdditionPrint%1").arg(n)), "0");
    EXPECT_EQ(row.at("Name"), QString());
    EXPECT_EQ(ini("LastNo"), 1) << "written with the record";
    EXPECT_EQ(text("edTitle"), QStringLiteral("差出人1"));
    EXPECT_TRUE(find<QCheckBox>("ckbDefault")->isChecked());
    EXPECT_FALSE(find<QToolButton>("sbtnNext")->isEnabled());
    EXPECT_FALSE(find<QToolButton>("sbtnPrint0")->isEnabled()) << "the joint names do not print";
    EXPECT_EQ(form->CurrentRecNo, 1);

    ASSERT_TRUE(close());
    EXPECT_EQ(form->result(), int(mrCancel));
    EXPECT_EQ(ini("Default"), 1);
    EXPECT_EQ(ini("LastNo"), 1);
    const TIniFile settings(SettingsFileName());
    EXPECT_TRUE(settings.ValueExists(QStringLiteral("SENDER"), QStringLiteral("Left")));
    EXPECT_TRUE(settings.ValueExists(QStringLiteral("SENDER"), QStringLiteral("Top")));
    EXPECT_EQ(StoredRows().size(), 1u) << "closing an untouched record writes nothing more";
}

TEST_F(SenderWindow, WindowThatCannotMakeItsFirstRecordClosesAfterSaying)
{
    TSqlTable::CreateTable(SenderTableFileName(), SenderTableDef());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(SenderTableFileName().toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TRIGGER refuse BEFORE INSERT ON Sender BEGIN SELECT RAISE(ABORT, 'full'); END",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    open();
    EXPECT_FALSE(form->Ready());
    EXPECT_EQ(messages.LastText(), QStringLiteral("差出人情報の作成に失敗しました  \r\n") +
                                       SqliteErrorCause(SQLITE_CONSTRAINT_TRIGGER, 0, QStringLiteral("full")) +
                                       QStringLiteral("  "));
    EXPECT_EQ(form->ShowModal(), int(mrCancel)) << "never shown";
    EXPECT_TRUE(StoredRows().empty());
    EXPECT_EQ(ini("LastNo"), -1) << "no number was given out";
}

// A sender file the engine refuses (past a file size limit, as a full disk) is told with a Japanese cause
// wherever the window meets it: clearing, making, deleting, saving a record and opening the file.
TEST_F(SenderWindow, EveryFailureIsToldWithItsCauseInJapanese)
{
    const auto refused = [this](const QString& heading, const auto& step) {
        messages.Clear();
        messages.Answer(IDYES);
        {
            const TFileSizeLimit full(1024);
            step();
        }
        const QString cause = messages.LastText().section(heading + QStringLiteral("\r\n"), 1);
        EXPECT_TRUE(cause == FileErrorCause(EFBIG) + "  " || cause == FileErrorCause(ENOSPC) + "  " ||
                    cause == FileErrorCause(EIO) + "  ") // the engine keeps a refused write's errno only at times
            << messages.LastText().toStdString();
    };
    open();
    refused(QStringLiteral("クリアできませんでした  "), [this] { click("bbtnDelete"); }); // the only record
    refused(QStringLiteral("差出人情報の作成に失敗しました  "), [this] { click("bbtnNew"); });
    click("bbtnNew");
    refused(QStringLiteral("削除できませんでした  "), [this] { click("bbtnDelete"); });
    setText("edCorp", QStringLiteral("株式会社表ソ"));
    refused(QStringLiteral("保存できませんでした  "), [this] { click("sbtnFirst"); }); // leaving it saves it
    ASSERT_TRUE(close());
    form.reset();
    refused(QStringLiteral("差出人ファイルが読み込めませんでした  "), [this] { open(); }); // the log's index
    EXPECT_FALSE(form->Ready());
}

TEST_F(SenderWindow, NewNumbersAreNeverReusedAndTitlesFillTheGap)
{
    open();
    for (int i = 0; i < 3; ++i)
        click("bbtnNew");
    EXPECT_EQ(RecNosAndTitles(), (QStringList{QStringLiteral("1:差出人1"), QStringLiteral("2:差出人2"),
                                              QStringLiteral("3:差出人3"), QStringLiteral("4:差出人4")}));
    EXPECT_EQ(ini("LastNo"), 4) << "written before the window closes";
    EXPECT_EQ(form->CurrentRecNo, 4);
    EXPECT_EQ(find<QLabel>("lblCount")->text(), QStringLiteral("登録件数：4件"));
    EXPECT_EQ(find<QLabel>("lblPosition")->text(), QStringLiteral("4 / 4"));

    messages.Answer(IDNO);
    click("bbtnDelete");
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("差出人'差出人4'を削除します  \r\nよろしいですか？"));
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(StoredRows().size(), 4u) << "no leaves it";

    messages.Answer(IDYES);
    click("bbtnDelete");
    EXPECT_EQ(form->CurrentRecNo, 3) << "the prior row, the deleted one being the last";
    click("bbtnNew");
    EXPECT_EQ(RecNosAndTitles().last(), QStringLiteral("5:差出人4"));
    EXPECT_EQ(ini("LastNo"), 5);
    EXPECT_EQ(text("edTitle"), QStringLiteral("差出人4"));
    ASSERT_TRUE(close());
    EXPECT_EQ(ini("LastNo"), 5);

    // A new window counts on from the stored counter, not from the rows.
    open();
    messages.Answer(IDYES);
    click("sbtnLast");
    click("bbtnDelete");
    click("bbtnNew");
    EXPECT_EQ(form->CurrentRecNo, 6);
}

TEST_F(SenderWindow, DeletingTheOnlyRecordClearsItBackToTheFirst)
{
    open();
    click("bbtnNew");
    click("sbtnFirst");
    messages.Answer(IDYES);
    click("bbtnDelete"); // the default goes with it: the record after it takes over
    EXPECT_EQ(DefaultSenderNo, 2);
    EXPECT_EQ(RecNosAndTitles(), QStringList{QStringLiteral("2:差出人2")});
    setText("edCorp", QStringLiteral("株式会社テスト"));
    setText("edTel", QStringLiteral("03-1234-5678"));
    find<QCheckBox>("ckbSelInfo2")->click();
    click("sbtnAdditionPrint1");
    ASSERT_TRUE(close()); // saves
    ASSERT_EQ(StoredRows()[0].at("Corp"), QStringLiteral("株式会社テスト"));
    open(2);

    messages.Answer(IDYES);
    click("bbtnDelete");
    const std::vector<TRow> rows = StoredRows();
    ASSERT_EQ(rows.size(), 1u);
    for (const auto& [field, value] : rows[0]) {
        if (field == "RecNo")
            EXPECT_EQ(value, "1");
        else if (field == "Title")
            EXPECT_EQ(value, QStringLiteral("差出人1"));
        else if (field == "NamePrint" || field.startsWith(QStringLiteral("JointPrint")))
            EXPECT_EQ(value, "1") << field.toStdString();
        else if (field == "SelectInfo" || field.startsWith(QStringLiteral("AdditionPrint")))
            EXPECT_EQ(value, "0") << field.toStdString();
        else
            EXPECT_EQ(value, QString()) << field.toStdString();
    }
    EXPECT_EQ(form->CurrentRecNo, 1);
    EXPECT_EQ(DefaultSenderNo, 1);
    EXPECT_EQ(text("edCorp"), QString());
    EXPECT_TRUE(find<QCheckBox>("ckbDefault")->isChecked());
    ASSERT_TRUE(close());
    EXPECT_EQ(ini("Default"), 1);
    EXPECT_EQ(ini("LastNo"), 2) << "clearing gives out no number";
}

TEST_F(SenderWindow, DuplicateTitleIsRefusedOnNextCloseAndChoiceAlike)
{
    open();
    click("bbtnNew");
    click("sbtnFirst");
    const std::vector<TRow> before = StoredRows();
    setText("edTitle", QStringLiteral(" 差出人2 "));
    setText("edAdrs1", QStringLiteral("千代田区"));

    click("sbtnNext");
    EXPECT_EQ(messages.LastText(), kSameTitle);
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(form->CurrentRecNo, 1) << "the move stopped";
    EXPECT_EQ(text("edTitle"), QStringLiteral(" 差出人2 ")) << "the input stays for correcting";

    messages.Clear();
    EXPECT_FALSE(close());
    EXPECT_EQ(messages.LastText(), kSameTitle);

    messages.Clear();
    click("btnChoice");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(messages.LastText(), kSameTitle);
    EXPECT_EQ(StoredRows(), before) << "nothing was written";

    messages.Clear();
    setText("edTitle", QString());
    click("btnChoice");
    EXPECT_EQ(messages.LastText(), QStringLiteral("登録名を入力してください  "));
    EXPECT_TRUE(form->isVisible());

    messages.Clear();
    setText("edTitle", QStringLiteral("差出人２")); // full-width: another title
    click("btnChoice");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), int(mrOk));
    EXPECT_EQ(form->CurrentRecNo, 1);
    EXPECT_EQ(RecNosAndTitles(), (QStringList{QStringLiteral("1:差出人２"), QStringLiteral("2:差出人2")}));
    EXPECT_EQ(StoredRows()[0].at("Adrs1"), QStringLiteral("千代田区"));
    EXPECT_EQ(StoredRows()[1], before[1]) << "the other record is left alone";
}

TEST_F(SenderWindow, WideNameAndNumbersAreStoredInTheirFormsAndShownAgain)
{
    open();
    CommitText(find<QLineEdit>("nmedtName"), QStringLiteral("髙橋𠮷"));
    CommitText(find<QLineEdit>("nmedtJoint1"), QStringLiteral("𠮷子"));
    setText("edNote1", QStringLiteral("表ソ"));
    setText("edTel", QStringLiteral("03-1234-5678"));
    setText("edFax", QStringLiteral("0312345679"));
    setText("edPos", QStringLiteral("100-0001"));
    QComboBox* head = find<QComboBox>("cbxHead1");
    head->setCurrentIndex(chTel);
    emit head->activated(chTel);
    EXPECT_EQ(text("edAddition1"), QStringLiteral("03-1234-5678")) << "the caption brings the number";
    find<QComboBox>("cbxHead2")->setEditText(QStringLiteral("本店"));
    setText("edAddition2", QStringLiteral(" 03-1234-5678 "));
    ASSERT_TRUE(close());

    const TRow row = StoredRows().at(0);
    EXPECT_EQ(row.at("Name"), QStringLiteral("@9AD9@6A4B@D842@DFB7"));
    EXPECT_EQ(row.at("Joint1"), QStringLiteral("@D842@DFB7@5B50"));
    EXPECT_EQ(row.at("Note1"), QStringLiteral("表ソ"));
    EXPECT_EQ(row.at("Tel"), QStringLiteral("0312345678"));
    EXPECT_EQ(row.at("Fax"), QStringLiteral("0312345679"));
    EXPECT_EQ(row.at("Pos"), QStringLiteral("1000001"));
    EXPECT_EQ(row.at("Head1"), QStringLiteral("TEL"));
    EXPECT_EQ(row.at("Addition1"), QStringLiteral("0312345678"));
    EXPECT_EQ(row.at("Head2"), QStringLiteral("本店"));
    EXPECT_EQ(row.at("Addition2"), QStringLiteral("03-1234-5678")) << "another caption keeps its text";

    open(1);
    EXPECT_EQ(text("nmedtName"), QStringLiteral("髙橋𠮷"));
    EXPECT_EQ(text("nmedtJoint1"), QStringLiteral("𠮷子"));
    EXPECT_EQ(text("edTel"), QStringLiteral("03-1234-5678"));
    EXPECT_EQ(text("edFax"), QStringLiteral("03-1234-5679"));
    EXPECT_EQ(text("edPos"), QStringLiteral("100-0001"));
    EXPECT_EQ(text("edAddition1"), QStringLiteral("03-1234-5678"));
    EXPECT_FALSE(form->Changed());
    // The contact follows the number.
    setText("edTel", QStringLiteral("03-9999-0000"));
    EXPECT_EQ(text("edAddition1"), QStringLiteral("03-9999-0000"));
    EXPECT_EQ(text("edAddition2"), QStringLiteral("03-1234-5678"));
}

TEST_F(SenderWindow, MoreDigitsThanTheRecordHoldsAreRefusedNeverCut)
{
    open();
    QLineEdit* tel = find<QLineEdit>("edTel");
    tel->setFocus();
    TypeChars(tel, QStringLiteral("03-1234-567890"));
    EXPECT_EQ(tel->text(), QStringLiteral("03-1234-56789")) << "the twelfth digit is refused";
    // Pasted, dropped or committed, a number too long in digits or in bytes
    // is refused whole with the beep: cut to fit, it would be another number.
    QSignalSpy refused(static_cast<TByteLimitEdit*>(tel), &TByteLimitEdit::InputRefused);
    for (const char* tooLong : {"03-1234-567890", "０３－１２３４－５６７８９０", "03--1234--5678"}) {
        for (int way = 0; way <= int(TArrival::Drop); ++way) {
            tel->clear();
            Arrive(tel, tel, TArrival(way), QString::fromUtf8(tooLong));
            EXPECT_EQ(tel->text(), QString()) << tooLong << " way " << way;
        }
    }
    EXPECT_EQ(refused.count(), 15);
    // Text the program put there is refused when it would be saved.
    tel->setText(QStringLiteral("031234567890"));
    click("bbtnNew"); // saves first
    EXPECT_EQ(messages.LastText(), QStringLiteral("電話番号は11桁までで入力してください  "));
    EXPECT_FALSE(close());
    EXPECT_EQ(StoredRows().size(), 1u);
    EXPECT_EQ(StoredRows().at(0).at("Tel"), QString());
    tel->setText(QStringLiteral("03-1234-5678"));
    ASSERT_TRUE(close());
    EXPECT_EQ(StoredRows().at(0).at("Tel"), QStringLiteral("0312345678"));
}

// Full-width numbers committed are stored as their digits (ー and ‐ as input
// methods give a hyphen); one holding anything else once folded is refused
// aloud and kept as typed, and the record keeps what it held.
TEST_F(SenderWindow, FullWidthNumbersCommittedAreStoredAsTheirDigits)
{
    open();
    CommitText(find<QLineEdit>("edTel"), QStringLiteral("０３－１２３４－５６７８"));
    CommitText(find<QLineEdit>("edFax"), QStringLiteral("０３ー１２３４‐５６７９"));
    CommitText(find<QLineEdit>("edPos"), QStringLiteral("１００－０００１"));
    ASSERT_TRUE(close());
    const TRow held = StoredRows().at(0);
    EXPECT_EQ(held.at("Tel"), QStringLiteral("0312345678"));
    EXPECT_EQ(held.at("Fax"), QStringLiteral("0312345679"));
    EXPECT_EQ(held.at("Pos"), QStringLiteral("1000001"));
    const std::array<QString, 3> refused[] = {
        {"edTel", QStringLiteral("０３（１２３４）５６７８"), QStringLiteral("電話番号は半角数字かハイフンのみが有効です  ")},
        {"edFax", QStringLiteral("03 1234 5678"), QStringLiteral("FAX番号は半角数字かハイフンのみが有効です  ")},
        {"edPos", QStringLiteral("〒1000001"), QStringLiteral("正しい郵便番号を入力してください  ")},
    };
    for (const auto& [control, typed, message] : refused) {
        SCOPED_TRACE(control.toStdString());
        open(1);
        auto* edit = form->findChild<QLineEdit*>(control);
        edit->selectAll();
        CommitText(edit, typed);
        const QString shown = edit->text();
        EXPECT_FALSE(close());
        EXPECT_EQ(messages.LastText(), message);
        EXPECT_EQ(edit->text(), shown);
        EXPECT_EQ(form->focusWidget(), edit);
        EXPECT_EQ(StoredRows().at(0), held);
    }
    setText("edPos", QStringLiteral("１５０ー００４２")); // the program's own text, folded where it is saved
    ASSERT_TRUE(close());
    EXPECT_EQ(StoredRows().at(0).at("Pos"), QStringLiteral("1500042"));
}

TEST_F(SenderWindow, EveryOneLineInputTakesTheFirstLineOfWhatArrivesByEveryWay)
{
    open();
    ExpectFirstLineEverywhere(form.get(), 30);
}

TEST_F(SenderWindow, PrintMarksExtraBlockAndTheDefaultSender)
{
    open();
    click("bbtnNew");
    auto* joint = find<QCheckBox>("ckbSelInfo1");
    auto* corp = find<QCheckBox>("ckbSelInfo2");
    joint->click();
    EXPECT_TRUE(find<QToolButton>("sbtnPrint3")->isEnabled());
    corp->click();
    EXPECT_FALSE(joint->isChecked()) << "the two blocks exclude each other";
    EXPECT_FALSE(find<QToolButton>("sbtnPrint3")->isEnabled());
    joint->click();
    click("sbtnPrint3"); // released
    for (const char* name : {"sbtnAdditionPrint1", "sbtnAdditionPrint2", "sbtnAdditionPrint3"})
        click(name);
    EXPECT_TRUE(find<QToolButton>("sbtnAdditionPrint1")->isChecked());
    EXPECT_FALSE(find<QToolButton>("sbtnAdditionPrint2")->isChecked()) << "the highest other mark gives way";
    EXPECT_TRUE(find<QToolButton>("sbtnAdditionPrint3")->isChecked());
    find<QCheckBox>("ckbDefault")->click();
    EXPECT_EQ(DefaultSenderNo, 2);
    ASSERT_TRUE(close());

    const TRow row = StoredRows().at(1);
    EXPECT_EQ(row.at("SelectInfo"), "1");
    EXPECT_EQ(row.at("JointPrint3"), "0");
    EXPECT_EQ(row.at("JointPrint2"), "1");
    EXPECT_EQ(row.at("AdditionPrint1") + row.at("AdditionPrint2") + row.at("AdditionPrint3"), "101");
    EXPECT_EQ(ini("Default"), 2);

    // Stored marks beyond two (another program wrote them) show as two.
    {
        TSqlTable table(SenderTableDef());
        table.Open(SenderTableFileName());
        table.Locate(QStringLiteral("RecNo"), 2);
        table.Edit();
        for (int n = 1; n <= 4; ++n)
            table.SetBoolean(QStringLiteral("AdditionPrint%1").arg(n), true);
        table.Post();
    }
    // A window for no particular sender opens on the default one.
    open(0);
    EXPECT_EQ(form->CurrentRecNo, 2);
    EXPECT_EQ(find<QTabWidget>("pgctlInfo")->currentWidget()->objectName(), QStringLiteral("tsJoint"));
    int pressed = 0;
    for (const char* name : {"sbtnAdditionPrint1", "sbtnAdditionPrint2", "sbtnAdditionPrint3", "sbtnAdditionPrint4"})
        pressed += find<QToolButton>(name)->isChecked() ? 1 : 0;
    EXPECT_EQ(pressed, 2);
}

TEST(SenderMenu, MainWindowOpensTheSenderWindowAndReloadsItsSenders)
{
    TTempDataFolder folder;
    TMessageRecorder messages;
    DefaultSenderNo = 0;
    LoadSettings();
    auto dm = std::make_unique<TDMTelvora21>();
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("得意先")));
    TAddressList main;
    WireMainWindow(main);
    ASSERT_TRUE(main.OpenAdrsBook(QStringLiteral("得意先")));
    main.show();
    EXPECT_EQ(main.GetSenderCount(), 0);
    QString caption;
    QTimer::singleShot(0, [&caption] {
        auto* form = qobject_cast<TSenderForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        caption = form->windowTitle();
        form->findChild<QPushButton*>(QStringLiteral("btnChoice"))->click();
    });
    main.findChild<QAction*>(QStringLiteral("actSenderEdit"))->trigger();
    EXPECT_EQ(caption, QStringLiteral("差出人の編集"));
    ASSERT_EQ(main.GetSenderCount(), 1);
    EXPECT_EQ(main.GetSenderTitle(0), QStringLiteral("差出人1"));
    EXPECT_EQ(dm->SenderTableRefs(), 0) << "the window let the table go";
    SetAddressListResolver({});
    DefaultSenderNo = 0;
}

} // namespace
