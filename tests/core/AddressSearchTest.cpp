// The narrowing dialog (conditions built from its editor, patterns kept in
// Search.ptn, its two views) and the main window's filter over a book.
#include "core/ui/AddressSearch.h"
#include "core/ui/AdrsList.h"

#include "core/AdrsBook.h"
#include "core/AdrsRecord.h"
#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/Settings.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/IniFile.h"
#include "platform/ui/ByteLimitEdit.h"

#include "support/RecordSamples.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

QStringList rowTexts(QTreeWidget* list, int row)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    return {item->text(0), item->text(1), item->text(2)};
}

class AddressSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        LoadCategories();
        dm = std::make_unique<TDMTelvora21>();
    }
    std::unique_ptr<TAddressSearch> open()
    {
        auto d = std::make_unique<TAddressSearch>(nullptr);
        return d;
    }
    // Puts a text condition for item into the editor.
    static void editText(TAddressSearch& d, int item, const QString& text, int match = 0)
    {
        d.cbxItem->setCurrentIndex(item);
        if (IsWideNarrowDownItem(item))
            d.edtWide->setText(text);
        else
            d.edtAnsi->setText(text);
        d.cbxMatch->setCurrentIndex(match);
    }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
};

TEST_F(AddressSearchTest, HandWrittenPatternShowsBlankAndExcludedChoiceRows)
{
    // 会社: 会社名 blank; 代表電話 with 以外; any must hold.
    ASSERT_TRUE(WriteFile(SearchPatternFileName(),
                          QByteArray::fromHex("01" "04" "89ef8ed0" "02"
                                              "0b00" "00000000" "ff00"
                                              "0201" "00000000" "ff01"
                                              "00")));
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(QStringLiteral("ADRS SCH"), QStringLiteral("ViewType"), 2);
    ASSERT_TRUE(ini.UpdateFile());
    auto d = open();
    EXPECT_TRUE(d->AdvancedView());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("絞り込み - 高度な設定"));
    EXPECT_FALSE(d->btnRelease->isEnabled());
    d->cbxPattern->setEditText(QStringLiteral(" 会社 ")); // the same pattern without the blanks
    d->ViewPattern();
    ASSERT_EQ(d->lvCondition->topLevelItemCount(), 2);
    EXPECT_EQ(rowTexts(d->lvCondition, 0), (QStringList{QStringLiteral("会社名"), QStringLiteral("＜空白＞"), QString()}));
    EXPECT_EQ(rowTexts(d->lvCondition, 1), (QStringList{QStringLiteral("代表電話"), QStringLiteral("代表"), QStringLiteral("以外")}));
    EXPECT_TRUE(d->rbAny->isChecked());
    EXPECT_TRUE(d->btnRelease->isEnabled());
    EXPECT_EQ(d->cbxItem->currentIndex(), ndCorpKanji); // the first condition is in the editor
    EXPECT_TRUE(messages.Messages().empty());
    d->SwitchView(); // 2 -> 3: the lowest bit, so still advanced
    EXPECT_TRUE(d->AdvancedView());
    d.reset();
    EXPECT_EQ(TIniFile(SettingsFileName()).ReadInteger(QStringLiteral("ADRS SCH"), QStringLiteral("ViewType")), 3);
    d = open();
    EXPECT_TRUE(d->AdvancedView());
    ASSERT_EQ(d->Patterns().size(), 1u); // read once more, unchanged
    d->cbxPattern->setEditText(QStringLiteral("会社 ")); // trailing blank: the same pattern
    d->ViewPattern();
    EXPECT_EQ(d->lvCondition->topLevelItemCount(), 2);
    d->cbxPattern->setEditText(QStringLiteral("会 社"));
    d->ViewPattern();
    EXPECT_EQ(messages.LastText(), QStringLiteral("指定したパターン名は保存されていません"));
}

