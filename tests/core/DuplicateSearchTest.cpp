#include "core/DuplicateSets.h"
#include "core/ui/DuplicateSearch.h"

#include "core/AdrsBook.h"
#include "core/AdrsListModel.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/NarrowDown.h"
#include "core/SearchPatterns.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/ui/AdrsList.h"
#include "platform/Cp932.h"

#include "support/TestSupport.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

using TSets = std::vector<std::vector<int>>;

// The same sets worked out another way: an ordered map over the texts the
// list shows, compared as QStrings.
template <class Key>
TSets OracleSets(int count, Key key)
{
    std::map<decltype(key(0)), std::vector<int>> byKey;
    for (int row = 0; row < count; ++row)
        if (auto k = key(row))
            byKey[k].push_back(row);
    TSets sets;
    for (auto& [k, rows] : byKey)
        if (rows.size() >= 2)
            sets.push_back(rows);
    std::sort(sets.begin(), sets.end());
    return sets;
}

// A 100,000-record book with duplicates of every kind: numbers drawn from a
// smaller pool, addresses from a few hundred, one record in ten copying an
// earlier record's number and address, addresses split over their fields
// differently and with spaces around the parts, names held only in the
// wide-text form, and blank numbers and addresses.
class DuplicateBook : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        const QString file = dir->filePath(QStringLiteral("Adrs.DB"));
        TSqlTable::CreateTable(file, AdrsTableDef());
        TSqlTable table(AdrsTableDef());
        table.Open(file);
        table.StartTransaction();
        std::mt19937 rng(114);
        const QStringList prefs = {"東京都", "大阪府", "北海道"};
        const QStringList towns = {"表町", "能見台", "十条", "ソフト町", "予讃", "南青山", "構内", "暴橋"};
        const QStringList names = {"表 太郎", "能登 ソラ", "十河 申", "鈴木 花子"};
        std::vector<std::pair<QString, std::array<QString, 4>>> made;
        for (int i = 0; i < kCount; ++i) {
            TAdrsRecord r;
            InitNewAdrsRecord(r, true);
            QString tel = rng() % 14 == 0 ? QString() : QStringLiteral("03%1").arg(10000000 + int(rng() % 60000));
            std::array<QString, 4> adrs;
            if (rng() % 20) {
                adrs = {prefs[int(rng() % 3)], towns[int(rng() % 8)] + QStringLiteral("区"),
                        QStringLiteral("%1-%2").arg(1 + rng() % 9).arg(1 + rng() % 5), QString()};
                if (rng() % 10 == 0)
                    adrs = {QString(), adrs[0] + adrs[1], adrs[2], QString()}; // the same address, split otherwise
                if (rng() % 10 == 0)
                    adrs[1] = QStringLiteral(" ") + adrs[1] + QStringLiteral("  ");
            }
            if (i > 0 && rng() % 10 == 0) {
                const auto& earlier = made[size_t(rng() % made.size())];
                tel = earlier.first;
                adrs = earlier.second;
            }
            made.emplace_back(tel, adrs);
            r.Tel.SetText(tel);
            r.Tdfkn.SetText(adrs[0]);
            r.Adrs1.SetText(adrs[1]);
            r.Adrs2.SetText(adrs[2]);
            r.Adrs3.SetText(adrs[3]);
            if (rng() % 8 == 0)
                r.NameKanji.Assign(WideToAtHex(QStringLiteral("𠮷田 %1").arg(rng() % 50)));
            else
                r.NameKanji.SetText(names[int(rng() % 4)] + QString::number(rng() % 2000));
            table.Append();
            WriteAdrsRecord(r, table);
            table.Post();
        }
        table.Commit();
        cache = new TAdrsListCache;
        cache->Load(table);
    }
    static void TearDownTestSuite()
    {
        delete cache;
        delete dir;
    }

    static QString Tel(int row) { return cp932::Trim(cache->Text(row, afTel)); }
    static QString Address(int row) { return AdrsListCellText(*cache, row, alcAddress); }
    static QString Name(int row) { return cp932::Trim(AdrsListCellText(*cache, row, alcNameKanji)); }

    static constexpr int kCount = 100000;
    static inline QTemporaryDir* dir = nullptr;
    static inline TAdrsListCache* cache = nullptr;
};

