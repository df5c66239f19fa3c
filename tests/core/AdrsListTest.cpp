#include "core/ui/AdrsList.h"
#include "core/AdrsListModel.h"
#include "core/AdrsListColumns.h"
#include "core/AdrsBook.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/DuplicateSets.h"
#include "core/FieldCipher.h"
#include "core/Folders.h"
#include "core/Groups.h"
#include "core/ItemNames.h"
#include "core/Settings.h"
#include "core/WordSearch.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/IniFile.h"

#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QScopeGuard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString kBook = QStringLiteral("テスト");

// A book of twelve records: record i (RecNo i + 1) is in group i % 3, has the
// telephone number 03123456nn and the name "名前nn".
class AdrsListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(kBook));
        for (int i = 0; i < 12; ++i)
            AppendRecord([i](TAdrsRecord& r) {
                r.Group = i % 3;
                r.Tel.SetText(QStringLiteral("03123456%1").arg(i, 2, 10, QLatin1Char('0')));
                r.NameKanji.SetText(QStringLiteral("名前%1").arg(i, 2, 10, QLatin1Char('0')));
            });
        list = std::make_unique<TAddressList>();
        ASSERT_TRUE(list->OpenAdrsBook(kBook));
    }

    void TearDown() override
    {
        list.reset();
        dm.reset();
    }

    // Appends a row to the book through a table of its own, as another
    // window of the program would.
    template <class F>
    static int AppendRecord(F fill)
    {
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(kBook));
        TAdrsRecord r;
        InitNewAdrsRecord(r, true);
        fill(r);
        table.Append();
        WriteAdrsRecord(r, table);
        table.Post();
        table.Last();
        return int(table.CurrentRecNo());
    }

    static void DeleteRecord(int recNo)
    {
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(kBook));
        ASSERT_TRUE(table.Locate(QStringLiteral("RecNo"), recNo));
        table.Delete();
    }

    std::vector<int> ShownRecNos() const
    {
        std::vector<int> out;
        for (int i = 0; i < list->GetRecordCount(); ++i)
            out.push_back(list->GetRecNo(i));
        return out;
    }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TAddressList> list;
};

TEST_F(AdrsListTest, GroupChoiceAllNoneAndOneGroupAndRowsMapToRecordNumbers)
{
    EXPECT_EQ(list->GetRecordCount(), 12);
    list->SetGroupChoice(1); // rows without a group
    EXPECT_EQ(ShownRecNos(), (std::vector<int>{1, 4, 7, 10}));
    list->SetGroupChoice(2); // group 1: RecNos 2, 5, 8, 11
    for (int i = 0; i < list->GetRecordCount(); ++i)
        EXPECT_EQ(list->IndexOfRecNo(list->GetRecNo(i)), i);
    EXPECT_EQ(list->IndexOfRecNo(1), -1);  // in the book, not shown
    EXPECT_EQ(list->IndexOfRecNo(99), -1); // not in the book
    EXPECT_EQ(list->GetRecNo(4), -1);
    list->SetGroupChoice(3); // group 2
    EXPECT_EQ(ShownRecNos(), (std::vector<int>{3, 6, 9, 12}));
    list->SetGroupChoice(11); // group 10: nobody; an empty list is at both ends and reads nothing
    EXPECT_EQ(list->GetRecordCount(), 0);
    TAdrsRecord r;
    EXPECT_TRUE(list->IsFirstRecord() && list->IsLastRecord());
    EXPECT_FALSE(list->ReadFirstRecord(r) || list->ReadNextRecord(r));
    EXPECT_EQ(list->GetLastSelectedIndex(), -1);
    list->SetGroupChoice(12); // no such choice: ignored
    EXPECT_EQ(list->GetGroupChoice(), 11);
    list->SetGroupChoice(0);
    EXPECT_EQ(list->GetRecordCount(), 12);
    EXPECT_EQ(list->findChild<QComboBox*>("cbxGroup")->currentIndex(), 0);
}

