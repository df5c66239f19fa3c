#include "core/WordSearch.h"
#include "core/ui/WordSearch.h"

#include "core/AdrsBook.h"
#include "core/AdrsListModel.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Groups.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/ui/AdrsList.h"
#include "platform/Cp932.h"

#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <sqlite3.h>

namespace {

const QString kBook = QStringLiteral("検索");

// A book of awkward cells: numbers the hyphenation reshapes and numbers it
// leaves alone, an address split over its fields with spaces around them, a
// name only the wide-text form can hold, a My Number, a note ending in an
// empty line, code page 932 trail bytes 0x5C (表, ソ, 能), then random rows
// drawn from the same pieces.
class WordSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(kBook));
        SetGroupName(2, QStringLiteral("取引先"));
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(kBook));
        table.StartTransaction();
        auto append = [&](auto fill) {
            TAdrsRecord r;
            InitNewAdrsRecord(r, true);
            fill(r);
            table.Append();
            WriteAdrsRecord(r, table);
            table.Post();
        };
        append([](TAdrsRecord& r) {
            r.Tel.SetText("0312345678");
            r.TelDiv = 3;
            r.Group = 2;
            r.NameKanji.SetText(QStringLiteral("表 太郎"));
            r.CorpKanji.SetText(QStringLiteral("株式会社ソフト"));
            r.Tdfkn.SetText(QStringLiteral("東京都"));
            r.Adrs1.SetText(QStringLiteral("千代田区 "));
            r.Adrs2.SetText(QStringLiteral(" 千代田1-1"));
            r.MyNumber.Assign(EncryptAESString("123456789018", QByteArray(kFieldKey)));
            r.PubDate.SetText("201504");
            r.Pos.SetText("1000001");
            r.Note = std::make_unique<TStringList>(
                TStringList{cp932::Encode(QStringLiteral("一行目")), cp932::Encode(QStringLiteral("表示")), ""});
            r.CodeMain = 1;
            r.CodeSub = 2;
            r.AddDateTime = 45000.5;
            r.Keyword[0].SetText(QStringLiteral("見込み"));
        });
        append([](TAdrsRecord& r) {
            r.Tel.SetText("09012345678");
            r.PrivCorp = false;
            r.NameKanji.Assign(WideToAtHex(QStringLiteral("髙橋𠮷")));
            r.NameKana.Assign(WideToAtHex(QStringLiteral("ﾀｶﾊｼ𠮷")));
            r.Tdfkn.SetText(QStringLiteral("大阪府"));
        });
        append([](TAdrsRecord& r) {
            r.Tel.SetText("0120123456");
            r.Fax.SetText("0312345678");
            r.NameKanji.SetText(QStringLiteral("能登 ソラ"));
        });
        append([](TAdrsRecord& r) { r.Tel.SetText("12345"); });
        // RecNo 5-9: words that run from one address part into the next
        // across trail bytes 0x5C, an empty and a blank part; My Numbers of
        // every shape (no padding, a length byte that lies, lower case, not
        // hexadecimal, code page 932 text); telephone numbers that are not
        // plain digits (written below, past the table's checks).
        const QByteArray key(kFieldKey);
        append([&](TAdrsRecord& r) {
            r.Tdfkn.SetText(QStringLiteral("東京都"));
            r.Adrs1.SetText(QStringLiteral("能"));
            r.Adrs2.SetText(QStringLiteral("表町１"));
            r.Adrs3.SetText(QStringLiteral("ソ"));
            r.MyNumber.Assign(EncryptAESString("1234567890123456", key));
            r.JointMyNumber[0].Assign(EncryptAESString("123456789018", key).toLower());
        });
        append([&](TAdrsRecord& r) {
            r.Tdfkn.SetText(QStringLiteral("大阪府 "));
            r.Adrs2.SetText(QStringLiteral("   "));
            r.Adrs3.SetText(QStringLiteral("十条ソ表"));
            r.MyNumber.Assign(EncryptAESString("1234567890123", key));
        });
        append([&](TAdrsRecord& r) {
            r.Adrs1.SetText(QStringLiteral("1-1"));
            r.Adrs2.SetText(QStringLiteral("表"));
            r.MyNumber.Assign("0D" + EncryptAESString("123456789018", key).mid(2)); // 13 bytes, the last a zero
            r.JointMyNumber[1].Assign("11" + EncryptAESString("123456789018", key).mid(2)); // blocks too few
        });
        append([&](TAdrsRecord& r) {
            r.MyNumber.Assign("00");
            r.JointMyNumber[4].Assign("0CZZ" + EncryptAESString("123456789018", key).mid(4));
        });
        append([&](TAdrsRecord& r) {
            r.Tdfkn.SetText(QStringLiteral("ソ"));
            r.Adrs1.SetText(QStringLiteral("ソ"));
            r.MyNumber.Assign(EncryptAESString(cp932::Encode(QStringLiteral("表ソ能")), key));
        });
        std::mt19937 rng(33);
        const QStringList pieces = {"表", "ソ", "能", "十", "予", "東京都", "千代田区", "1-1", " ", "ｿﾌﾄ", "株式会社"};
        auto text = [&](int parts) {
            QString t;
            for (int i = 0; i < parts; ++i)
                t += pieces[int(rng() % pieces.size())];
            return t;
        };
        // Enough rows for several blocks of the search, the last one short.
        for (int i = 0; i < 150; ++i)
            append([&](TAdrsRecord& r) {
                r.Group = int(rng() % 4);
                r.Tel.SetText(QStringLiteral("0%1").arg(300000000 + int(rng() % 900000000)));
                r.Portable1.SetText(rng() % 2 ? QStringLiteral("090%1").arg(10000000 + int(rng() % 80000000)) : QString());
                r.Tdfkn.SetText(text(int(rng() % 2)));
                r.Adrs1.SetText(text(int(rng() % 3)));
                r.Adrs2.SetText(text(1));
                r.Adrs3.SetText(text(int(rng() % 2)));
                r.CorpKanji.SetText(text(2));
                r.NameKanji.SetText(text(2));
                if (rng() % 5 == 0)
                    r.MyNumber.Assign(EncryptAESString(QByteArray::number(100000000000ll + rng() % 1000000000),
                                                       QByteArray(kFieldKey)));
                if (rng() % 7 == 0)
                    r.JointMyNumber[2].Assign(EncryptAESString(
                        QByteArray::number(1000000000000ll + rng() % 1000000000), QByteArray(kFieldKey)));
                r.UpdDateTime = 44000 + (rng() % 2000) / 7.0;
                r.CodeMain = int(rng() % 5);
            });
        table.Commit();
        table.Close();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(AdrsTableFileName(kBook).toUtf8().constData(), &db), SQLITE_OK);
        const char* kStoredOtherwise =
            "UPDATE Adrs SET Tel = ' 0312345678 ', Fax = 'ABC', Portable2 = '0' WHERE RecNo = 5;"
            "UPDATE Adrs SET Tel = '03-1234-5678', MyNumber = ' ' || MyNumber || ' ' WHERE RecNo = 6;"
            "UPDATE Adrs SET Tel = '   ', Fax = '' WHERE RecNo = 7;"
            "UPDATE Adrs SET Tel = '０３１２', Portable1 = ' ' WHERE RecNo = 8;"
            "UPDATE Adrs SET Tel = '+81312345678', Fax = '0312 345678' WHERE RecNo = 9;"
            // A damaged date long before the first year shows its year with a minus.
            "UPDATE Adrs SET AddDateTime = -700000, UpdDateTime = -693594.25 WHERE RecNo = 7;";
        const int updated = sqlite3_exec(db, kStoredOtherwise, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(updated, SQLITE_OK);
        list = std::make_unique<TAddressList>();
        ASSERT_TRUE(list->OpenAdrsBook(kBook));
    }

    void TearDown() override
    {
        SetAdminPassword(QString());
        list.reset();
        dm.reset();
    }

    void ShowColumns(const std::vector<int>& columnNos)
    {
        TListColumnSettings columns = DefaultListColumns();
        for (TListColumnSetting& c : columns)
            c.Shown = std::find(columnNos.begin(), columnNos.end(), c.ColumnNo) != columnNos.end();
        list->SetColumnSettings(columns);
    }

    int FocusedRow() const
    {
        const QModelIndex at = list->ListView()->selectionModel()->currentIndex();
        return at.isValid() ? at.row() : -1;
    }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TAddressList> list;
};

