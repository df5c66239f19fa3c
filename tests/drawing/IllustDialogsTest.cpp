// The illustration and text settings dialogs and the frame page they share,
// driven offscreen: what they remember, what each control does to the work
// copy, and that the item handed in is left alone.

#include "DrawRectTestItem.h"
#include "ImageTestSupport.h"
#include "core/common/FontUtils.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/FramePage.h"
#include "drawing/dialogs/IllustSettingDialog.h"
#include "drawing/dialogs/WordSettingDialog.h"
#include "drawing/objects/BackImage.h"
#include "drawing/objects/IllustRect.h"
#include "drawing/objects/WordRect.h"
#include "platform/IniFile.h"
#include "platform/ui/NumEdit.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TSettingsFile {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("Telvora21.ini"));
    explicit TSettingsFile(const QByteArray& content = {})
    {
        if (!content.isEmpty())
            WriteFile(ini, content);
        SetDrawingSettingsFileProvider([path = ini] { return path; });
    }
    ~TSettingsFile() { SetDrawingSettingsFileProvider({}); }
    int Stored(const char* key) const
    {
        return TIniFile(ini).ReadInteger(QStringLiteral("DESIGN"), QLatin1String(key), -1);
    }
};

class TMaskListScope {
public:
    TMaskListScope()
    {
        FreeIllustMaskFiles();
        AddIllustMaskFilesFrom(QCoreApplication::applicationDirPath());
    }
    ~TMaskListScope() { FreeIllustMaskFiles(); }
};

// Left half blue, right half green.
QImage Halves(int w, int h)
{
    QImage pic = NewBitmap24(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pic.setPixelColor(x, y, x < w / 2 ? QColor(0, 0, 255) : QColor(0, 160, 0));
    return pic;
}

void Picture(TIllustRect& item, const QImage& pic, const TRect& r)
{
    const TGraphic g = pic;
    item.LoadFromGraphic(&g);
    item.SetResolution(96);
    item.SetRect(r);
}

void Retype(TNumEdit* edit, const QString& text, QWidget* leaveTo)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    leaveTo->setFocus(Qt::TabFocusReason);
}

// TELVORA_SAMPLE_DIR, when set, receives a grab of the dialog to look at.
void SaveSample(QWidget& w, const char* name)
{
    const QByteArray dir = qgetenv("TELVORA_SAMPLE_DIR");
    if (!dir.isEmpty())
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

QPoint Centre(const TRect& r)
{
    return QPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
}

} // namespace

// --- illustration settings ---------------------------------------------------------

TEST(IllustSettingDialog, PageAndZoomAreRememberedAndStrayValuesFallBack)
{
    TSettingsFile settings("[DESIGN]\r\nIllustSet=7\r\nIllustSetRatio=5\r\n");
    {
        TIllustSettingDialog d;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("イラストの表示設定"));
        EXPECT_EQ(Child<QTabWidget>(&d, "pgcSetting")->currentIndex(), 0) << "7 is no page";
        EXPECT_EQ(d.ZoomChoice(), TIllustSettingDialog::zcX2) << "any other value is x2";
        for (int page = 0; page < 3; ++page) {
            const QString p = QString::number(page);
            EXPECT_TRUE(d.findChild<QPushButton*>(QStringLiteral("btnZoom") + p + QStringLiteral("2"))->isChecked());
            EXPECT_FALSE(d.findChild<QPushButton*>(QStringLiteral("btnZoom") + p + QStringLiteral("0"))->isChecked());
        }
        Child<QTabWidget>(&d, "pgcSetting")->setCurrentIndex(2);
        Child<QPushButton>(&d, "btnZoom21")->click();
        EXPECT_TRUE(Child<QPushButton>(&d, "btnZoom01")->isChecked()) << "all three pages agree";
        EXPECT_EQ(d.HelpContext(), 125);
    }
    EXPECT_EQ(settings.Stored("IllustSet"), 2);
    EXPECT_EQ(settings.Stored("IllustSetRatio"), 1);
}