TEST_F(AdrsListTest, ReadingFirstPriorNextLastStopsAtBothEndsAlsoThroughTheLink)
{
    TAdrsRecord r;
    EXPECT_EQ(list->GetCurrentIndex(), -1);
    EXPECT_FALSE(list->IsFirstRecord());
    EXPECT_FALSE(list->IsLastRecord());
    EXPECT_FALSE(list->ReadPriorRecord(r));

    ASSERT_TRUE(list->ReadFirstRecord(r));
    EXPECT_EQ(r.RecNo, 1);
    EXPECT_EQ(r.Tel.Text(), QStringLiteral("03-1234-5600")); // hyphenated on reading
    EXPECT_FALSE(list->ReadPriorRecord(r));
    EXPECT_EQ(list->GetCurrentIndex(), 0);

    ASSERT_TRUE(list->ReadNextRecord(r));
    EXPECT_EQ(r.RecNo, 2);
    EXPECT_EQ(list->GetCurrentIndex(), 1);
    EXPECT_EQ(list->GetSelCount(), 1); // reading selects the row alone
    EXPECT_TRUE(list->IsSelected(1));

    ASSERT_TRUE(list->ReadLastRecord(r));
    EXPECT_EQ(r.RecNo, 12);
    EXPECT_TRUE(list->IsLastRecord());
    EXPECT_FALSE(list->ReadNextRecord(r));
    EXPECT_EQ(list->GetCurrentIndex(), 11);

    EXPECT_FALSE(list->ReadRecordAt(12, r));
    EXPECT_TRUE(list->ReadRecord(7, r));
    EXPECT_EQ(r.NameKanji.Text(), QStringLiteral("名前06"));
    EXPECT_FALSE(list->ReadRecord(99, r));

    // From no current row, "next" starts at the first.
    list->SetCurrentIndex(-1);
    ASSERT_TRUE(list->ReadNextRecord(r));
    EXPECT_EQ(r.RecNo, 1);

    // The main window is the record window's link: moving through it reads
    // the rows in list order and keeps its position.
    TAddressListLink& link = *list;
    ASSERT_TRUE(link.Move(mkLast, r));
    EXPECT_TRUE(link.IsLast());
    EXPECT_FALSE(link.Move(mkNext, r));
    ASSERT_TRUE(link.Move(mkPrior, r));
    EXPECT_EQ(link.CurrentIndex(), link.Count() - 2);
    EXPECT_EQ(link.IndexOfRecNo(r.RecNo), link.CurrentIndex());
    ASSERT_TRUE(link.Move(mkFirst, r));
    EXPECT_TRUE(link.IsFirst());
    EXPECT_EQ(list->GetSelCount(), 1);
}

TEST_F(AdrsListTest, RefreshKeepsTheCurrentRecordAndItsIndexWhenItWentAway)
{
    list->SetGroupChoice(1); // RecNos 1, 4, 7, 10
    TAdrsRecord r;
    ASSERT_TRUE(list->ReadRecordAt(2, r));
    EXPECT_EQ(r.RecNo, 7);

    // A new record of the group shown lands before the current one in the
    // telephone order: the current record stays current at its new row.
    const int added = AppendRecord([](TAdrsRecord& n) { n.Tel.SetText("0100000000"); });
    list->SetSortColumn(alcTel, false);
    list->RefreshList(false, true, true);
    EXPECT_EQ(list->GetRecordCount(), 5);
    EXPECT_EQ(list->GetRecNo(0), added);
    EXPECT_EQ(list->GetRecNo(list->GetCurrentIndex()), 7);
    EXPECT_TRUE(list->IsSelected(list->IndexOfRecNo(7)));

    // The current record deleted: the index stays where it was.
    const int index = list->GetCurrentIndex();
    DeleteRecord(7);
    list->RefreshList(false, true, false);
    EXPECT_EQ(list->GetRecordCount(), 4);
    EXPECT_EQ(list->GetCurrentIndex(), index);
    EXPECT_EQ(list->IndexOfRecNo(7), -1);

    // The last row deleted while current: the index falls back to the new last row.
    ASSERT_TRUE(list->ReadLastRecord(r));
    DeleteRecord(r.RecNo);
    list->RefreshList(false, true, false);
    EXPECT_EQ(list->GetCurrentIndex(), list->GetRecordCount() - 1);
}

TEST_F(AdrsListTest, FragmentedSelectionIsCountedAndSurvivesASort)
{
    for (int i : {1, 3, 4, 9})
        list->SelectItem(i, false, false);
    EXPECT_EQ(list->GetSelCount(), 4);
    EXPECT_EQ(list->GetSelectedIndex(), 1);
    EXPECT_EQ(list->GetLastSelectedIndex(), 9);
    EXPECT_FALSE(list->IsSelected(2));

    // Selected by record, not by row: a reversed order keeps the same records.
    list->SetSortColumn(alcNo, true);
    EXPECT_EQ(list->GetSelCount(), 4);
    for (int recNo : {2, 4, 5, 10})
        EXPECT_TRUE(list->IsSelected(list->IndexOfRecNo(recNo))) << recNo;

    list->SelectItem(0, true, true);
    EXPECT_EQ(list->GetSelCount(), 1);
}