// The quick tests on stored bytes and on what the cache keeps per row must
// agree with the texts themselves: for every column, every row and each
// awkward word, the search finds exactly the rows whose shown cell holds the
// word, locked and unlocked.
TEST_F(WordSearchTest, FindsExactlyTheRowsWhoseShownTextHoldsTheWord)
{
    const QStringList words = {"表", "ソ", "\\", "能登 ソ", "03-1234", "0312345678", "1234", "-", "--", "090-",
                               "0120-", "代表", "個人", "会社", "取引先", "2015/04", "100-0001", "1-1", "千代田区千代田",
                               "区千", "一行目 表示", "表示", "髙橋𠮷", "𠮷", "ﾀｶﾊｼ", "123456789018", "*", "1", ":",
                               "2023/03", "見込み", "12345", " ", "ｿﾌﾄ株式",
                               // across address parts, and more characters than a block test takes
                               "能表", "都能", "都能表町１ソ", "府十", "府十条", "1表", "-1表", "ソソ", "表表",
                               "東京都千代田区千代田1-1", "十1-1", "予表",
                               // My Numbers and telephone numbers of every shape
                               "1234567890123456", "1234567890123", "90123", "表ソ能", "ソ能", "03-1234-5678", " 0312",
                               "０３", "+81", "ABC", "0", "0312 3", "03",
                               // dates, one of them damaged
                               "-0018/06", "-0001", "06:00"};
    const TAdrsListModel& model = list->Model();
    const TAdrsListCache& cache = model.Cache();
    for (const bool locked : {false, true}) {
        ASSERT_TRUE(SetAdminPassword(locked ? QStringLiteral("secret") : QString()));
        for (int column = 0; column < kAdrsListColumnCount; ++column) {
            std::vector<QString> cells;
            for (int row = 0; row < cache.Count(); ++row)
                cells.push_back(AdrsListCellText(cache, row, column));
            for (const QString& word : words) {
                const TListWordSearch search(cache, {column}, word);
                for (int row = 0; row < cache.Count(); ++row)
                    ASSERT_EQ(search.RowHolds(row), cells[size_t(row)].contains(word))
                        << "column " << column << " row " << row << " word " << word.toStdString() << " locked "
                        << locked << " cell " << cells[size_t(row)].toStdString();
            }
        }
    }
}

