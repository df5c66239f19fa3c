#include "platform/CustomColors.h"
#include "platform/ui/ColorDialog.h"

#include "core/Folders.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <vector>

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

TEST(CustomColors, LoadDefaultsToBlackAndSaveWritesAllSixteenKeysKeepingTheRest)
{
    TColorFixture f;
    const QByteArray other = "[OTHER]\r\nName=" + cp932::Encode(QStringLiteral("色")) + "\r\n";
    // Windows colour values, blue first, with or without a "$" or a fourth byte.
    ASSERT_TRUE(WriteFile(f.file, other + "[COMMON]\r\n1=$FF\r\n2=02FFFFFF\r\n3=FF0000\r\n4=-1\r\n"
                                          "5=123456789\r\n15=garbage\r\n"));
    TCustomColors colors = LoadCustomColors(f.file);
    const std::vector<QColor> read = {Qt::black, QColor(255, 0, 0), Qt::white, QColor(0, 0, 255), Qt::black, Qt::black};
    for (size_t i = 0; i < read.size(); ++i)
        EXPECT_EQ(colors[int(i)], read[i]) << i;
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
