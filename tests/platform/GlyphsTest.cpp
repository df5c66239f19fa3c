#include <QDir>
#include <QIcon>
#include <QImage>
#include <gtest/gtest.h>

// The shared glyphs reach every program that links the platform UI library,
// without a Q_INIT_RESOURCE of its own: a static archive would drop them.
TEST(SharedGlyphs, EveryGlyphLoadsAsASixteenPixelImage)
{
    const QStringList names = QDir(QStringLiteral(":/glyphs")).entryList(QDir::Files);
    ASSERT_GE(names.size(), 28) << "the record window's buttons and the colour button";
    for (const QString& name : names) {
        const QImage image(QStringLiteral(":/glyphs/") + name);
        EXPECT_EQ(image.size(), QSize(16, 16)) << name.toStdString();
    }
    EXPECT_FALSE(QIcon(QStringLiteral(":/glyphs/COLORSET.png")).isNull());
    EXPECT_FALSE(QIcon(QStringLiteral(":/glyphs/MYNUMBERPRIV.png")).isNull());
    EXPECT_TRUE(QIcon(QStringLiteral(":/records/COLORSET.png")).pixmap(16).isNull());
}
