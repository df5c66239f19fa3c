#include "core/common/FontUtils.h"
#include "platform/VerticalText.h"
#include "support/CanvasTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Draws text in vertical IPAMincho (through its Windows name) at the top
// right of a tall image.
QImage DrawVertical(const QString& text, int height, int* advance = nullptr)
{
    return Painted(200, 800, [&](TCanvas& c) {
        UseMincho(c, height);
        SetFontVertical(c.Font());
        c.TextOut(150, 10, text);
        if (advance)
            *advance = c.TextWidth(text);
    });
}

} // namespace

TEST(VerticalText, KanjiRunDownAsAColumnLeftOfThePointAndLatinLiesOnItsSide)
{
    int length = 0;
    const QImage img = DrawVertical(QStringLiteral("東京都千代田区一ー二"), -40, &length);
    EXPECT_EQ(length, 400);
    const QRect ink = InkBox(img);
    EXPECT_GT(ink.height(), 350);
    EXPECT_TRUE(QRect(108, 10, 44, 402).contains(ink));

    // Single-byte characters lie on their side with half-width advances,
    // their tops pointing right.
    const QRect latin = InkBox(DrawVertical(QStringLiteral("ABC"), -40, &length));
    EXPECT_GT(latin.height(), latin.width() * 3 / 2);
    EXPECT_EQ(length, 60);
    EXPECT_GT(latin.right(), 150 - 10);
}

TEST(VerticalText, LongVowelMarkTakesItsVerticalForm)
{
    // ー is the eighth character: its cell is rows 290-330.
    const QImage img = DrawVertical(QStringLiteral("東京都千代田区ー"), -40);
    const QRect bar = InkBox(img, 160, QRect(100, 292, 100, 36));
    ASSERT_FALSE(bar.isNull());
    EXPECT_GT(bar.height(), bar.width() * 2);
    // Horizontal writing draws it wider than tall.
    const QRect flat = InkBox(Painted(200, 100, [](TCanvas& c) {
        UseMincho(c, -40);
        c.TextOut(10, 10, QStringLiteral("ー"));
    }));
    EXPECT_GT(flat.width(), flat.height() * 2);
}

TEST(VerticalText, CharactersTheFaceKeepsHorizontalAreTurnedOneByOne)
{
    // A block number at 600 dpi: the face has vertical forms, but none for
    // "－", which must still read as a vertical stroke, not as "一".
    const QString address = QStringLiteral("東京都港区芝公園４丁目２－８");
    const int em = 250;
    const QImage img = Painted(
        400, 4000,
        [&](TCanvas& c) {
            UseMincho(c, -em);
            SetFontVertical(c.Font());
            c.TextOut(300, 20, address);
        },
        600);
    const int at = 20 + em * int(address.indexOf(QStringLiteral("－")));
    const QRect dash = InkBox(img, 160, QRect(0, at + 2, 400, em - 4));
    ASSERT_FALSE(dash.isNull());
    EXPECT_GT(dash.height(), dash.width() * 3);
    EXPECT_GT(dash.height(), em / 2);
    // Its neighbours are upright figures, each in its own cell.
    EXPECT_GT(InkBox(img, 160, QRect(0, at - em + 2, 400, em - 4)).height(), em / 2);

    // The others of the turning table: drawn vertically, each is its
    // horizontal self turned a quarter.
    for (const char* s : {"－", "−", "＜", "＞", "＝", "～"}) {
        SCOPED_TRACE(s);
        const QString ch = QString::fromUtf8(s);
        const QRect flat = InkBox(Painted(400, 400, [&](TCanvas& c) {
            UseMincho(c, -200);
            c.TextOut(100, 100, ch);
        }));
        const QRect turned = InkBox(Painted(400, 400, [&](TCanvas& c) {
            UseMincho(c, -200);
            SetFontVertical(c.Font());
            c.TextOut(300, 100, ch);
        }));
        ASSERT_FALSE(flat.isNull());
        EXPECT_NEAR(turned.width(), flat.height(), 4);
        EXPECT_NEAR(turned.height(), flat.width(), 4);
    }
}

TEST(VerticalText, TurnedVerticalTextRunsUpwards)
{
    const QRect ink = InkBox(Painted(300, 500, [](TCanvas& c) {
        UseMincho(c, -40);
        SetFontVertical(c.Font());
        RotateFont180(c.Font());
        c.TextOut(100, 450, QStringLiteral("東京都"));
    }));
    EXPECT_GE(ink.left(), 99);
    EXPECT_LE(ink.right(), 141);
    EXPECT_LE(ink.bottom(), 451);
    EXPECT_GT(ink.height(), 100);
}

TEST(VerticalText, IpaFontsCarryVerticalForms)
{
    // The IPAex faces (drawn for every face name without a stand-in of its
    // own) list their vertical forms after more than a hundred other
    // feature records.
    for (const char* face : {"@ＭＳ 明朝", "@HG明朝E"}) {
        SCOPED_TRACE(face);
        TFont f;
        f.SetName(QString::fromUtf8(face));
        f.SetHeight(-40);
        const QRawFont raw = RealizeFont(f).raw;
        ASSERT_TRUE(vtext::HasVerticalForms(raw));
        const QList<quint32> plain = raw.glyphIndexesForString(QStringLiteral("ー「"));
        EXPECT_NE(vtext::VerticalGlyph(raw, U'ー'), plain[0]);
        EXPECT_NE(vtext::VerticalGlyph(raw, U'「'), plain[1]);
        const QList<quint32> kanji = raw.glyphIndexesForString(QStringLiteral("東"));
        EXPECT_EQ(vtext::VerticalGlyph(raw, U'東'), kanji[0]);
    }
}