TEST_F(AdrsListTest, HeaderClickSortsAndASecondClickReverses)
{
    auto* view = list->ListView();
    const int telSection = 2; // No., グループ, 電話番号 ...
    ASSERT_EQ(list->Model().headerData(telSection, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("電話番号"));
    emit view->header()->sectionClicked(telSection);
    EXPECT_EQ(list->GetRecNo(0), 1);
    emit view->header()->sectionClicked(telSection);
    EXPECT_EQ(list->GetRecNo(0), 12);
    EXPECT_EQ(list->Model().SortColumn(), int(alcTel));
    EXPECT_TRUE(list->Model().SortDescending());
}

// A cache holding no book (never loaded, or cleared) reads as no rows.
TEST_F(AdrsListTest, ACacheHoldingNoBookReadsAsNoRows)
{
    TAdrsListModel model;
    model.SetColumns({alcTel, alcAddress, alcNameKanji, alcNote});
    TSqlTable table(AdrsTableDef());
    table.Open(AdrsTableFileName(kBook));
    for (int pass = 0; pass < 2; ++pass, model.Cache().Load(table), model.Cache().Clear(), model.Rebuild()) {
        EXPECT_EQ(FindWordInList(model, QStringLiteral("名前"), 0), -1);
        EXPECT_TRUE(TNarrowDownEvaluator({{{ndTel, ndkText, "03", 0, 0, ndmFront}}, true}).PassingRows(model.Cache()).empty());
    }
}

// Left with no book (at a start or a change of book), the list actions hold.
TEST_F(AdrsListTest, WithoutABookTheListActionsHoldOrAreOff)
{
    const QString damaged = QStringLiteral("壊れた本");
    ASSERT_TRUE(CreateAdrsBook(damaged));
    for (const QString& book : {damaged, kBook}) { // the open one too: there is no going back
        QFile f(AdrsTableFileName(book));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(QByteArray(8192, 'Z')) == 8192);
    }
    EXPECT_FALSE(list->OpenAdrsBook(damaged));
    TAddressList started;
    EXPECT_FALSE(started.OpenAdrsBook(damaged));
    for (TAddressList* w : {list.get(), &started}) {
        for (const char* name : {"actWordSearch", "actWordSearchNext", "actDuplicate", "actAdrsCopy"})
            EXPECT_FALSE(w->findChild<QAction*>(name)->isEnabled()) << name;
        w->SearchWord = QStringLiteral("名前");
        EXPECT_FALSE(w->FindSearchWord(0));
        w->RunNarrowDown({{{ndTel, ndkText, "03", 0, 0, ndmAnywhere}}, true});
        w->ShowDuplicates(diTel, diName);
        EXPECT_EQ(w->GetRecordCount(), 0);
    }
}

// The arrow shows the order the rows are in: a click on マイナンバー behind the
// lock sorts nothing, and a click during the duplicate display shows no arrow.
TEST_F(AdrsListTest, TheSortArrowShowsTheOrderTheRowsAreIn)
{
    QHeaderView* header = list->ListView()->header();
    const auto click = [&](int col) { // with the mouse: the header moves its arrow itself
        const auto& shown = list->Model().Columns();
        const int at = header->sectionViewportPosition(int(std::ranges::find(shown, col) - shown.begin()));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(at + 4, 4));
    };
    click(alcTel);
    click(alcTel);
    const int telSection = header->sortIndicatorSection();
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("secret")));
    click(alcMyNumber);
    EXPECT_EQ(list->GetRecNo(0), 12);
    EXPECT_EQ(header->sortIndicatorSection(), telSection);
    list->SetSortColumn(alcMyNumber, false); // as a sort kept from an unlocked run is taken at the start
    EXPECT_EQ(header->sortIndicatorSection(), -1);
    ASSERT_TRUE(SetAdminPassword(QString()));

    AppendRecord([](TAdrsRecord& r) { r.Tel.SetText("0312345600"); }); // as record 1's
    list->RefreshList(false, true, true);
    list->ShowDuplicates(diTel, diNone);
    click(alcNameKanji);
    EXPECT_EQ(header->sortIndicatorSection(), -1);
}