// What the cache keeps per row is made anew with every load: a record added
// after the list was first loaded lands in a block of rows the first load
// did not have, and is found by a word across its address parts, by its
// shown number and by its My Number.
TEST_F(WordSearchTest, RowsAddedAfterTheFirstLoadAreSearchedAfterTheReload)
{
    ShowColumns({alcNo, alcTel, alcAddress, alcMyNumber});
    const QString across = QStringLiteral("構ソ予");
    EXPECT_EQ(FindWordInList(list->Model(), across, 0), -1);
    TSqlTable& table = dm->AdrsTable();
    for (int i = 0; i < 70; ++i) {
        TAdrsRecord r;
        InitNewAdrsRecord(r, true);
        if (i == 69) {
            r.Tdfkn.SetText(QStringLiteral("構"));
            r.Adrs1.SetText(QStringLiteral("ソ "));
            r.Adrs3.SetText(QStringLiteral("予"));
            r.Tel.SetText("0987654321");
            r.MyNumber.Assign(EncryptAESString("987654321098", QByteArray(kFieldKey)));
        }
        table.Append();
        WriteAdrsRecord(r, table);
        table.Post();
    }
    list->RefreshList(false, true, true);
    const int last = list->GetRecordCount() - 1;
    ASSERT_EQ(list->Model().CellText(last, alcAddress), QStringLiteral("構ソ予"));
    EXPECT_EQ(FindWordInList(list->Model(), across, 0), last);
    EXPECT_EQ(FindWordInList(list->Model(), list->Model().CellText(last, alcTel), 0), last);
    EXPECT_EQ(FindWordInList(list->Model(), QStringLiteral("987654321098"), 0), last);
}