struct TOptionalText {
    QString text;
    explicit operator bool() const { return !text.isEmpty(); }
    bool operator<(const TOptionalText& o) const { return text < o.text; }
};

TEST_F(DuplicateBook, SetsByNumberAddressNameAndPairsEqualAnIndependentOracle)
{
    ASSERT_EQ(cache->Count(), kCount);
    const TSets byTel = OracleSets(kCount, [](int r) { return TOptionalText{Tel(r)}; });
    const TSets byAddress = OracleSets(kCount, [](int r) { return TOptionalText{Address(r)}; });
    const TSets byName = OracleSets(kCount, [](int r) { return TOptionalText{Name(r)}; });
    // Two items: left out only when both are blank.
    struct TPair {
        QString a, b;
        explicit operator bool() const { return !a.isEmpty() || !b.isEmpty(); }
        bool operator<(const TPair& o) const { return std::tie(a, b) < std::tie(o.a, o.b); }
    };
    const TSets byBoth = OracleSets(kCount, [](int r) { return TPair{Tel(r), Address(r)}; });
    const TSets byNameAddress = OracleSets(kCount, [](int r) { return TPair{Name(r), Address(r)}; });
    // The book is made to have every kind in numbers.
    EXPECT_GT(byTel.size(), 10000u);
    EXPECT_GT(byAddress.size(), 300u);
    EXPECT_GT(byBoth.size(), 5000u);

    EXPECT_EQ(DuplicateSets(*cache, diTel, diNone), byTel);
    EXPECT_EQ(DuplicateSets(*cache, diAddress, diNone), byAddress);
    EXPECT_EQ(DuplicateSets(*cache, diName, diNone), byName);
    EXPECT_EQ(DuplicateSets(*cache, diTel, diAddress), byBoth);
    EXPECT_EQ(DuplicateSets(*cache, diAddress, diTel).size(), byBoth.size());
    EXPECT_EQ(DuplicateSets(*cache, diName, diAddress), byNameAddress);
    // A second item out of range, or the first again, is no second item;
    // a first item out of range shows nothing.
    EXPECT_EQ(DuplicateSets(*cache, diTel, 9), byTel);
    EXPECT_EQ(DuplicateSets(*cache, diTel, diTel), byTel);
    EXPECT_TRUE(DuplicateSets(*cache, 0, diTel).empty());
    EXPECT_TRUE(DuplicateSets(*cache, -3, 0).empty());
    // The display's rows are the sets one after another.
    const std::vector<int> rows = DuplicateRows(*cache, diTel, diAddress);
    size_t total = 0;
    for (const auto& set : byBoth)
        total += set.size();
    ASSERT_EQ(rows.size(), total);
    EXPECT_TRUE(std::equal(byBoth.front().begin(), byBoth.front().end(), rows.begin()));
}

const QString kBook = QStringLiteral("重複");

// A small book through the main window: numbers 1 and 2 twice each, a
// number only once, blank numbers, a company record, groups.
class DuplicateDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(kBook));
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(kBook));
        // RecNo: 1 2 3 4 5 6 7
        const char* tels[] = {"0311111111", "0322222222", "0311111111", "", "0333333333", "0322222222", ""};
        const int groups[] = {1, 2, 2, 1, 1, 1, 2};
        for (int i = 0; i < 7; ++i) {
            TAdrsRecord r;
            InitNewAdrsRecord(r, i != 1);
            r.Tel.SetText(QString::fromLatin1(tels[i]));
            r.Group = groups[i];
            r.CorpKanji.SetText(i == 1 ? QStringLiteral("株式会社表示") : QString());
            r.NameKanji.SetText(QStringLiteral("名前%1").arg(7 - i));
            table.Append();
            WriteAdrsRecord(r, table);
            table.Post();
        }
        table.Close();
        list = std::make_unique<TAddressList>();
        ASSERT_TRUE(list->OpenAdrsBook(kBook));
    }
    void TearDown() override
    {
        list.reset();
        dm.reset();
    }
    std::vector<int> Shown() const
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