// A sort by a column hidden in 表示項目の設定 goes back to the book's order,
// also one saved by an older run.
TEST_F(AdrsListTest, ASortByAColumnThatIsHiddenGoesBackToTheBooksOrder)
{
    const int telSection = 2; // No., グループ, 電話番号 ...
    emit list->ListView()->header()->sectionClicked(telSection);
    emit list->ListView()->header()->sectionClicked(telSection);
    ASSERT_EQ(list->GetRecNo(0), 12);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QListWidget*>("lvHeader")->item(alcTel)->setCheckState(Qt::Unchecked);
        dialog->findChild<QPushButton*>("btnOk")->click();
    });
    list->actHeaderSelectExecute();
    EXPECT_EQ(list->GetRecNo(0), 1);
    TIniFile ini(AdrsListIniFileName());
    ini.WriteInteger(QStringLiteral("LIST SORT"), QStringLiteral("Column"), alcTel);
    ASSERT_TRUE(ini.UpdateFile());
    list = std::make_unique<TAddressList>();
    ASSERT_TRUE(list->OpenAdrsBook(kBook));
    EXPECT_EQ(list->GetRecNo(0), 1);
}

TEST_F(AdrsListTest, CellsShowTheStoredValuesAsTheUserReadsThem)
{
    const QByteArray myNumber = EncryptAESString("123456789018", QByteArray(kFieldKey));
    const int recNo = AppendRecord([&](TAdrsRecord& r) {
        r.Group = 2;
        r.Tel.SetText("0471234567");
        r.TelDiv = 3;
        r.Pos.SetText("1000001");
        r.Tdfkn.SetText("東京都");
        r.Adrs1.SetText("千代田区");
        r.Adrs2.SetText("千代田1-1");
        r.Adrs3.SetText(" ");
        r.PrivCorp = false;
        r.MyNumber.Assign(myNumber);
        r.NameKanji.Assign(WideToAtHex(QStringLiteral("髙橋𠮷")));
        r.PubDate.SetText("201504");
    });
    SetGroupName(2, QStringLiteral("取引先"));
    list->RefreshList(false, true, false);
    const int i = list->IndexOfRecNo(recNo);
    const TAdrsListModel& m = list->Model();
    EXPECT_EQ(m.CellText(i, alcGroup), QStringLiteral("取引先"));
    EXPECT_EQ(m.CellText(i, alcTel), QStringLiteral("04-7123-4567"));
    EXPECT_EQ(m.CellText(i, alcTelDiv), QStringLiteral("代表"));
    EXPECT_EQ(m.CellText(i, alcAddress), QStringLiteral("東京都千代田区千代田1-1"));
    EXPECT_EQ(m.CellText(i, alcPrivCorp), QStringLiteral("会社"));
    EXPECT_EQ(m.CellText(i, alcNameKanji), QStringLiteral("髙橋𠮷"));
    EXPECT_EQ(m.CellText(i, alcPubDate), QStringLiteral("2015/04"));
    EXPECT_EQ(m.CellText(i, alcMyNumber), QStringLiteral("123456789018"));

    // Behind an administrator password the number is masked, and the
    // column keeps the book's order instead of sorting by the hidden values.
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("secret")));
    EXPECT_FALSE(m.CellText(i, alcMyNumber).contains(u'1'));
    list->SetSortColumn(alcMyNumber, true);
    EXPECT_EQ(list->GetRecNo(0), 1);
    ASSERT_TRUE(SetAdminPassword(QString()));
}

TEST_F(AdrsListTest, SenderListIsInRecordOrderWithTitlesTrimmed)
{
    dm->OpenSenderTable();
    TSqlTable& t = dm->SenderTable();
    for (const char* title : {" 本社 ", "支店"}) {
        t.Append();
        t.SetString(QStringLiteral("Title"), QString::fromUtf8(title));
        t.Post();
    }
    dm->CloseSenderTable();
    list->LoadSenderList();
    ASSERT_EQ(list->GetSenderCount(), 2);
    EXPECT_EQ(list->GetSenderTitle(0), QStringLiteral("本社"));
    EXPECT_EQ(list->GetSenderTitle(1), QStringLiteral("支店"));
    EXPECT_LT(list->GetSenderRecNo(0), list->GetSenderRecNo(1));
    EXPECT_EQ(list->GetSenderRecNo(2), -1);
    EXPECT_EQ(dm->SenderTableRefs(), 0);
}

