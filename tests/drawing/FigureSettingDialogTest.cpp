#include "DrawRectTestItem.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/FigureSettingDialog.h"
#include "drawing/objects/FigureRect.h"
#include "platform/IniFile.h"
#include "platform/ui/NumEdit.h"
#include "support/CanvasTestSupport.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A settings file of its own for each test, the page stored in it.
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
    int Stored() const { return TIniFile(ini).ReadInteger(QStringLiteral("DESIGN"), QStringLiteral("FigureSet"), -1); }
};

void Choose(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void Retype(TNumEdit* edit, const QString& text, QWidget* leaveTo)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    leaveTo->setFocus(Qt::TabFocusReason);
}

} // namespace

TEST(FigureSettingDialog, TypedWidthsAreClampedOrRestored)
{
    TSettingsFile settings;
    TFigureRect figure;
    figure.SetFigureKind(fkRectangle);
    figure.SetBack(true);
    figure.SetRect(TRect(0, 0, 100, 50));
    TFigureSettingDialog d;
    d.LoadFromRect(figure);
    Child<QTabWidget>(&d, "pgcSetting")->setCurrentIndex(1);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto* width = Child<TNumEdit>(&d, "edLineWidth");
    auto* angle = Child<TNumEdit>(&d, "edAngle");
    auto* back = Child<QCheckBox>(&d, "ckbBack");
    EXPECT_EQ(width->text(), QStringLiteral("5"));

    struct Case {
        const char* typed;
        int value;
    } cases[] = {{"75", 50}, {"0", 1}, {"abc", 1}, {"12", 12}, {"-3", 12}, {"", 12}};
    for (const Case& c : cases) {
        Retype(width, QString::fromLatin1(c.typed), back);
        EXPECT_EQ(d.FigureRect().GetLineWidth(), c.value) << c.typed;
        EXPECT_EQ(width->text(), QString::number(c.value)) << c.typed;
    }
    // The angle edit takes 0-359 alike, once a gradation makes it editable.
    Child<QRadioButton>(&d, "rbGradation")->click();
    ASSERT_TRUE(angle->isEnabled());
    Retype(angle, QStringLiteral("400"), back);
    EXPECT_EQ(d.FigureRect().GetAngle(), 359);
    QTest::keyClick(angle, Qt::Key_PageDown);
    EXPECT_EQ(d.FigureRect().GetAngle(), 349);
    EXPECT_EQ(figure.GetLineWidth(), 5) << "the figure passed in is left alone";
}

TEST(FigureSettingDialog, ALineFigureAlwaysHasItsFrame)
{
    TSettingsFile settings;
    TFigureRect figure;
    figure.SetFigureKind(fkEllipse);
    figure.SetFrame(false);
    figure.SetRect(TRect(0, 0, 80, 80));
    TFigureSettingDialog d;
    d.LoadFromRect(figure);
    auto* frame = Child<QCheckBox>(&d, "ckbFrame");
    auto* kind = Child<QComboBox>(&d, "cbxFigureKind");
    EXPECT_FALSE(frame->isChecked());
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_FALSE(Child<QWidget>(&d, "edLineWidth")->isEnabled());

    Choose(kind, fkLine);
    EXPECT_TRUE(frame->isChecked());
    EXPECT_FALSE(frame->isEnabled());
    EXPECT_TRUE(d.FigureRect().GetFrame());
    EXPECT_TRUE(Child<QWidget>(&d, "edLineWidth")->isEnabled());
    EXPECT_FALSE(Child<QWidget>(&d, "pnlLine")->isHidden());
    EXPECT_TRUE(Child<QWidget>(&d, "pnlSector")->isHidden());

    Choose(kind, fkSector);
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_FALSE(Child<QWidget>(&d, "pnlSector")->isHidden());
    Child<QRadioButton>(&d, "rbTopLeft")->click();
    EXPECT_EQ(d.FigureRect().GetSectorDirection(), sdTopLeft);

    // A line figure loaded opens with its frame box greyed.
    TFigureRect line;
    line.SetRect(TRect(0, 0, 50, 10));
    TFigureSettingDialog e;
    e.LoadFromRect(line);
    EXPECT_TRUE(Child<QCheckBox>(&e, "ckbFrame")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(&e, "ckbFrame")->isEnabled());
}