// The display drops the filter conditions, leaves blank numbers out, shows
// each set together and ignores the column sort; ending it brings the sort
// back. The group choice still applies, and a refresh works the sets out
// anew on the book as it now is.
TEST_F(DuplicateDisplayTest, ShowsSetsTogetherDropsConditionsAndSuspendsTheSort)
{
    list->SetSortColumn(alcNameKanji, false); // 7 6 5 4 3 2 1
    list->SetRowCondition([](const TAdrsListCache& c, int row) { return c.RecNo(row) != 3; });
    ASSERT_EQ(Shown(), (std::vector<int>{7, 6, 5, 4, 2, 1}));
    list->SetCurrentIndex(list->IndexOfRecNo(6));

    list->ShowDuplicates(diTel, diNone);
    EXPECT_TRUE(list->IsShowingDuplicates());
    EXPECT_EQ(list->DupItem1, int(diTel));
    EXPECT_EQ(Shown(), (std::vector<int>{1, 3, 2, 6}));
    EXPECT_EQ(list->GetRecNo(list->GetCurrentIndex()), 6);
    EXPECT_EQ(list->ListView()->header()->sortIndicatorSection(), -1);
    // A click on a column header does not reorder the sets.
    list->ListView()->header()->sectionClicked(0);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 3, 2, 6}));

    list->SetGroupChoice(3); // group 2
    EXPECT_EQ(Shown(), (std::vector<int>{3, 2}));
    list->SetGroupChoice(0);
    list->SetCurrentIndex(list->IndexOfRecNo(6)); // gone from the list while group 2 was chosen

    // A record added elsewhere joins its set on the next refresh.
    {
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(kBook));
        TAdrsRecord r;
        InitNewAdrsRecord(r, true);
        r.Tel.SetText("0333333333");
        table.Append();
        WriteAdrsRecord(r, table);
        table.Post();
    }
    list->RefreshList(false, true, true);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 3, 2, 6, 5, 8}));

    list->EndDuplicateDisplay();
    EXPECT_FALSE(list->IsShowingDuplicates());
    EXPECT_EQ(list->DupItem1, 0);
    EXPECT_EQ(Shown(), (std::vector<int>{8, 7, 6, 5, 4, 3, 2, 1})); // by name, the condition gone
    EXPECT_EQ(list->GetRecNo(list->GetCurrentIndex()), 6);
    EXPECT_EQ(list->Model().SortColumn(), int(alcNameKanji));
    EXPECT_EQ(list->ListView()->header()->sortIndicatorSection(),
              int(std::find(list->Model().Columns().begin(), list->Model().Columns().end(), alcNameKanji) -
                  list->Model().Columns().begin()));
}

// The filter and the duplicate display end each other: duplicates drop the
// filter's conditions (also from Search.lst, so the next start has none), and
// running the filter ends the duplicate display.
TEST_F(DuplicateDisplayTest, FilterAndDuplicateDisplayEndEachOther)
{
    TNarrowDownCondition byTel;
    byTel.Items = {TNarrowDownItem{ndTel, ndkText, "031", 0, 0, ndmFront, false}};
    const auto status = [this] { return list->findChild<QLabel*>(QStringLiteral("pnlFilter"))->text(); };
    list->RunNarrowDown(byTel);
    ASSERT_EQ(Shown(), (std::vector<int>{1, 3}));

    list->ShowDuplicates(diTel, diNone);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 3, 2, 6}));
    EXPECT_TRUE(LoadSearchList().Condition.Items.empty());
    EXPECT_EQ(status(), QStringLiteral("重複データ表示中"));

    list->RunNarrowDown(byTel);
    EXPECT_FALSE(list->IsShowingDuplicates());
    EXPECT_EQ(list->DupItem1, 0);
    EXPECT_EQ(Shown(), (std::vector<int>{1, 3}));
    EXPECT_EQ(LoadSearchList().Condition, byTel);
    EXPECT_EQ(status(), QStringLiteral("絞り込み中"));

    // Another book ends the display: back on this one, every record shows.
    list->ShowDuplicates(diTel, diNone);
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("別")));
    ASSERT_TRUE(list->OpenAdrsBook(QStringLiteral("別")));
    EXPECT_TRUE(status().isEmpty());
    ASSERT_TRUE(list->OpenAdrsBook(kBook));
    EXPECT_EQ(Shown().size(), 7u);
}