// The row by RecNo both windows read: a company record of awkward shape comes
// back as written (numbers hyphenated), the table's index and position the
// list walks by are left alone, and a row that is not there leaves the
// caller's record untouched.
TEST_F(AdrsListTest, RowByRecNoReadsAsWrittenAndLeavesTheTableAlone)
{
    TAdrsRecord written;
    const int recNo = AppendRecord([&written](TAdrsRecord& r) {
        r.PrivCorp = true;
        r.Group = 0;
        r.CorpKanji.SetText(QStringLiteral("表ソ商事"));
        r.Tel.SetText(QStringLiteral("0312345678"));
        r.CodeMain = 5; // a category with no minor
        r.Note = std::make_unique<TStringList>(TStringList{cp932::Encode(QStringLiteral("一行目")), QByteArray()});
        written = r;
    });
    list->RefreshList(false, true, true);
    TSqlTable& table = dm->AdrsTable();
    table.SetIndexName(QStringLiteral("Tel"));
    table.First();
    const qint64 before = table.CurrentRecNo();

    TAdrsRecord read;
    ASSERT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, read));
    const TAdrsRecord shown = read;
    EXPECT_EQ(read.CorpKanji.Text(), QStringLiteral("表ソ商事"));
    EXPECT_EQ(read.Tel.Text(), QStringLiteral("03-1234-5678"));
    ASSERT_TRUE(read.Note);
    EXPECT_EQ(*read.Note, *written.Note);
    read.Tel = written.Tel;
    read.RecNo = written.RecNo;
    EXPECT_TRUE(read == written);
    EXPECT_EQ(table.IndexName(), QStringLiteral("Tel"));
    table.First();
    EXPECT_EQ(table.CurrentRecNo(), before);

    // The main window's own read is the same read.
    TAdrsRecord viaList;
    TAddressListLink& link = *list;
    ASSERT_TRUE(link.ReadRecord(recNo, viaList));
    EXPECT_TRUE(viaList == shown);

    TAdrsRecord kept = shown;
    EXPECT_FALSE(dm->ReadAdrsRecordByRecNo(recNo + 100, kept));
    EXPECT_FALSE(dm->ReadAdrsRecordByRecNo(0, kept));
    EXPECT_TRUE(kept == shown);
    EXPECT_TRUE(messages.Messages().empty());
}

// A sender file that cannot be read is told when the main window starts, not
// taken for a book without senders (the record window would then show every
// record's sender as the standard one, and saving would lose it).
TEST_F(AdrsListTest, AnUnreadableSenderFileIsReportedNotTakenForNoSenders)
{
    QDir().mkpath(QFileInfo(SenderTableFileName()).absolutePath());
    QFile file(SenderTableFileName());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, '\x5C'));
    file.close();

    EXPECT_THROW(dm->ReadSenderTitles(), ESqlTableError);
    EXPECT_EQ(dm->SenderTableRefs(), 0);
    EXPECT_FALSE(list->LoadSenderList());
    EXPECT_EQ(list->GetSenderCount(), 0);

    messages.Clear(); // read over the painted window (Startup), not before it shows
    TAddressList another;
    EXPECT_TRUE(messages.Messages().empty());
    // The file is left as it was found.
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(4096, '\x5C'));
}

TEST_F(AdrsListTest, ABookThatCannotBeOpenedLeavesTheListOnTheBookItShowed)
{
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("使用中")));
    TSqlTable holder(AdrsTableDef());
    holder.Open(AdrsTableFileName(QStringLiteral("使用中")), true); // held exclusively elsewhere
    EXPECT_FALSE(list->OpenAdrsBook(QStringLiteral("使用中")));
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("アドレス帳ファイルがオープンできませんでした")));
    EXPECT_EQ(AdrsName, kBook);
    EXPECT_EQ(list->GetRecordCount(), 12);
    TAdrsRecord r;
    EXPECT_TRUE(list->ReadFirstRecord(r));

    holder.Close();
    EXPECT_TRUE(list->OpenAdrsBook(QStringLiteral("使用中")));
    EXPECT_EQ(list->GetRecordCount(), 0);
    EXPECT_FALSE(list->OpenAdrsBook(QStringLiteral("ありません")));
}

