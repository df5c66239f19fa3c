#include "platform/Canvas.h"
#include "platform/Font.h"

#include <gtest/gtest.h>

TEST(Font, SizeAndHeightFollowTheResolutionAlsoThroughAssign)
{
    TFont f;
    f.SetPixelsPerInch(96);
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -16);
    f.SetPixelsPerInch(600);
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -100);
    EXPECT_EQ(f.Size(), 12);
    f.SetHeight(-41); // 4.92 points rounds to 5
    EXPECT_EQ(f.Size(), 5);

    // Assigned across resolutions, the point size is kept.
    TFont screen;
    screen.SetSize(10);
    screen.SetEscapement(2700);
    TFont printer;
    printer.SetPixelsPerInch(600);
    printer.Assign(screen);
    EXPECT_EQ(printer.Size(), 10);
    EXPECT_EQ(printer.Height(), -83);
    EXPECT_EQ(printer.Escapement(), 2700);
}

TEST(Font, WindowsJapaneseFacesDrawWithTheIpaFonts)
{
    auto is = [](const QString& stored, std::initializer_list<const char*> names) {
        const QString family = ResolveFontFamily(stored);
        for (const char* n : names)
            if (family == QString::fromUtf8(n))
                return true;
        ADD_FAILURE() << stored.toStdString() << " -> " << family.toStdString();
        return false;
    };
    is(QStringLiteral("ＭＳ 明朝"), {"IPAMincho", "IPA明朝"});
    is(QStringLiteral("@ＭＳ Ｐゴシック"), {"IPAPGothic", "IPA Pゴシック"});
    is(QStringLiteral("HG正楷書体-PRO"), {"IPAexGothic", "IPAexゴシック"});
    is(QStringLiteral("ＨＧ明朝Ｅ"), {"IPAexMincho", "IPAex明朝"});
    is(QStringLiteral("IPAMincho"), {"IPAMincho", "IPA明朝"});
}

TEST(Font, JapaneseCellHeightIsTheCharacterHeight)
{
    TFont f;
    f.SetName(QStringLiteral("ＭＳ 明朝"));
    f.SetCharset(SHIFTJIS_CHARSET);
    f.SetHeight(-40);
    TFontFace face = RealizeFont(f);
    EXPECT_EQ(face.Height(), 40);
    EXPECT_EQ(face.internalLeading, 0);
    EXPECT_EQ(face.aveCharWidth, 20);
    f.SetHeight(40); // a cell height names the same font
    EXPECT_EQ(RealizeFont(f).Height(), 40);
    f.SetWidth(10);
    EXPECT_DOUBLE_EQ(RealizeFont(f).stretch, 0.5);
}

TEST(Font, MulDivRoundsHalfAwayFromZeroAndColoursKeepBlueHigh)
{
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(7, 3, 0), -1);
    EXPECT_EQ(ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(FromQColor(QColor(0x99, 0x66, 0x33)), 0x00336699u);
}