TEST(IllustSettingDialog, TurnsAndMirrorsChangeTheCopyOnlyAndAQuarterTurnSwapsTheSides)
{
    TSettingsFile settings;
    TIllustRect source;
    Picture(source, Distinct(20, 10), TRect(30, 40, 230, 140));
    const QByteArray before = SavedRecord(source);
    TIllustSettingDialog d;
    d.LoadFromRect(source);
    EXPECT_EQ(d.IllustRect().GetRect().Width(), 200);
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbReverseTB")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbLeft90")->isChecked());

    Child<QRadioButton>(&d, "rbRight90")->click();
    Child<QPushButton>(&d, "btnRotate")->click();
    TRect r = d.IllustRect().GetRect();
    EXPECT_EQ(r.Width(), 100);
    EXPECT_EQ(r.Height(), 200);
    EXPECT_EQ(d.IllustRect().GetBitmap(), *RotateBitmap(Distinct(20, 10), 1));
    Child<QRadioButton>(&d, "rb180")->click();
    Child<QPushButton>(&d, "btnRotate")->click();
    r = d.IllustRect().GetRect();
    EXPECT_EQ(r.Width(), 100) << "a half turn keeps the sides";
    EXPECT_EQ(r.Height(), 200);
    Child<QRadioButton>(&d, "rbReverseLR")->click();
    Child<QPushButton>(&d, "btnReverse")->click();
    EXPECT_EQ(d.IllustRect().GetBitmap(),
              *MirrorBitmap(*RotateBitmap(*RotateBitmap(Distinct(20, 10), 1), 2), true));
    EXPECT_EQ(SavedRecord(source), before) << "the item handed in is left alone";
}

TEST(IllustSettingDialog, TheCutOutIsChosenDraggedAndBroughtBackBesideThePicture)
{
    TSettingsFile settings;
    const TMaskListScope masks;
    ASSERT_GE(IllustMaskFiles().size(), 4);
    TIllustRect source;
    Picture(source, Halves(50, 50), TRect(0, 0, 100, 100));
    TIllustSettingDialog d;
    d.LoadFromRect(source);
    Child<QPushButton>(&d, "btnZoom01")->click(); // x1: the display rectangle is the item's size
    TIllustRect& copy = d.IllustRect();
    EXPECT_EQ(copy.GetMaskIndex(), -1);
    Child<QRadioButton>(&d, "rbMask")->click();
    EXPECT_EQ(copy.GetMaskIndex(), 0);
    EXPECT_TRUE(copy.HasMaskShape());
    d.SelectMask(3);
    EXPECT_EQ(copy.GetMaskIndex(), 3);
    d.SelectMask(500); // not a thumbnail
    EXPECT_EQ(d.SelectedMask(), 3);
    Child<QTabWidget>(&d, "pgcSetting")->setCurrentIndex(1);
    SaveSample(d, "illust-setting-cut-out");

    // The right edge dragged past the left one becomes the left edge.
    const TRect m0 = copy.GetDisplayMaskRect();
    const QPoint rightMid(m0.Right - 1, m0.Top + m0.Height() / 2);
    d.MaskMouseMove(rightMid, false, {});
    d.MaskMouseDown(rightMid);
    d.MaskMouseMove(QPoint(m0.Left - 30, rightMid.y()), true, {});
    TRect m = copy.GetDisplayMaskRect();
    EXPECT_EQ(m.Left, m0.Left - 30);
    EXPECT_EQ(m.Right, m0.Left);
    d.MaskMouseMove(QPoint(m0.Left - 40, rightMid.y()), true, {});
    m = copy.GetDisplayMaskRect();
    EXPECT_EQ(m.Left, m0.Left - 40) << "the drag goes on with the left edge";
    EXPECT_EQ(m.Right, m0.Left);
    d.MaskMouseUp();

    // Moved wholly above the picture, it comes back with its top edge on
    // the picture's top edge.
    const TRect before = copy.GetDisplayMaskRect();
    const QPoint c = Centre(before);
    d.MaskMouseDown(c);
    d.MaskMouseMove(c + QPoint(0, -(before.Height() + 300)), true, {});
    d.MaskMouseUp();
    m = copy.GetDisplayMaskRect();
    EXPECT_EQ(m.Top, copy.GetDisplayRect().Top);
    EXPECT_EQ(m.Height(), before.Height());
    EXPECT_EQ(m.Left, before.Left);
    EXPECT_EQ(copy.GetMaskRect().Top, copy.GetRect().Top) << "the layout rectangle follows";

    // "そのまま" takes mask and colour away.
    Child<QRadioButton>(&d, "rbAsIs")->click();
    EXPECT_EQ(copy.GetMaskIndex(), -1);
    EXPECT_EQ(copy.GetTransparentColor(), clNone);
}

