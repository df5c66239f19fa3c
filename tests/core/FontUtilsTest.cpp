#include "core/common/FontUtils.h"
#include "platform/Canvas.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(FontUtils, StyleBitsAreTheStoredOnes)
{
    EXPECT_FALSE(SetFontAttr(nullptr, 128, QStringLiteral("ＭＳ 明朝"), 12, 0));
    TFont f;
    ASSERT_TRUE(SetFontAttr(&f, 128, QStringLiteral("ＭＳ 明朝"), 12, fsBold | fsStrikeOut));
    EXPECT_EQ(FontStyleToBits(f), 9);
}

TEST(FontUtils, VerticalAndHorizontalSwitchTheFaceAndAngles)
{
    TFont f;
    SetFontAttr(&f, 128, QStringLiteral("ＭＳ ゴシック"), 10, 0);
    SetFontVertical(f);
    EXPECT_EQ(f.Name(), QStringLiteral("@ＭＳ ゴシック"));
    EXPECT_EQ(f.Orientation(), 2700);
    SetFontVertical(f); // never a second "@"
    EXPECT_EQ(f.Name(), QStringLiteral("@ＭＳ ゴシック"));
    SetFontHorizontal(f);
    EXPECT_EQ(f.Name(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(f.Escapement(), 0);

    TFont western;
    SetFontAttr(&western, 0, QStringLiteral("DejaVu Sans"), 10, 0);
    SetFontVertical(western); // only Japanese faces have a vertical form
    EXPECT_EQ(western.Name(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(western.Escapement(), 2700);

    TFont nameless;
    nameless.SetName(QString());
    nameless.SetCharset(128);
    SetFontVertical(nameless);
    EXPECT_EQ(nameless.Name(), QStringLiteral("@ＭＳ 明朝"));
}

TEST(FontUtils, WidthRatioNarrowsTextAndOneRestoresIt)
{
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter p(&img);
    TCanvas c(p);
    SetFontAttr(&c.Font(), 128, QStringLiteral("ＭＳ 明朝"), 10, 0);
    c.Font().SetHeight(-40);
    const QString text = QStringLiteral("東京都");
    const int full = c.TextWidth(text);
    SetFontWidthRatio(c, 0.75);
    EXPECT_EQ(c.TextWidth(text), 90); // average width 20 * 0.75
    EXPECT_EQ(c.TextHeight(text), 40);
    SetFontWidthRatio(c, 1);
    EXPECT_EQ(c.TextWidth(text), full);
}

TEST(FontUtils, ListOffersInstalledFacesOnceWithTheirCharset)
{
    std::vector<TFontListEntry> list;
    ListTrueTypeFonts(list, false, false);
    ListTrueTypeFonts(list, false, false);
    int mincho = 0;
    bool ipa = false;
    for (const TFontListEntry& e : list) {
        EXPECT_FALSE(e.name.startsWith(QLatin1Char('@')));
        if (e.name == QStringLiteral("ＭＳ 明朝")) {
            ++mincho;
            EXPECT_EQ(e.charset, 128);
        }
        if (e.name == QStringLiteral("IPAMincho") || e.name == QStringLiteral("IPA明朝")) {
            ipa = true;
            EXPECT_EQ(e.charset, 128);
        }
    }
    EXPECT_EQ(mincho, 1);
    EXPECT_TRUE(ipa);
}