TEST_F(AdrsListTest, NewBookIsCreatedOpenedAndRememberedForTheNextStart)
{
    EXPECT_TRUE(list->CreateAdrsBookAndOpen(QStringLiteral("新しい本")));
    EXPECT_EQ(AdrsName, QStringLiteral("新しい本"));
    EXPECT_EQ(list->GetRecordCount(), 0);
    EXPECT_FALSE(list->CreateAdrsBookAndOpen(QStringLiteral("新しい本"))); // exists already
    EXPECT_EQ(messages.Messages().size(), 1u);

    TAddressList next;
    ASSERT_TRUE(next.OpenStartBook());
    EXPECT_EQ(AdrsName, QStringLiteral("新しい本"));
}

TEST_F(AdrsListTest, GroupNameActionSavesTheNamesAndRelabelsTheChoice)
{
    QSignalSpy changed(list.get(), &TAddressList::groupNamesChanged);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("edtGroup1")->setText(QStringLiteral("得意先"));
        dialog->findChild<QPushButton*>("btnOk")->click();
    });
    list->actEditGroup->trigger();
    EXPECT_EQ(GroupName(1), QStringLiteral("得意先"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(list->findChild<QComboBox*>("cbxGroup")->itemText(2).endsWith(QStringLiteral("得意先")));
    LoadGroupNames();
    EXPECT_EQ(GroupName(1), QStringLiteral("得意先"));
}

// A book that cannot be opened keeps the one message and says why on a line
// of its own. While no book is open, the actions that would have the user
// type in a record for it are off.
TEST_F(AdrsListTest, ABookThatCannotBeOpenedSaysWhyAndNothingNeedingItIsOffered)
{
    QByteArray good;
    {
        QFile f(AdrsTableFileName(kBook));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        good = f.readAll();
    }
    ASSERT_GT(good.size(), 4096);
    QByteArray noise(8192, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    const QString damaged = QStringLiteral("アドレス帳のファイルではないか、壊れています");
    struct Case {
        QString book;
        QByteArray bytes;
        QString cause;
    } cases[] = {
        {QStringLiteral("途中まで"), good.left(good.size() / 2), damaged},
        {QStringLiteral("乱れ"), noise, damaged},
        // An empty file is no such case: an open that finds one makes the
        // table (what a first start killed while making the book leaves).
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.book.toStdString());
        ASSERT_TRUE(CreateAdrsBook(c.book));
        const QString file = AdrsTableFileName(c.book);
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.bytes);
        }
        dm->CloseAdrsTable(); // no book open before: nothing to go back to
        TAddressList fresh;
        messages.Clear();
        EXPECT_FALSE(fresh.OpenAdrsBook(c.book));
        ASSERT_EQ(messages.Messages().size(), 1u);
        const QStringList said = messages.LastText().split(QStringLiteral("\r\n"));
        ASSERT_GE(said.size(), 2);
        EXPECT_EQ(said[0].trimmed(), QStringLiteral("アドレス帳ファイルがオープンできませんでした"));
        EXPECT_EQ(said[1].trimmed(), c.cause);
        EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONERROR));
        EXPECT_FALSE(fresh.findChild<QAction*>("actNewRecord")->isEnabled());
        EXPECT_FALSE(fresh.findChild<QAction*>("actInquiry")->isEnabled());
    }
    if (geteuid() != 0) { // permissions do not hold back root
        ASSERT_TRUE(CreateAdrsBook(QStringLiteral("読むだけ")));
        const QString dir = QFileInfo(AdrsTableFileName(QStringLiteral("読むだけ"))).absolutePath();
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        dm->CloseAdrsTable();
        TAddressList fresh;
        messages.Clear();
        EXPECT_FALSE(fresh.OpenAdrsBook(QStringLiteral("読むだけ")));
        EXPECT_TRUE(messages.LastText().contains(QStringLiteral("権限がありません")));
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ASSERT_TRUE(list->OpenAdrsBook(kBook));
    EXPECT_TRUE(list->findChild<QAction*>("actNewRecord")->isEnabled());
    EXPECT_TRUE(list->findChild<QAction*>("actInquiry")->isEnabled());

    // A book that cannot be made is a failure, told with the error icon.
    messages.Clear();
    const QString register_ = AdrsMngFileName();
    QFile::remove(register_);
    ASSERT_TRUE(QDir().mkpath(register_)); // the list of books cannot be written
    EXPECT_FALSE(list->CreateAdrsBookAndOpen(QStringLiteral("作れない")));
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONERROR));
    QDir(register_).removeRecursively();
}