TEST(IllustSettingDialog, TheTransparentColourStartsAtTheBottomLeftPixelAndIsPickedFromThePicture)
{
    TSettingsFile settings;
    TIllustRect source;
    // One odd pixel at the bottom left, and a frame whose outline takes room.
    QImage pic = Halves(10, 10);
    pic.setPixelColor(0, 9, QColor(0x12, 0x34, 0x56));
    Picture(source, pic, TRect(0, 0, 100, 100));
    source.GetFrame().SetFrame(true);
    source.GetFrame().SetLineWidth(2);
    TIllustSettingDialog d;
    d.LoadFromRect(source);
    Child<QPushButton>(&d, "btnZoom02")->click();
    TIllustRect& copy = d.IllustRect();
    Child<QRadioButton>(&d, "rbTransparent")->click();
    EXPECT_EQ(copy.GetTransparentColor(), 0x563412u);

    const TRect inner = copy.GetFrame().GetInnerRect(copy.GetDisplayRect(), copy.GetZoom());
    // Just inside the inner rectangle's right half: the picture's pixel
    // (green), whatever the preview's scaling made of it.
    d.PickTransparentColor(QPoint(inner.Right - 2, inner.Top + 2));
    EXPECT_EQ(copy.GetTransparentColor(), 0x00A000u);
    d.PickTransparentColor(QPoint(inner.Left + 1, inner.Top + 1));
    EXPECT_EQ(copy.GetTransparentColor(), 0xFF0000u);
    d.PickTransparentColor(QPoint(inner.Left - 20, inner.Top + 1)); // outside: nothing
    EXPECT_EQ(copy.GetTransparentColor(), 0xFF0000u);
}

TEST(IllustSettingDialog, AZeroSizeItemOpensWithoutDividingByZero)
{
    TSettingsFile settings;
    TIllustRect source;
    Picture(source, Halves(4, 4), TRect(5, 5, 5, 5));
    TIllustSettingDialog d;
    d.LoadFromRect(source);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    for (const char* b : {"btnZoom00", "btnZoom01", "btnZoom02"})
        Child<QPushButton>(&d, b)->click();
    EXPECT_GE(d.IllustRect().GetZoom(), 0.0);
    EXPECT_EQ(d.IllustRect().GetRect().Width(), 0);
}

// --- the frame page -------------------------------------------------------------------

TEST(FramePage, AnOffOutlineStartsRedAnOffBackgroundPinkAndTheControlsEditTheFrame)
{
    TSettingsFile settings;
    TIllustRect source;
    Picture(source, Halves(4, 4), TRect(0, 0, 40, 40));
    source.GetFrame().SetFrameColor(0x00FF00);
    TIllustSettingDialog d;
    d.LoadFromRect(source);
    TRectFrame& frame = d.IllustRect().GetFrame();
    EXPECT_EQ(frame.GetFrameColor(), 0x0000FFu);
    EXPECT_EQ(frame.GetBackColor(), 0xBFBFFFu);
    EXPECT_EQ(source.GetFrame().GetFrameColor(), 0x00FF00u) << "the source keeps its colour";
    auto* lineWidth = Child<QComboBox>(&d, "cbxLineWidth");
    EXPECT_FALSE(lineWidth->isEnabled());
    Child<QCheckBox>(&d, "ckbFrame")->click();
    EXPECT_TRUE(frame.GetFrame());
    EXPECT_TRUE(lineWidth->isEnabled());
    lineWidth->setCurrentIndex(2);
    EXPECT_EQ(frame.GetLineWidth(), 2);
    Child<QComboBox>(&d, "cbxCorner")->setCurrentIndex(1);
    EXPECT_EQ(frame.GetCorner(), 1);
    Child<QCheckBox>(&d, "ckbBack")->click();
    EXPECT_TRUE(frame.GetBack());
}

// --- text settings --------------------------------------------------------------------

