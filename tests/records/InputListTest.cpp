// The pick-list editor over the data module's history lists in a
// throw-away data folder, driven through its control names.

#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/HistoryData.h"
#include "core/ItemNames.h"
#include "records/InputList.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kSameName = QStringLiteral("既に同じ名称が登録されています  ");
const QString kEnterName = QStringLiteral("名称を入力してください  ");

QString historyFile(const char* name) { return DataPath() + QStringLiteral("History/") + QLatin1String(name); }

void store(const char* file, int itemSize, const QStringList& items)
{
    THistoryData h(historyFile(file), itemSize);
    for (int i = int(items.size()) - 1; i >= 0; --i)
        h.Insert(0, items[i], QDateTime::fromMSecsSinceEpoch(1'700'000'000'000 + i));
    ASSERT_TRUE(h.Save());
}

QStringList itemsOf(const THistoryData& h)
{
    QStringList out;
    for (int i = 0; i < h.GetCount(); ++i)
        out << h.GetItem(i);
    return out;
}

// A picture of the dialog for a person to look at, when asked for.
void screenshot(QWidget& dialog, const char* name)
{
    if (const QByteArray dir = qgetenv("TELVORA_SCREENSHOT_DIR"); !dir.isEmpty()) {
        dialog.show();
        dialog.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name)));
    }
}

class InputList : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadItemNames();
        KeywordNames[5] = QStringLiteral("地域");
        store("Dptmnt.mtd", 100, {QStringLiteral("営業部"), QStringLiteral("総務部")});
        store("Post.mtd", 50, {QStringLiteral("部長"), QStringLiteral("課長")});
        store("Keyword6.mtd", 100, {"A", "B", "C", "D"});
        dm = std::make_unique<TDMTelvora21>();
        dialog = std::make_unique<TInputList>();
    }
    void TearDown() override
    {
        dialog.reset();
        dm.reset();
    }

    void show()
    {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    template <class T = QWidget>
    T* c(const char* name) const
    {
        T* w = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit() const { return c<QLineEdit>("edtName"); }
    QListWidget* list() const { return c<QListWidget>("lbxList"); }
    void click(const char* button) const { c<QPushButton>(button)->click(); }
    void enterName(const QString& text) const
    {
        edit()->setText(text);
        QTest::keyClick(edit(), Qt::Key_Return);
    }
    QStringList shown() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    QList<int> selected() const
    {
        QList<int> rows;
        for (int i = 0; i < list()->count(); ++i)
            if (list()->item(i)->isSelected())
                rows << i;
        return rows;
    }
    void select(const QList<int>& rows) const
    {
        list()->clearSelection();
        for (int r : rows)
            list()->item(r)->setSelected(true);
    }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TInputList> dialog;
};

TEST_F(InputList, AddTrimsPutsOnTopAndRefusesTheSameName)
{
    show();
    select({1});
    enterName(QStringLiteral(" 経理部 "));
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("経理部"), QStringLiteral("営業部"), QStringLiteral("総務部")}));
    EXPECT_EQ(selected(), QList<int>{0});
    EXPECT_EQ(list()->currentRow(), 0);
    EXPECT_TRUE(edit()->text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), edit());

    enterName(QStringLiteral("営業部　")); // a full-width blank is part of the name
    enterName(QStringLiteral("\t営業部"));
    EXPECT_EQ(messages.LastText(), kSameName);
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(edit()->text(), QStringLiteral("\t営業部")) << "the refused name stays to be corrected";
    EXPECT_EQ(shown().size(), 4);

    edit()->setText(QStringLiteral("   "));
    click("bbtnAdd");
    EXPECT_EQ(messages.LastText(), kEnterName);
    EXPECT_EQ(shown().size(), 4);

    // Names differing only in case are different names.
    dialog->SetListKind(TInputList::lkKeyword6);
    enterName(QStringLiteral("a"));
    EXPECT_EQ(shown().first(), QStringLiteral("a"));
    EXPECT_EQ(messages.Messages().size(), 2u);

    // Enter in an empty edit goes to OK once a list changed.
    edit()->clear();
    QTest::keyClick(edit(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), c("btnOk"));
}