TEST_F(AddressSearchTest, EditorBuildsStoredFormsAndTheListRefusesDuplicatesAndAnEleventh)
{
    auto d = open();
    d->SwitchView();
    editText(*d, ndTel, QStringLiteral("03-1234-5678"));
    d->AddCondition();
    editText(*d, ndName, QStringLiteral("𠮷田"), 1);
    d->AddCondition();
    d->cbxItem->setCurrentIndex(ndPubDate);
    d->cbxYear1->setCurrentIndex(d->cbxYear1->findData(2010));
    d->cbxMonth1->setCurrentIndex(5);
    d->cbxYear2->setCurrentIndex(d->cbxYear2->findData(2001));
    d->cbxMonth2->setCurrentIndex(0);
    EXPECT_TRUE(d->lblCondition->isHidden() && d->cbxMatch->isHidden() && d->chkExclude->isHidden());
    d->AddCondition();
    d->cbxItem->setCurrentIndex(ndCategory);
    EXPECT_TRUE(!d->chkExclude->isHidden() && d->cbxMatch->isHidden());
    d->chkExclude->setChecked(true);
    d->AddCondition(); // category 1 without a minor
    d->AddCondition(); // the same again: nothing happens
    ASSERT_EQ(d->lvCondition->topLevelItemCount(), 4);
    EXPECT_TRUE(messages.Messages().empty());

    TNarrowDownCondition got;
    d->GetConditions(got);
    ASSERT_EQ(got.Items.size(), 4u);
    EXPECT_EQ(got.Items[0].Text, QByteArray("0312345678"));
    EXPECT_EQ(got.Items[0].Match, ndmFront);
    EXPECT_EQ(got.Items[1].Text, QByteArray("@D842@DFB7@7530"));
    EXPECT_EQ(got.Items[2].Value1, 200101);
    EXPECT_EQ(got.Items[2].Value2, 201006);
    EXPECT_EQ(got.Items[3].Value1, 100);
    EXPECT_TRUE(got.Items[3].Exclude);
    EXPECT_EQ(got.Items[3].Match, ndmNone);
    EXPECT_EQ(rowTexts(d->lvCondition, 0), (QStringList{QStringLiteral("電話番号"), QStringLiteral("0312345678"), QStringLiteral("前方一致")}));
    EXPECT_EQ(rowTexts(d->lvCondition, 1)[1], QStringLiteral("𠮷田"));
    EXPECT_EQ(rowTexts(d->lvCondition, 2)[1], QStringLiteral("2001年01月～2010年06月"));
    EXPECT_EQ(rowTexts(d->lvCondition, 3), (QStringList{QStringLiteral("カテゴリ"), GetCtgryMainName(1), QStringLiteral("以外")}));

    // Loading a row back restores the editor; 変更 of a row to a condition
    // listed elsewhere changes nothing.
    d->lvCondition->clearSelection();
    d->lvCondition->topLevelItem(2)->setSelected(true);
    d->LoadSelectedCondition();
    EXPECT_EQ(d->cbxItem->currentIndex(), ndPubDate);
    EXPECT_EQ(d->EditorCondition(), got.Items[2]);
    d->lvCondition->clearSelection();
    d->lvCondition->topLevelItem(0)->setSelected(true);
    d->ChangeCondition();
    TNarrowDownCondition after;
    d->GetConditions(after);
    EXPECT_EQ(after, got);

    for (int i = 0; d->btnAdd->isEnabled() && i < 20; ++i) {
        editText(*d, 0, QString::number(i));
        d->AddCondition();
    }
    EXPECT_EQ(d->lvCondition->topLevelItemCount(), kMaxNarrowDownConditions);
    d->AddCondition();
    EXPECT_EQ(d->lvCondition->topLevelItemCount(), kMaxNarrowDownConditions);

    // 削除 of rows 1 and 3 selects what stands at row 1 now.
    d->lvCondition->clearSelection();
    d->lvCondition->topLevelItem(1)->setSelected(true);
    d->lvCondition->topLevelItem(3)->setSelected(true);
    d->DeleteConditions();
    d->GetConditions(after);
    ASSERT_EQ(after.Items.size(), 8u);
    EXPECT_EQ(after.Items[1], got.Items[2]);
    EXPECT_EQ(d->lvCondition->selectedItems(), QList<QTreeWidgetItem*>{d->lvCondition->topLevelItem(1)});
    EXPECT_TRUE(d->btnAdd->isEnabled());
}

TEST_F(AddressSearchTest, SimpleViewNarrowsByTheEditorAloneAndAnEmptyTextIsABlankCondition)
{
    auto d = open();
    ASSERT_FALSE(d->AdvancedView());
    TNarrowDownCondition before;
    before.Items = {TNarrowDownItem{ndTel, ndkText, "03", 0, 0, ndmFront, false}};
    d->SetConditions(before);
    editText(*d, ndCorpKanji, QString());
    d->Narrow();
    EXPECT_EQ(d->result(), int(mrOk));
    TNarrowDownCondition got;
    d->GetConditions(got);
    ASSERT_EQ(got.Items.size(), 1u);
    EXPECT_EQ(got.Items[0], (TNarrowDownItem{ndCorpKanji, ndkText, {}, 0, 0, ndmNone, false}));

    d = open();
    d->SetConditions(before);
    d->ReleaseFilter();
    EXPECT_EQ(d->result(), int(mrOk));
    d->GetConditions(got);
    EXPECT_TRUE(got.Items.empty());
}