// Two items: a record is left out only when both are blank; out-of-range
// items from a caller end the display rather than show nonsense.
TEST_F(DuplicateDisplayTest, PairsAndOutOfRangeItems)
{
    list->ShowDuplicates(diTel, diCompany);
    // Numbers and company both equal: 1/3 (no company); 4/7 blank numbers
    // and blank companies are left out.
    EXPECT_EQ(Shown(), (std::vector<int>{1, 3}));
    list->ShowDuplicates(diCompany, 7);
    EXPECT_EQ(list->DupItem2, 0);
    EXPECT_TRUE(Shown().empty()); // one company record only
    list->ShowDuplicates(12, 1);
    EXPECT_FALSE(list->IsShowingDuplicates());
    EXPECT_EQ(Shown().size(), 7u);
}

TEST(DuplicateSearchDialog, ItemsChoiceRefusalUnchangedAndClear)
{
    TMessageRecorder messages;
    {
        // No display yet: telephone number and "（指定しない）", no clearing.
        TDuplicateSearch dialog;
        dialog.SetItems(0, 0);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        auto* item2 = dialog.findChild<QComboBox*>("cbxItem2");
        EXPECT_EQ(dialog.findChild<QComboBox*>("cbxItem1")->currentText(), QStringLiteral("電話番号"));
        EXPECT_EQ(item2->currentText(), QStringLiteral("（指定しない）"));
        EXPECT_FALSE(dialog.findChild<QPushButton*>("btnClear")->isEnabled());

        // The same item twice is refused and the dialog stays.
        item2->setCurrentIndex(1);
        dialog.findChild<QPushButton*>("btnView")->click();
        EXPECT_EQ(messages.LastText(), QStringLiteral("同じ項目を指定できません  "));
        EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONINFORMATION));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), item2);

        item2->setCurrentIndex(0);
        dialog.findChild<QPushButton*>("btnView")->click();
        EXPECT_EQ(dialog.result(), int(mrOk));
        int a = -1, b = -1;
        dialog.GetItems(a, b);
        EXPECT_EQ(a, 1);
        EXPECT_EQ(b, 0);
    }
    {
        // Address and name shown now: "表示" unchanged is a cancel.
        TDuplicateSearch dialog;
        dialog.SetItems(diAddress, diName);
        EXPECT_EQ(dialog.findChild<QComboBox*>("cbxItem1")->currentText(), QStringLiteral("住所"));
        EXPECT_EQ(dialog.findChild<QComboBox*>("cbxItem2")->currentText(), QStringLiteral("名前"));
        dialog.show();
        dialog.findChild<QPushButton*>("btnView")->click();
        EXPECT_EQ(dialog.result(), int(mrCancel));
    }
    {
        TDuplicateSearch dialog;
        dialog.SetItems(diAddress, diNone);
        EXPECT_TRUE(dialog.findChild<QPushButton*>("btnClear")->isEnabled());
        dialog.show();
        dialog.findChild<QPushButton*>("btnClear")->click();
        EXPECT_EQ(dialog.result(), int(mrOk));
        int a = -1, b = -1;
        dialog.GetItems(a, b);
        EXPECT_EQ(a, 0);
        EXPECT_EQ(b, 0);
    }
    {
        // Items that no display can have count as none.
        TDuplicateSearch dialog;
        dialog.SetItems(9, -2);
        EXPECT_EQ(dialog.findChild<QComboBox*>("cbxItem1")->currentIndex(), 0);
        EXPECT_EQ(dialog.findChild<QComboBox*>("cbxItem2")->currentIndex(), 0);
        EXPECT_FALSE(dialog.findChild<QPushButton*>("btnClear")->isEnabled());
    }
    EXPECT_EQ(messages.Messages().size(), 1u);
}

} // namespace