TEST_F(InputList, EnterInAnEmptyEditGoesToCancelWhileNothingChanged)
{
    show();
    edit()->setFocus();
    QTest::keyClick(edit(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), c("btnCancel"));
    EXPECT_EQ(shown().size(), 2);

    // Enter in the list and a double click lead back to the name.
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), edit());
    const QRect row = list()->visualItemRect(list()->item(1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(edit()->text(), QStringLiteral("総務部"));
    EXPECT_EQ(edit()->cursorPosition(), 3);
    EXPECT_EQ(QApplication::focusWidget(), edit());
}

TEST_F(InputList, ChangeReplacesOneSelectedEntry)
{
    dialog->SetListKind(TInputList::lkKeyword6); // A B C D
    edit()->setText(QStringLiteral("X"));
    click("bbtnUpdate");
    EXPECT_EQ(messages.LastText(), QStringLiteral("変更するデータを選択してください  "));
    select({0, 2});
    click("bbtnUpdate");
    EXPECT_EQ(messages.LastText(), QStringLiteral("変更するデータを１件だけ選択してください  "));
    select({1});
    edit()->setText(QStringLiteral("C"));
    click("bbtnUpdate");
    EXPECT_EQ(messages.LastText(), kSameName);
    edit()->setText(QStringLiteral(" B "));
    click("bbtnUpdate"); // its own name is no clash
    EXPECT_EQ(messages.Messages().size(), 3u);
    edit()->setText(QStringLiteral("表ソ"));
    click("bbtnUpdate");
    EXPECT_EQ(shown(), (QStringList{"A", QStringLiteral("表ソ"), "C", "D"}));
    EXPECT_EQ(selected(), QList<int>{1});
    EXPECT_EQ(list()->currentRow(), 1);
    EXPECT_TRUE(edit()->text().isEmpty());
}

TEST_F(InputList, MovesKeepTheBlockSelectedAndDeleteAsksNothing)
{
    dialog->SetListKind(TInputList::lkKeyword6); // A B C D
    QPushButton* up = c<QPushButton>("bbtnUp");
    QPushButton* down = c<QPushButton>("bbtnDown");
    EXPECT_FALSE(up->isEnabled());
    EXPECT_FALSE(down->isEnabled());
    select({1, 2});
    EXPECT_TRUE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());
    click("bbtnUp");
    EXPECT_EQ(shown(), (QStringList{"B", "C", "A", "D"}));
    EXPECT_EQ(selected(), (QList<int>{0, 1}));
    EXPECT_FALSE(up->isEnabled());
    click("bbtnUp"); // the first entry is in the block: nothing moves at all
    EXPECT_EQ(shown(), (QStringList{"B", "C", "A", "D"}));
    select({0, 3});
    click("bbtnDown");
    EXPECT_EQ(shown(), (QStringList{"B", "C", "A", "D"})) << "the last entry is in the block";
    select({0, 2});
    click("bbtnDown");
    EXPECT_EQ(shown(), (QStringList{"C", "B", "D", "A"}));
    EXPECT_EQ(selected(), (QList<int>{1, 3}));
    EXPECT_FALSE(down->isEnabled());

    click("bbtnDelete");
    EXPECT_EQ(shown(), (QStringList{"C", "D"}));
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_FALSE(up->isEnabled());
    EXPECT_FALSE(down->isEnabled());
}

TEST_F(InputList, EachTabKeepsItsNameEntriesAndSelection)
{
    enterName(QStringLiteral("経理部"));
    select({0, 2});
    edit()->setText(QStringLiteral("途中"));
    dialog->SetListKind(TInputList::lkKeyword6);
    EXPECT_TRUE(edit()->text().isEmpty());
    select({3});
    dialog->SetListKind(TInputList::lkDptmnt);
    EXPECT_EQ(edit()->text(), QStringLiteral("途中"));
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("経理部"), QStringLiteral("営業部"), QStringLiteral("総務部")}));
    EXPECT_EQ(selected(), (QList<int>{0, 2}));
    EXPECT_FALSE(c("bbtnUp")->isEnabled());
    dialog->SetListKind(TInputList::lkKeyword6);
    EXPECT_EQ(selected(), QList<int>{3});
    EXPECT_FALSE(c("bbtnDown")->isEnabled());
    EXPECT_TRUE(c("bbtnUp")->isEnabled());
    edit()->setText(QStringLiteral("関西"));
    screenshot(*dialog, "InputList.png");
}

TEST_F(InputList, OkWritesOnlyTheChangedListsNewestFirst)
{
    const QByteArray post = ReadFile(historyFile("Post.mtd"));
    enterName(QStringLiteral("表計算課"));
    dialog->SetListKind(TInputList::lkKeyword7);
    enterName(QStringLiteral("ソ"));
    dialog->SetListKind(TInputList::lkPost);
    select({0});
    click("bbtnDown");
    click("bbtnUp"); // back as it was, but changed all the same
    dialog->SetListKind(TInputList::lkKeyword6);
    select({1});
    click("bbtnDelete");
    dialog->SetListKind(TInputList::lkHonor); // looked at, not changed
    click("btnOk");
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(dialog->GetChangedLists(), (1 << 0) | (1 << 1) | (1 << 3) | (1 << 4));
    EXPECT_EQ(itemsOf(THistoryData(historyFile("Keyword6.mtd"), 100)), (QStringList{"A", "C", "D"}));
    EXPECT_FALSE(QFile::exists(historyFile("Honor.mtd")));
    EXPECT_FALSE(QFile::exists(historyFile("Keyword8.mtd")));

    // The data module's lists and the files agree.
    THistoryData dptmnt(historyFile("Dptmnt.mtd"), 100);
    const QStringList expected{QStringLiteral("表計算課"), QStringLiteral("営業部"), QStringLiteral("総務部")};
    EXPECT_EQ(itemsOf(dptmnt), expected);
    EXPECT_EQ(itemsOf(dm->DptmntHistory()), expected);
    EXPECT_GT(dptmnt.GetDateTime(0), dptmnt.GetDateTime(1));
    EXPECT_GT(dptmnt.GetDateTime(1), dptmnt.GetDateTime(2));
    EXPECT_EQ(itemsOf(THistoryData(historyFile("Keyword7.mtd"), 100)), QStringList{QStringLiteral("ソ")});
    EXPECT_EQ(itemsOf(THistoryData(historyFile("Post.mtd"), 50)),
              (QStringList{QStringLiteral("部長"), QStringLiteral("課長")}));
    EXPECT_NE(ReadFile(historyFile("Post.mtd")), post) << "rewritten with the new stamps";
}