TEST_F(AddressSearchTest, PatternsSaveInPlaceDeleteToNoFileAndFailuresChangeNothing)
{
    auto d = open();
    d->SwitchView();
    editText(*d, ndCorpKanji, QStringLiteral("表ソ"), 2);
    d->AddCondition();
    for (const char* name : {"甲", "乙", "ABC", "abc"}) {
        d->cbxPattern->setEditText(QString::fromUtf8(name));
        d->SavePattern();
    }
    ASSERT_EQ(d->Patterns().size(), 4u); // names differing in case are different patterns
    EXPECT_EQ(d->cbxPattern->currentText(), QStringLiteral("abc"));
    d->rbAny->setChecked(true);
    d->cbxPattern->setEditText(QStringLiteral("乙"));
    d->SavePattern(); // overwritten in its place, not asked
    EXPECT_TRUE(messages.Messages().empty());
    TSearchPatterns onDisk = LoadSearchPatterns();
    ASSERT_EQ(onDisk.size(), 4u);
    EXPECT_EQ(onDisk[1].Name, QStringLiteral("乙"));
    EXPECT_FALSE(onDisk[1].Condition.MatchAll);
    EXPECT_TRUE(onDisk[0].Condition.MatchAll);

    // A write that fails keeps the file and the list, and says so.
    const QByteArray file = ReadFile(SearchPatternFileName());
    ASSERT_TRUE(QFile::rename(SearchPatternFileName(), SearchPatternFileName() + QStringLiteral(".keep")));
    ASSERT_TRUE(QDir().mkdir(SearchPatternFileName()));
    d->cbxPattern->setEditText(QStringLiteral("丙"));
    d->SavePattern();
    EXPECT_EQ(messages.LastText(),
              QStringLiteral("パターンが保存できませんでした  \r\n") + FileErrorCause(EISDIR) + QStringLiteral("  "));
    EXPECT_EQ(d->Patterns().size(), 4u);
    ASSERT_TRUE(QDir().rmdir(SearchPatternFileName()));
    ASSERT_TRUE(QFile::rename(SearchPatternFileName() + QStringLiteral(".keep"), SearchPatternFileName()));
    EXPECT_EQ(ReadFile(SearchPatternFileName()), file);

    // Deleting: No keeps it, an unknown name is left silently, the last
    // pattern takes the file with it.
    messages.Clear();
    messages.Answer(IDNO);
    d->cbxPattern->setEditText(QStringLiteral("甲"));
    d->DeletePattern();
    EXPECT_EQ(d->Patterns().size(), 4u);
    d->cbxPattern->setEditText(QStringLiteral("丁"));
    d->DeletePattern();
    EXPECT_EQ(messages.Messages().size(), 2u);
    for (const char* name : {"甲", "乙", "ABC", "abc"}) {
        d->cbxPattern->setEditText(QString::fromUtf8(name));
        d->DeletePattern();
        EXPECT_TRUE(d->cbxPattern->currentText().isEmpty());
    }
    EXPECT_TRUE(d->Patterns().empty());
    EXPECT_FALSE(QFile::exists(SearchPatternFileName()));
    EXPECT_FALSE(d->btnPtnView->isEnabled());
    d->cbxPattern->setEditText(QStringLiteral("  "));
    d->ViewPattern();
    EXPECT_EQ(messages.LastText(), QStringLiteral("表示したいパターン名を入力してください"));
}

TEST_F(AddressSearchTest, A256thPatternIsRefusedBeforeAnythingChanges)
{
    TSearchPatterns many;
    for (int i = 0; i < kMaxSearchPatterns; ++i)
        many.push_back({QString::number(i), {{TNarrowDownItem{ndPrivCorp, ndkChoice, {}, 1, 0, ndmNone, false}}, true}});
    ASSERT_TRUE(SaveSearchPatterns(many));
    const QByteArray file = ReadFile(SearchPatternFileName());
    auto d = open();
    d->SwitchView();
    d->AddCondition();
    d->cbxPattern->setEditText(QStringLiteral("新"));
    d->SavePattern();
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(d->Patterns().size(), 255u);
    EXPECT_EQ(ReadFile(SearchPatternFileName()), file);
    d->cbxPattern->setEditText(QStringLiteral("7")); // an existing name still saves
    d->SavePattern();
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(LoadSearchPatterns()[7].Condition.Items.front().Item, 0);
}

// ---------------------------------------------------------------- main window

const QString kBook = QStringLiteral("絞り込み");

class FilterListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(kBook));
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(kBook));
        // Record i: group i % 2; every third a main number; 表示ソフト for
        // the odd ones; My Number 1234... for the first four.
        for (int i = 0; i < 8; ++i) {
            TAdrsRecord r;
            InitNewAdrsRecord(r, true);
            r.Group = i % 2;
            r.TelDiv = i % 3 == 0 ? 3 : 1;
            r.CorpKanji.SetText(i % 2 ? QStringLiteral("表示ソフト") : QStringLiteral("\\ソフト"));
            if (i < 4)
                r.MyNumber.Assign(SampleCipher("123456789018"));
            table.Append();
            WriteAdrsRecord(r, table);
            table.Post();
        }
        table.Close();
        list = std::make_unique<TAddressList>();
        ASSERT_TRUE(list->OpenAdrsBook(kBook));
    }
    std::vector<int> shown() const
    {
        std::vector<int> out;
        for (int i = 0; i < list->GetRecordCount(); ++i)
            out.push_back(list->GetRecNo(i));
        return out;
    }
    QString status() const { return list->findChild<QLabel*>(QStringLiteral("pnlFilter"))->text(); }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TAddressList> list;
};

TEST_F(FilterListTest, FilterRunsSuspendsClearsAndComesBackAtTheNextStart)
{
    using V = std::vector<int>;
    TNarrowDownCondition f;
    f.Items = {TNarrowDownItem{ndCorpKanji, ndkText, cp932::Encode(QStringLiteral("\\")), 0, 0, ndmAnywhere, false}};
    list->RunNarrowDown(f);
    EXPECT_EQ(shown(), (V{1, 3, 5, 7})); // 表 and ソ never count as a backslash
    EXPECT_EQ(status(), QStringLiteral("絞り込み中"));
    list->SetGroupChoice(2); // group 1: the group rule comes first
    EXPECT_EQ(shown(), V{});
    list->SetGroupChoice(0);

    list->findChild<QAction*>(QStringLiteral("actDisableSearch"))->trigger();
    EXPECT_EQ(list->GetRecordCount(), 8);
    EXPECT_EQ(status(), QStringLiteral("絞り込み無効"));
    EXPECT_EQ(list->NarrowDownCondition(), f); // suspended, not dropped

    // The next window starts with the filter as it was left.
    list.reset();
    list = std::make_unique<TAddressList>();
    ASSERT_TRUE(list->OpenAdrsBook(kBook));
    EXPECT_TRUE(list->NarrowDownSuspended());
    EXPECT_EQ(list->GetRecordCount(), 8);
    list->findChild<QAction*>(QStringLiteral("actDisableSearch"))->trigger();
    EXPECT_EQ(shown(), (V{1, 3, 5, 7}));

    list->ClearNarrowDown();
    EXPECT_EQ(list->GetRecordCount(), 8);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_FALSE(list->findChild<QAction*>(QStringLiteral("actCancelSearch"))->isEnabled());
    EXPECT_TRUE(LoadSearchList().Condition.Items.empty());
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(FilterListTest, MyNumberConditionNeverHoldsUnderTheAdministratorLock)
{
    using V = std::vector<int>;
    TNarrowDownCondition f;
    f.Items = {TNarrowDownItem{ndMyNumber, ndkText, "1234", 0, 0, ndmFront, false},
               TNarrowDownItem{ndTelDiv, ndkChoice, {}, 0, 0, ndmNone, false}};
    f.MatchAll = true;
    list->RunNarrowDown(f);
    EXPECT_EQ(shown(), (V{1, 4}));
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("pw")));
    list->RefreshList(false, false, false);
    EXPECT_EQ(shown(), V{});
    f.MatchAll = false;
    list->RunNarrowDown(f);
    EXPECT_EQ(shown(), (V{1, 4, 7})); // the main numbers decide
    Settings().AdminMode = true;
    list->RefreshList(false, false, false);
    EXPECT_EQ(shown(), (V{1, 2, 3, 4, 7}));
}

TEST_F(FilterListTest, DialogRunFromTheMainWindowAppliesOnOkOnly)
{
    TNarrowDownCondition f;
    f.Items = {TNarrowDownItem{ndTelDiv, ndkChoice, {}, 0, 0, ndmNone, true}};
    list->RunNarrowDown(f);
    const std::vector<int> excluded{2, 3, 5, 6, 8};
    EXPECT_EQ(shown(), excluded);
    auto answer = [](bool ok) {
        QTimer::singleShot(0, [ok] {
            auto* d = qobject_cast<TAddressSearch*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            TNarrowDownCondition got;
            d->GetConditions(got);
            EXPECT_EQ(got.Items.size(), 1u); // the current filter was handed in
            if (ok) {
                d->cbxItem->setCurrentIndex(ndCorpKanji);
                d->edtAnsi->setText(QStringLiteral("表示"));
                d->Narrow(); // the simple view: the editor's condition alone
            } else {
                d->reject();
            }
        });
    };
    answer(false);
    list->actAdrsSearchExecute();
    EXPECT_EQ(shown(), excluded);
    answer(true);
    list->actAdrsSearchExecute();
    EXPECT_EQ(shown(), (std::vector<int>{2, 4, 6, 8}));
    EXPECT_EQ(LoadSearchList().Condition, list->NarrowDownCondition());
}

} // namespace