TEST(FigureSettingDialog, LoadingFillsTheWorkCopyNotTheFigure)
{
    TSettingsFile settings;
    TFigureRect figure;
    figure.SetFigureKind(fkRoundRect);
    figure.SetCornerRadius(1, 2);
    figure.SetLineType(3);
    figure.SetRect(TRect(300, 200, 700, 400));
    const QByteArray before = SavedRecord(figure);

    TFigureSettingDialog d;
    d.LoadFromRect(figure);
    EXPECT_EQ(SavedRecord(figure), before);
    // No fill and a black first colour: a light colour to start from; a
    // single-colour fill's black second colour becomes white.
    EXPECT_EQ(d.FigureRect().GetColor1(), 0xBFBFFFu);
    EXPECT_EQ(d.FigureRect().GetColor2(), 0xFFFFFFu);
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbFilled")->isChecked());
    EXPECT_FALSE(Child<QWidget>(&d, "edAngle")->isEnabled());
    EXPECT_EQ(Child<QComboBox>(&d, "cbxDiameterV")->currentIndex(), 2);
    EXPECT_EQ(Child<QComboBox>(&d, "cbxFigureKind")->currentIndex(), fkRoundRect);
    EXPECT_FALSE(Child<QWidget>(&d, "pnlRoundRect")->isHidden());
    // Fitted to 90 % of the preview and centred in it.
    QWidget* preview = Child<QWidget>(&d, "pnlPreview");
    const TRect shown = d.FigureRect().GetDisplayRect();
    EXPECT_NEAR(shown.Width(), preview->width() * 0.9, 1);
    EXPECT_NEAR(shown.Left + shown.Right, preview->width(), 2);
    EXPECT_NEAR(shown.Top + shown.Bottom, preview->height(), 2);

    // A figure with a gradation keeps its colours.
    TFigureRect graded;
    graded.SetRect(TRect(0, 0, 40, 40));
    graded.SetBack(true);
    graded.SetGradation(true);
    TFigureSettingDialog g;
    g.LoadFromRect(graded);
    EXPECT_EQ(g.FigureRect().GetColor1(), 0u);
    EXPECT_EQ(g.FigureRect().GetColor2(), 0u);
    EXPECT_TRUE(Child<QRadioButton>(&g, "rbGradation")->isChecked());
    EXPECT_TRUE(Child<QWidget>(&g, "edAngle")->isEnabled());
}

TEST(FigureSettingDialog, RemembersItsPageInDesignFigureSet)
{
    TSettingsFile settings("[DESIGN]\r\nFigureSet=1\r\n");
    {
        TFigureSettingDialog d;
        auto* pages = Child<QTabWidget>(&d, "pgcSetting");
        EXPECT_EQ(pages->currentIndex(), 1);
        EXPECT_EQ(d.HelpContext(), 129);
        pages->setCurrentIndex(0);
    }
    EXPECT_EQ(settings.Stored(), 0);
    for (const char* stored : {"5", "-1"}) {
        WriteFile(settings.ini, QByteArray("[DESIGN]\r\nFigureSet=") + stored + "\r\n");
        TFigureSettingDialog d;
        EXPECT_EQ(Child<QTabWidget>(&d, "pgcSetting")->currentIndex(), 0) << stored;
    }
}

TEST(FigureSettingDialog, ThePreviewShowsTheFigureInItsProportionsWithItsGradation)
{
    TSettingsFile settings("[DESIGN]\r\nFigureSet=1\r\n");
    TFigureRect figure;
    figure.SetFigureKind(fkRectangle);
    figure.SetFrame(false);
    figure.SetBack(true);
    figure.SetGradation(true);
    figure.SetColor1(0x0000FF); // red at the top
    figure.SetColor2(0xFF0000); // blue at the bottom
    figure.SetAngle(0);
    figure.SetRect(TRect(0, 0, 300, 200));
    TFigureSettingDialog d;
    d.LoadFromRect(figure);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QImage p = Child<QWidget>(&d, "pnlPreview")->grab().toImage();
    const QRect box = InkBox(p, 250);
    ASSERT_GT(box.height(), 40);
    EXPECT_NEAR(double(box.width()) / box.height(), 1.5, 0.05);
    const int x = box.center().x();
    const QColor top = p.pixelColor(x, box.top() + 1), bottom = p.pixelColor(x, box.bottom() - 1);
    const QColor middle = p.pixelColor(box.center());
    EXPECT_GT(top.red(), 240);
    EXPECT_LT(top.blue(), 15);
    EXPECT_GT(bottom.blue(), 240);
    EXPECT_LT(bottom.red(), 15);
    EXPECT_NEAR(middle.red(), 128, 10);
    EXPECT_NEAR(middle.blue(), 128, 10);
    const QByteArray out = qgetenv("FIGURE_DIALOG_GRAB");
    if (!out.isEmpty())
        d.grab().toImage().save(QString::fromLocal8Bit(out) + QStringLiteral("/figure-setting-colour.png"));
}