// Each permission a book's file or folder lacks is named as what it stops:
// a book the user can read is said to be one that cannot be written, not
// one out of reach. The file is left as it was.
TEST_F(AdrsListTest, EachMissingPermissionOfABookIsNamedAsWhatItStops)
{
    using P = QFileDevice;
    const P::Permissions rw = P::ReadOwner | P::WriteOwner, rwx = rw | P::ExeOwner;
    struct TCase {
        QString book;
        P::Permissions file, folder;
        QString cause;
    } cases[] = {
        {QStringLiteral("読むだけ"), P::ReadOwner, rwx, QStringLiteral("アドレス帳のファイルに書き込む権限がありません")},
        {QStringLiteral("書くだけ"), P::WriteOwner, rwx, QStringLiteral("アドレス帳のファイルを読み込む権限がありません")},
        {QStringLiteral("表ソ"), {}, rwx, QStringLiteral("アドレス帳のファイルを読み書きする権限がありません")},
        {QStringLiteral("書けない所"), rw, P::ReadOwner | P::ExeOwner,
         QStringLiteral("アドレス帳のフォルダに書き込む権限がありません")},
        {QStringLiteral("入れない所"), rw, rw, QStringLiteral("アドレス帳のフォルダを開く権限がありません")},
    };
    dm->CloseAdrsTable();
    for (const TCase& c : cases) {
        ASSERT_TRUE(CreateAdrsBook(c.book));
        TSqlTable(AdrsTableDef()).Open(AdrsTableFileName(c.book)); // a book once opened keeps the log mode it is opened in
    }
    // As a plain user (root reads and writes any file) owning the data folder, until the test ends; real ids too,
    // for Qt's permission checks ask access().
    const bool root = ::geteuid() == 0;
    QDirIterator it(DataFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    for (QString path = DataFolder(); root && !path.isEmpty(); path = it.hasNext() ? it.next() : QString())
        ASSERT_EQ(::lchown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    const auto asRootAgain = qScopeGuard(
        [root] { EXPECT_TRUE(!root || (::syscall(SYS_setresuid, 0, 0, 0) == 0 && ::syscall(SYS_setresgid, 0, 0, 0) == 0)); });
    ASSERT_TRUE(!root || (::syscall(SYS_setresgid, 65534, 65534, 0) == 0 && ::syscall(SYS_setresuid, 65534, 65534, 0) == 0));
    for (const TCase& c : cases) {
        const QString file = AdrsTableFileName(c.book), folder = QFileInfo(file).absolutePath();
        const QByteArray before = ReadFile(file);
        ASSERT_TRUE(QFile::setPermissions(file, c.file) && QFile::setPermissions(folder, c.folder));
        messages.Clear();
        EXPECT_FALSE(TAddressList().OpenAdrsBook(c.book));
        EXPECT_EQ(messages.LastText(), QStringLiteral("アドレス帳ファイルがオープンできませんでした  \r\n%1  \r\n"
                                                      "アドレス帳：%2  ").arg(c.cause, c.book));
        ASSERT_TRUE(QFile::setPermissions(folder, rwx) && QFile::setPermissions(file, rw));
        EXPECT_EQ(ReadFile(file), before) << c.book.toStdString();
    }
}

// A book whose folder name code page 932 cannot hold (made on another
// machine) is the one the next start opens, not the folder whose name is the
// form other programs read (here there is one), nor the default; a book
// another program opened since, knowing only that form, wins.
TEST_F(AdrsListTest, ABookNamedBeyondCodePage932IsOpenedAgainAtTheNextStart)
{
    const QString wide = QStringLiteral("𠮷野家%41"), plain = QStringLiteral("?野家%41");
    for (const QString& book : {wide, plain}) {
        ASSERT_TRUE(QDir().mkpath(AdrsBookFolderPath(book)));
        TSqlTable::CreateTable(AdrsTableFileName(book), AdrsTableDef());
    }
    BuildAdrsBookList();
    auto nextStart = [this] {
        list->close();
        list.reset();
        dm->CloseAdrsTable();
        AdrsName.clear();
        list = std::make_unique<TAddressList>();
        EXPECT_TRUE(list->OpenStartBook());
        return AdrsName;
    };
    ASSERT_TRUE(list->OpenAdrsBook(wide));
    EXPECT_EQ(nextStart(), wide);
    EXPECT_TRUE(ReadFile(SettingsFileName()).contains("\r\nAdrsName=" + cp932::Encode(plain) + "\r\n"))
        << "other programs read the form they always did";
    ASSERT_TRUE(list->OpenAdrsBook(plain));
    EXPECT_EQ(nextStart(), plain);
    ASSERT_TRUE(list->OpenAdrsBook(wide));
    {
        TIniFile other(SettingsFileName());
        other.WriteString(QStringLiteral("ADRS LIST"), QStringLiteral("AdrsName"), kBook);
        ASSERT_TRUE(other.UpdateFile());
    }
    EXPECT_EQ(nextStart(), kBook);
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
}

// Settings the program cannot write when it ends are told, not lost unseen.
TEST_F(AdrsListTest, SettingsThatCannotBeWrittenAtTheEndAreReported)
{
    list->show();
    QFile::remove(SettingsFileName());
    ASSERT_TRUE(QDir().mkpath(SettingsFileName())); // a folder where the file goes
    messages.Clear();
    EXPECT_TRUE(list->close());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("設定を保存できませんでした")));
    EXPECT_TRUE(messages.LastText().contains(SettingsFileName()));
    EXPECT_TRUE(messages.LastText().contains(FileErrorCause(EISDIR))) << messages.LastText().toStdString();
    QDir(SettingsFileName()).removeRecursively();
}

