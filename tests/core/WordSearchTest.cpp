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
        std::mt19937 rng(33);
        const QStringList pieces = {"表", "ソ", "能", "十", "予", "東京都", "千代田区", "1-1", " ", "ｿﾌﾄ", "株式会社"};
        auto text = [&](int parts) {
            QString t;
            for (int i = 0; i < parts; ++i)
                t += pieces[int(rng() % pieces.size())];
            return t;
        };
        for (int i = 0; i < 60; ++i)
            append([&](TAdrsRecord& r) {
                r.Group = int(rng() % 4);
                r.Tel.SetText(QStringLiteral("0%1").arg(300000000 + int(rng() % 900000000)));
                r.Portable1.SetText(rng() % 2 ? QStringLiteral("090%1").arg(10000000 + int(rng() % 80000000)) : QString());
                r.Tdfkn.SetText(text(1));
                r.Adrs1.SetText(text(2));
                r.Adrs2.SetText(text(1));
                r.CorpKanji.SetText(text(2));
                r.NameKanji.SetText(text(2));
                if (rng() % 5 == 0)
                    r.MyNumber.Assign(EncryptAESString(QByteArray::number(100000000000ll + rng() % 1000000000),
                                                       QByteArray(kFieldKey)));
                r.UpdDateTime = 44000 + (rng() % 2000) / 7.0;
                r.CodeMain = int(rng() % 5);
            });
        table.Commit();
        table.Close();
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

// The quick tests on stored bytes must agree with the texts themselves: for
// every column, every row and each awkward word, the search finds exactly
// the rows whose shown cell holds the word, locked and unlocked.
TEST_F(WordSearchTest, FindsExactlyTheRowsWhoseShownTextHoldsTheWord)
{
    const QStringList words = {"表", "ソ", "\\", "能登 ソ", "03-1234", "0312345678", "1234", "-", "--", "090-",
                               "0120-", "代表", "個人", "会社", "取引先", "2015/04", "100-0001", "1-1", "千代田区千代田",
                               "区千", "一行目 表示", "表示", "髙橋𠮷", "𠮷", "ﾀｶﾊｼ", "123456789018", "*", "1", ":",
                               "2023/03", "見込み", "12345", " ", "ｿﾌﾄ株式"};
    const TAdrsListModel& model = list->Model();
    const TAdrsListCache& cache = model.Cache();
    std::vector<int> every(kAdrsListColumnCount);
    std::iota(every.begin(), every.end(), 0);
    for (const bool locked : {false, true}) {
        ASSERT_TRUE(SetAdminPassword(locked ? QStringLiteral("secret") : QString()));
        for (const int column : every) {
            for (const QString& word : words) {
                const TListWordSearch search(cache, {column}, word);
                for (int row = 0; row < cache.Count(); ++row) {
                    const bool expected = AdrsListCellText(cache, row, column).contains(word);
                    ASSERT_EQ(search.RowHolds(row), expected)
                        << "column " << column << " row " << row << " word " << word.toStdString() << " locked "
                        << locked << " cell " << AdrsListCellText(cache, row, column).toStdString();
                }
            }
        }
    }
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