// Behind the administrator lock a My Number shows as stars, and its digits
// are not found; unlocked they are.
TEST_F(WordSearchTest, MaskedMyNumberDigitsAreNotSearched)
{
    ShowColumns({alcNo, alcMyNumber});
    EXPECT_EQ(FindWordInList(list->Model(), QStringLiteral("123456789018"), 0), 0);
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("secret")));
    EXPECT_EQ(FindWordInList(list->Model(), QStringLiteral("123456789018"), 0), -1);
    EXPECT_EQ(FindWordInList(list->Model(), QStringLiteral("*"), 0), 0);
}

// Search, next, the not-found message, and what the search leaves alone:
// the record window's row, the order of the rows and the columns shown.
TEST_F(WordSearchTest, SearchAndNextMoveTheListFocusAndSayWhenNothingIsLeft)
{
    ShowColumns({alcNo, alcNameKanji});
    list->SetCurrentIndex(3);
    list->SearchWord = QStringLiteral("ソ");
    std::vector<int> hits;
    for (int i = 0; i < list->GetRecordCount(); ++i)
        if (list->Model().CellText(i, alcNameKanji).contains(u'ソ'))
            hits.push_back(i);
    ASSERT_GE(hits.size(), 2u);
    ASSERT_TRUE(list->FindSearchWord(0));
    EXPECT_EQ(FocusedRow(), hits[0]);
    EXPECT_EQ(list->GetSelCount(), 1);
    for (size_t h = 1; h < hits.size(); ++h) {
        list->actWordSearchNextExecute();
        EXPECT_EQ(FocusedRow(), hits[h]);
    }
    EXPECT_TRUE(messages.Messages().empty());
    list->actWordSearchNextExecute();
    EXPECT_EQ(messages.LastText(), QStringLiteral("指定した文字列は見つかりませんでした  "));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(FocusedRow(), hits.back());
    EXPECT_EQ(list->GetRecNo(0), 1);
    EXPECT_EQ(list->Model().Columns(), (std::vector<int>{alcNo, alcNameKanji}));

    // A hidden column is not searched: the company names hold "ソフト".
    messages.Clear();
    list->SearchWord = QStringLiteral("ソフト");
    EXPECT_FALSE(list->FindSearchWord(0));
    EXPECT_EQ(messages.Messages().size(), 1u);
}

// Through the action: the dialog gets the last word, "検索" searches from the
// top and turns "next" on; "検索の解除" ends the search with an empty word.
TEST_F(WordSearchTest, ActionKeepsTheWordAndClearingEndsTheSearch)
{
    QAction* next = list->findChild<QAction*>("actWordSearchNext");
    ASSERT_NE(next, nullptr);
    EXPECT_FALSE(next->isEnabled());
    list->SearchWord = QStringLiteral("古い語");
    QString offered;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>("edtWord");
        offered = edit->text();
        edit->setText(QStringLiteral("  大阪府 "));
        dialog->findChild<QPushButton*>("btnSearch")->click();
    });
    list->findChild<QAction*>("actWordSearch")->trigger();
    EXPECT_EQ(offered, QStringLiteral("古い語"));
    EXPECT_EQ(list->SearchWord, QStringLiteral("大阪府"));
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(FocusedRow(), 1);

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->findChild<QPushButton*>("btnClear")->click(); });
    list->findChild<QAction*>("actWordSearch")->trigger();
    EXPECT_TRUE(list->SearchWord.isEmpty());
    EXPECT_FALSE(next->isEnabled());
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(WordSearchDialog, WordIsSelectedEnterGoesToSearchAndEscapeCancels)
{
    TWordSearch dialog;
    dialog.SetWord(QStringLiteral("表ソ"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* edit = dialog.findChild<QLineEdit*>("edtWord");
    EXPECT_EQ(edit->selectedText(), QStringLiteral("表ソ"));
    EXPECT_EQ(edit->cursorPosition(), 2);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QWidget*>("btnSearch"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.GetWord(), QStringLiteral("表ソ"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), 2);
}

} // namespace