namespace {

void MakeText(TWordRect& w, const TRect& r)
{
    w.SetFont(Mincho());
    w.SetLines({QStringLiteral("表示ソフト"), QString()}); // trail bytes 0x5C, an empty last line
    w.SetVertical(1);
    w.SetRect(r);
}

} // namespace

TEST(WordSettingDialog, TheAspectRatioIsClampedOrRestoredAndStepsByKey)
{
    TSettingsFile settings;
    TWordRect source;
    MakeText(source, TRect(0, 0, 200, 80));
    source.SetAspectRatio(100);
    TWordSettingDialog d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("文章の表示設定"));
    d.LoadFromRect(source);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* aspect = Child<TNumEdit>(&d, "edAspect");
    auto* other = Child<QComboBox>(&d, "cbxSize");
    EXPECT_EQ(aspect->MaxLength(), 3);
    struct Case {
        const char* typed;
        int value;
    } cases[] = {{"5", 20}, {"abc", 20}, {"150", 150}, {"999", 300}, {"", 300}};
    for (const Case& c : cases) {
        Retype(aspect, QString::fromLatin1(c.typed), other);
        EXPECT_EQ(d.WordRect().GetAspectRatio(), c.value) << c.typed;
        EXPECT_EQ(aspect->text(), QString::number(c.value)) << c.typed;
    }
    aspect->setFocus();
    QTest::keyClick(aspect, Qt::Key_PageDown);
    EXPECT_EQ(d.WordRect().GetAspectRatio(), 290);
    QTest::keyClick(aspect, Qt::Key_Down);
    EXPECT_EQ(d.WordRect().GetAspectRatio(), 289);
    EXPECT_EQ(source.GetAspectRatio(), 100);
}

TEST(WordSettingDialog, SwitchingTheWritingDirectionTransposesTheRectangle)
{
    TSettingsFile settings;
    TWordRect source;
    MakeText(source, TRect(0, 0, 200, 80));
    TWordSettingDialog d;
    d.LoadFromRect(source);
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbHorizontal")->isChecked());
    const TRect r = d.WordRect().GetRect();
    ASSERT_NE(r.Left, r.Top);
    Child<QRadioButton>(&d, "rbVertical")->click();
    EXPECT_EQ(d.WordRect().GetDirection(), 0);
    EXPECT_EQ(d.WordRect().GetRect(), TRect(r.Top, r.Left, r.Top + r.Height(), r.Left + r.Width()));
    Child<QRadioButton>(&d, "rbHorizontal")->click();
    EXPECT_EQ(d.WordRect().GetDirection(), 1);
    EXPECT_EQ(d.WordRect().GetRect(), r) << "twice is the rectangle it was";
    EXPECT_EQ(source.GetRect(), TRect(0, 0, 200, 80));
}

TEST(WordSettingDialog, AlignmentSpacingWrapAndTheRememberedPage)
{
    TSettingsFile settings("[DESIGN]\r\nWordSet=7\r\n");
    TWordRect source;
    MakeText(source, TRect(0, 0, 200, 80));
    source.SetAlign(4);
    source.SetLineSpace(3);
    source.SetSizeIndex(27);
    const QByteArray before = SavedRecord(source);
    {
        TWordSettingDialog d;
        EXPECT_EQ(Child<QTabWidget>(&d, "pgcSetting")->currentIndex(), 0);
        d.LoadFromRect(source);
        EXPECT_EQ(Child<QComboBox>(&d, "cbxSize")->count(), 28);
        EXPECT_EQ(Child<QComboBox>(&d, "cbxSize")->currentText(), QStringLiteral("72"));
        EXPECT_TRUE(Child<QRadioButton>(&d, "rbHCenter")->isChecked());
        EXPECT_TRUE(Child<QRadioButton>(&d, "rbVCenter")->isChecked());
        auto* spacing = Child<QCheckBox>(&d, "ckbLineSpace");
        auto* list = Child<QComboBox>(&d, "cbxLineSpace");
        EXPECT_TRUE(spacing->isChecked());
        EXPECT_EQ(list->currentText(), QStringLiteral("普通"));

        Child<QRadioButton>(&d, "rbLeft")->click();
        EXPECT_EQ(d.WordRect().GetAlign(), 5);
        Child<QRadioButton>(&d, "rbBottom")->click();
        EXPECT_EQ(d.WordRect().GetAlign(), 8);
        spacing->click();
        EXPECT_EQ(d.WordRect().GetLineSpace(), 0);
        EXPECT_FALSE(list->isEnabled());
        spacing->click();
        EXPECT_EQ(d.WordRect().GetLineSpace(), 3);
        list->setCurrentIndex(4);
        EXPECT_EQ(d.WordRect().GetLineSpace(), 5);
        Child<QCheckBox>(&d, "ckbWordWrap")->click();
        EXPECT_TRUE(d.WordRect().GetWordWrap());
        Child<QComboBox>(&d, "cbxSize")->setCurrentIndex(0);
        EXPECT_EQ(d.WordRect().GetSizeIndex(), 0);
        EXPECT_EQ(d.WordRect().GetLines(), source.GetLines()) << "the text is not this dialog's";
        Child<QTabWidget>(&d, "pgcSetting")->setCurrentIndex(1);
        SaveSample(d, "word-setting-align");
        Child<QTabWidget>(&d, "pgcSetting")->setCurrentIndex(2);
        EXPECT_EQ(d.HelpContext(), 128);
    }
    EXPECT_EQ(settings.Stored("WordSet"), 2);
    EXPECT_EQ(SavedRecord(source), before);
}

