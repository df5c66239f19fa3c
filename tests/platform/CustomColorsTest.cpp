#include "platform/CustomColors.h"
#include "platform/ui/ColorDialog.h"

#include "core/Folders.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Custom colours kept in the test's own data folder; the real dialog comes
// back afterwards.
struct TColorFixture {
    TTempDataFolder folder;
    QString file = folder.path() + "CstmClr.ini";
    TColorFixture() { SetCustomColorsFolderProvider([] { return DataFolder(); }); }
    ~TColorFixture()
    {
        SetCustomColorsFolderProvider({});
        SetColorDialogHandler({});
    }
};

} // namespace

TEST(CustomColors, TextIsTheWindowsColourValueBlueFirst)
{
    EXPECT_EQ(CustomColorText(QColor(0, 0, 255)), QStringLiteral("FF0000"));
    EXPECT_EQ(CustomColorFromText(QStringLiteral("563412")), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(CustomColorFromText(QStringLiteral("$FF")), QColor(255, 0, 0));
    EXPECT_EQ(CustomColorFromText(QStringLiteral("02FFFFFF")), QColor(255, 255, 255));
    for (const char* bad : {"", "xyz", "-1", "123456789"})
        EXPECT_EQ(CustomColorFromText(QString::fromLatin1(bad)), QColor(Qt::black)) << bad;
}

TEST(CustomColors, LoadDefaultsToBlackAndSaveWritesAllSixteenKeysKeepingTheRest)
{
    TColorFixture f;
    const QByteArray other = "[OTHER]\r\nName=" + cp932::Encode(QStringLiteral("色")) + "\r\n";
    ASSERT_TRUE(WriteFile(f.file, other + "[COMMON]\r\n3=FF0000\r\n15=garbage\r\n"));
    TCustomColors colors = LoadCustomColors(f.file);
    EXPECT_EQ(colors[3], QColor(0, 0, 255));
    EXPECT_EQ(colors[0], QColor(Qt::black));
    EXPECT_EQ(colors[15], QColor(Qt::black));

    colors[0] = QColor(255, 0, 0);
    ASSERT_TRUE(SaveCustomColors(f.file, colors));
    TIniFile ini(f.file);
    EXPECT_EQ(ini.ReadSection("COMMON").size(), 16);
    EXPECT_EQ(ini.ReadString("COMMON", "0"), QStringLiteral("0000FF"));
    EXPECT_EQ(ini.ReadString("COMMON", "3"), QStringLiteral("FF0000"));
    EXPECT_EQ(ini.ReadString("COMMON", "15"), QStringLiteral("000000"));
    EXPECT_TRUE(ReadFile(f.file).startsWith(other));
}

TEST(ChooseColor, WritesCustomColoursAfterOkOnly)
{
    TColorFixture f;
    const QByteArray stored = "[COMMON]\r\n5=FF0000\r\n";
    ASSERT_TRUE(WriteFile(f.file, stored));
    TCustomColors seen;
    for (const bool accept : {false, true}) {
        SetColorDialogHandler([&](QWidget*, const QColor&, TCustomColors& custom, QColor& chosen) {
            seen = custom;
            custom[5] = QColor(0, 128, 0);
            chosen = QColor(1, 2, 3);
            return accept;
        });
        bool ok = !accept;
        EXPECT_EQ(ChooseColor(nullptr, QColor(9, 9, 9), &ok), accept ? QColor(1, 2, 3) : QColor(9, 9, 9));
        EXPECT_EQ(ok, accept);
        // Each dialog starts with what is stored; a cancelled one stores nothing.
        EXPECT_EQ(seen[5], QColor(0, 0, 255));
        if (accept)
            EXPECT_EQ(TIniFile(f.file).ReadString("COMMON", "5"), QStringLiteral("008000"));
        else
            EXPECT_EQ(ReadFile(f.file), stored);
    }
}
