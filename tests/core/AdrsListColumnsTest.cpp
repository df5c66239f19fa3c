#include "core/AdrsListColumns.h"
#include "core/AdrsListSelection.h"
#include "core/ui/GroupEdit.h"
#include "platform/IniFile.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QItemSelection>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(AdrsListColumns, SavedOrderWidthAndVisibilityComeBack)
{
    TTempDataFolder folder;
    TListColumnSettings columns = DefaultListColumns();
    std::swap(columns[0], columns[10]);
    columns[0].Width = 333;
    columns[5].Shown = true;
    {
        TIniFile ini(folder.path() + "AdrsList.ini");
        SaveListColumns(ini, columns);
        ASSERT_TRUE(ini.UpdateFile());
    }
    const TIniFile ini(folder.path() + "AdrsList.ini");
    EXPECT_EQ(LoadListColumns(ini), columns);
}

TEST(AdrsListColumns, DamagedSettingsFallBackToTheDefaultsRatherThanLosingAColumn)
{
    TTempDataFolder folder;
    TListColumnSettings columns = DefaultListColumns();
    const QString file = folder.path() + "AdrsList.ini";
    auto loadWith = [&](auto change) {
        TListColumnSettings c = columns;
        change(c);
        {
            TIniFile ini(file);
            SaveListColumns(ini, c);
            EXPECT_TRUE(ini.UpdateFile());
        }
        return LoadListColumns(TIniFile(file));
    };
    // A column listed twice (so another is missing).
    EXPECT_EQ(loadWith([](TListColumnSettings& c) { c[1] = c[0]; }), DefaultListColumns());
    // Nothing shown.
    EXPECT_EQ(loadWith([](TListColumnSettings& c) { for (auto& s : c) s.Shown = false; }), DefaultListColumns());
    // A number out of range.
    EXPECT_EQ(loadWith([](TListColumnSettings& c) { c[3].ColumnNo = c[3].Position = 52; }), DefaultListColumns());
    // A file without the section.
    QFile::remove(file);
    EXPECT_EQ(LoadListColumns(TIniFile(file)), DefaultListColumns());
}

TEST(RowIntervals, CountsAndTestsFragmentedAndOverlappingSelections)
{
    TRowIntervals rows;
    EXPECT_EQ(rows.First(), -1);

    rows.Assign({{10, 12}, {0, 0}, {11, 15}, {16, 16}, {20, 20}, {5, 4}});
    EXPECT_EQ(rows.Count(), 1 + 7 + 1); // 0, 10-16, 20
    EXPECT_EQ(rows.First(), 0);
    EXPECT_EQ(rows.Last(), 20);
    EXPECT_TRUE(rows.Contains(16));
    EXPECT_FALSE(rows.Contains(17));
    EXPECT_FALSE(rows.Contains(-1));

    // Ranges over several columns of one row count once.
    QStandardItemModel model(10, 3);
    QItemSelection selection;
    selection.select(model.index(2, 0), model.index(3, 0));
    selection.select(model.index(2, 2), model.index(3, 2)); // same rows, another column
    selection.select(model.index(7, 0), model.index(7, 2));
    rows.Assign(selection);
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_TRUE(rows.Contains(3));
    EXPECT_FALSE(rows.Contains(4));
}

TEST(GroupEditDialog, EnterMovesOnAndOkReturnsTheTrimmedNames)
{
    TGroupEdit dialog;
    dialog.SetNames({"営業", "総務"});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* first = dialog.findChild<QLineEdit*>("edtGroup1");
    auto* second = dialog.findChild<QLineEdit*>("edtGroup2");
    auto* last = dialog.findChild<QLineEdit*>("edtGroup10");
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), second);
    last->setText("  経理 ");
    last->setFocus();
    QTest::keyClick(last, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QWidget*>("btnOk"));
    second->setText("あいうえおかきくけこさしすせそたち");
    const QStringList names = dialog.GetNames();
    EXPECT_EQ(names.value(1), QStringLiteral("あいうえおかきくけこさしすせそ")); // 30 bytes
    EXPECT_EQ(names.value(9), QStringLiteral("経理"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), 2);
}

} // namespace