TEST_F(InputList, CancelAsksWithTheChangedTabsAndNoKeepsTheDialog)
{
    show();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(dialog->ModalResult(), mrCancel);

    dialog = std::make_unique<TInputList>();
    show();
    enterName(QStringLiteral("経理部"));
    dialog->SetListKind(TInputList::lkKeyword6);
    enterName(QStringLiteral("関東"));
    messages.Answer(IDNO);
    QTest::keyClick(edit(), Qt::Key_Escape);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral(" 部署   \r\n 地域   \r\n\r\n以上のリストが変更されています  \r\n"
                                                  "このままキャンセルすると変更内容が破棄されますが  \r\n"
                                                  "よろしいですか？  "));
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_TRUE(dialog->isVisible());

    click("btnCancel"); // answered yes
    EXPECT_EQ(dialog->ModalResult(), mrCancel);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->GetChangedLists(), 0);
    EXPECT_EQ(itemsOf(THistoryData(historyFile("Keyword6.mtd"), 100)).size(), 4);
    EXPECT_EQ(itemsOf(dm->DptmntHistory()).size(), 2);
}

// A list whose file cannot be written keeps the dialog open with the error;
// the lists before it are written, the failing one stays as it was.
TEST_F(InputList, FailedWriteKeepsTheDialogOpen)
{
    ASSERT_TRUE(QFile::remove(historyFile("Post.mtd")));
    ASSERT_TRUE(QDir().mkdir(historyFile("Post.mtd")));
    const QStringList posts = itemsOf(dm->PostHistory());
    enterName(QStringLiteral("経理部"));
    dialog->SetListKind(TInputList::lkPost);
    enterName(QStringLiteral("主任"));
    click("btnOk");
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("役職のリストが保存できませんでした  \r\n")));
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_NE(dialog->ModalResult(), mrOk);
    EXPECT_EQ(dialog->GetChangedLists(), 1 << 0);
    EXPECT_EQ(itemsOf(THistoryData(historyFile("Dptmnt.mtd"), 100)).first(), QStringLiteral("経理部"));
    EXPECT_EQ(itemsOf(dm->PostHistory()), posts);

    // Cancel now asks only about the list still unwritten.
    messages.Answer(IDNO);
    click("btnCancel");
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral(" 役職   \r\n\r\n")));

    ASSERT_TRUE(QDir().rmdir(historyFile("Post.mtd")));
    click("btnOk");
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(dialog->GetChangedLists(), (1 << 0) | (1 << 1));
    EXPECT_EQ(itemsOf(THistoryData(historyFile("Post.mtd"), 50)), QStringList{QStringLiteral("主任")} + posts);
}

// A history holds 100 entries: the 101st is refused where it is typed,
// never dropped unseen when the list is written.
TEST_F(InputList, AFullListRefusesAnotherEntry)
{
    QStringList hundred;
    for (int i = 0; i < 100; ++i)
        hundred << QStringLiteral("部署%1").arg(i);
    dialog.reset();
    dm.reset();
    store("Dptmnt.mtd", 100, hundred);
    dm = std::make_unique<TDMTelvora21>();
    dialog = std::make_unique<TInputList>();
    ASSERT_EQ(shown().size(), 100);

    enterName(QStringLiteral("経理部"));
    EXPECT_EQ(messages.LastText(), QStringLiteral("入力リストに登録できるのは１００件までです  "));
    EXPECT_EQ(shown().size(), 100);
    EXPECT_EQ(edit()->text(), QStringLiteral("経理部"));

    select({99});
    click("bbtnDelete");
    enterName(QStringLiteral("経理部"));
    click("btnOk");
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    QStringList expected = hundred.mid(0, 99);
    expected.prepend(QStringLiteral("経理部"));
    EXPECT_EQ(itemsOf(THistoryData(historyFile("Dptmnt.mtd"), 100)), expected);
}

} // namespace