TEST(WordSettingDialog, AFaceNotInstalledShowsTheFirstEntryAndChangesNothingUntilPicked)
{
    TSettingsFile settings;
    TWordRect source;
    MakeText(source, TRect(0, 0, 200, 80));
    TFont f;
    SetFontAttr(&f, SHIFTJIS_CHARSET, QStringLiteral("@存在しない書体"), 12, fsItalic);
    source.SetFont(f);
    TWordSettingDialog d;
    d.LoadFromRect(source);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    auto* fonts = Child<QListWidget>(&d, "lbFont");
    ASSERT_GT(fonts->count(), 1);
    EXPECT_EQ(fonts->currentRow(), 0);
    EXPECT_EQ(d.WordRect().GetFont().Name(), QStringLiteral("@存在しない書体"));
    EXPECT_TRUE(Child<QCheckBox>(&d, "ckbItalic")->isChecked());

    // Picking an entry takes its name and character set; the style stays.
    const int row = fonts->count() - 1;
    fonts->setCurrentRow(row);
    EXPECT_EQ(d.WordRect().GetFont().Name(), fonts->item(row)->text());
    EXPECT_TRUE(d.WordRect().GetFont().Italic());
    const QString charset = Child<QLabel>(&d, "lblCharset")->text();
    EXPECT_EQ(charset, d.WordRect().GetFont().Charset() == SHIFTJIS_CHARSET ? QStringLiteral("日本語")
                                                                             : QStringLiteral("欧文"));
    Child<QCheckBox>(&d, "ckbBold")->click();
    EXPECT_EQ(d.WordRect().GetFont().Style(), fsBold | fsItalic);
}

TEST(FontList, EachFaceOnceWithoutFoundryAndFoundByAnyOfItsFamilyNames)
{
    std::vector<TFontListEntry> list;
    ListTrueTypeFonts(list, false, false);
    QSet<QString> names;
    for (const TFontListEntry& e : list) {
        EXPECT_FALSE(e.name.endsWith(QLatin1Char(']'))) << e.name.toStdString();
        EXPECT_FALSE(e.name.startsWith(QLatin1Char('@')));
        EXPECT_FALSE(names.contains(e.name)) << e.name.toStdString();
        names.insert(e.name);
    }
    EXPECT_EQ(FindFontListEntry(list, QStringLiteral("存在しない書体")), -1);
    EXPECT_EQ(FindFontListEntry(list, list.front().name), 0);
    // A family known by a Latin and a Japanese name is found by either.
    const QString latin = QStringLiteral("IPAMincho"), japanese = QStringLiteral("IPA明朝");
    if (!QFontDatabase::hasFamily(latin) || !QFontDatabase::hasFamily(japanese))
        GTEST_SKIP() << "the IPA Mincho family is not installed under both names";
    const int a = FindFontListEntry(list, latin), b = FindFontListEntry(list, japanese);
    EXPECT_GE(a, 0);
    EXPECT_EQ(a, b);
}