// Text columns sort as the stored code page 932 bytes do: JIS level-1 kanji
// in reading order (愛知 before 三重), half-width katakana after the kanji.
// A name in the wide-text form sorts by its text, a character the code
// page cannot hold after every one it can.
TEST_F(AdrsListTest, TextColumnsSortByTheirCodePage932Bytes)
{
    auto corp = [](const char* text, const char* name) {
        return AppendRecord([=](TAdrsRecord& r) {
            r.PrivCorp = 0;
            r.CorpKanji.SetText(QString::fromUtf8(text));
            // Names are kept in the wide-text form when code page 932 cannot hold them.
            const QString wide = QString::fromUtf8(name);
            if (cp932::CanEncode(wide))
                r.NameKanji.SetText(wide);
            else
                r.NameKanji.Assign(WideToAtHex(wide));
            r.Tdfkn.SetText(QString::fromUtf8(text).left(3));
        });
    };
    const int mie = corp("三重県商事", "三郎");
    const int aichi = corp("愛知県商事", "𠮷田");
    const int hyo = corp("表ソ工業", "愛子");
    const int kana = corp("ｱｲｳ", "");
    const int hira = corp("あおい", "");
    const int ascii = corp("ABC", "");
    list->RefreshList(false, true, false);
    auto order = [&](int column, const std::vector<int>& recNos) {
        list->SetSortColumn(column, false);
        std::vector<int> shown;
        for (int recNo : ShownRecNos())
            if (std::find(recNos.begin(), recNos.end(), recNo) != recNos.end())
                shown.push_back(recNo);
        return shown;
    };
    EXPECT_EQ(order(alcCorpKanji, {mie, aichi, hyo, kana, hira, ascii}),
              (std::vector<int>{ascii, hira, aichi, mie, hyo, kana}));
    EXPECT_EQ(order(alcAddress, {mie, aichi, hyo}), (std::vector<int>{aichi, mie, hyo}));
    EXPECT_EQ(order(alcNameKanji, {mie, aichi, hyo, 1}), (std::vector<int>{hyo, mie, 1, aichi}));
    list->SetSortColumn(alcCorpKanji, true);
    EXPECT_EQ(list->GetRecNo(0), kana);

    // The sort key is the bytes the converter writes, trail byte 0x5C, the
    // NEC and IBM extensions and the folded signs included.
    for (const char* text : {"表ソ能", "①髙﨑", "〜～−－¥￥", "ｱｲｳﾞ", "abc\\~", "〒100-0001 東京都"}) {
        const QString t = QString::fromUtf8(text);
        EXPECT_EQ(Cp932SortKey(t), cp932::Encode(t).toStdString()) << text;
    }
}

} // namespace

// Start-up with no book at all makes and opens the default book.
TEST(AdrsListStart, FirstStartOpensTheDefaultBook)
{
    TTempDataFolder folder;
    TMessageRecorder messages;
    LoadSettings();
    TDMTelvora21 dm;
    TAddressList list;
    ASSERT_TRUE(list.OpenStartBook());
    EXPECT_EQ(AdrsName, kDefaultAdrsName);
    EXPECT_TRUE(messages.Messages().empty());
}
