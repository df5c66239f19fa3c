#include "DrawRectTestItem.h"
#include "drawing/dialogs/DataFormDialog.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/ExTrackBar.h"
#include "drawing/dialogs/LayoutDetailDialog.h"
#include "drawing/objects/PrintSetting.h"
#include "platform/IniFile.h"
#include "platform/ui/ByteLimitEdit.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

TPrintSetting Golden()
{
    TPrintSetting s;
    EXPECT_TRUE(s.FromBytes(LoadHexFixture("print-setting.hex")));
    return s;
}

// The golden record with every byte from `from` on replaced by a pattern,
// so a dialog that writes outside its range is seen.
TPrintSetting Patterned(int from, int to)
{
    QByteArray b = LoadHexFixture("print-setting.hex");
    for (int i = from; i < to; ++i)
        b[i] = char(0xA0 + i);
    TPrintSetting s;
    s.FromBytes(b);
    return s;
}

void ExpectSameBytes(const TPrintSetting& a, const TPrintSetting& b, int from, int to)
{
    EXPECT_EQ(a.ToBytes().mid(from, to - from).toHex(' '), b.ToBytes().mid(from, to - from).toHex(' '))
        << "bytes " << from << "-" << to - 1;
}

// Clicks OK once the dialog runs modally; the modal result.
int RunAndClick(TModalDialog& dialog, const char* button)
{
    QTimer::singleShot(0, &dialog, [&dialog, button] {
        Child<QPushButton>(&dialog, button)->click();
    });
    return dialog.exec();
}

} // namespace

// ---- Data-format dialog ---------------------------------------------------

TEST(DataFormDialog, WritesOnlyBytesUpTo59AndPassesAnInRangeRecordUnchanged)
{
    const TPrintSetting golden = Golden();
    {
        TDataFormDialog d;
        d.SetDataForm(golden);
        ASSERT_EQ(RunAndClick(d, "btnOK"), mrOk);
        TPrintSetting out = golden;
        d.GetDataForm(out);
        EXPECT_EQ(out.ToBytes().toHex(' '), golden.ToBytes().toHex(' '));

        // Into another record: bytes 0-59 come from the dialog, 60-107 stay.
        TPrintSetting other = Patterned(TPrintSetting::kDataFormEnd, TPrintSetting::kSize);
        const TPrintSetting before = other;
        d.GetDataForm(other);
        ExpectSameBytes(other, golden, 0, TPrintSetting::kDataFormEnd);
        ExpectSameBytes(other, before, TPrintSetting::kDataFormEnd, TPrintSetting::kSize);
    }
    {
        // The user changes every control: still nothing from byte 60 on.
        TDataFormDialog d;
        d.SetDataForm(golden);
        for (const char* box : {"ckbConnect", "ckbTdfkn", "ckbChineseNumeral", "ckbVertNumeral"})
            Child<QCheckBox>(&d, box)->click();
        Child<QRadioButton>(&d, "rbOmittion")->click();
        Child<QRadioButton>(&d, "rbPosHyphen")->click();
        Child<QRadioButton>(&d, "rbSendPosNone")->click();
        auto* ed = Child<TByteLimitEdit>(&d, "edSenderHonor");
        ed->clear();
        CommitText(ed, QStringLiteral("宛"));
        TPrintSetting out = Patterned(TPrintSetting::kDataFormEnd, TPrintSetting::kSize);
        const TPrintSetting before = out;
        d.GetDataForm(out);
        ExpectSameBytes(out, before, TPrintSetting::kDataFormEnd, TPrintSetting::kSize);
        EXPECT_EQ(out.HideTdfkn, 0);
        EXPECT_EQ(out.VertNumeral, 1);
        EXPECT_EQ(out.CorpNotation, 1);
        EXPECT_EQ(out.PosMark, 2);
        EXPECT_EQ(out.SenderPosMark, 0);
        EXPECT_EQ(out.SenderHonor.Text(), QStringLiteral("宛"));
        EXPECT_EQ(out.CorpHonor, before.CorpHonor);
    }
}

TEST(DataFormDialog, StoredValuesOutOfRangeChooseTheThirdButtonAndOkWritesTwo)
{
    TPrintSetting s = Golden();
    s.CorpNotation = 5;
    s.PosMark = -1;
    s.SenderPosMark = 1;
    TDataFormDialog d;
    d.SetDataForm(s);
    auto* full = Child<QRadioButton>(&d, "rbFull");
    EXPECT_TRUE(full->isChecked());
    EXPECT_EQ(full->text(), QStringLiteral("展開（（株）→株式会社）"));
    // Each row of postal marks is a group of its own.
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbPosHyphen")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbSendPosMark")->isChecked());
    ASSERT_EQ(RunAndClick(d, "btnOK"), mrOk);
    d.GetDataForm(s);
    EXPECT_EQ(s.CorpNotation, 2);
    EXPECT_EQ(s.PosMark, 2);
    EXPECT_EQ(s.SenderPosMark, 1);
}

TEST(DataFormDialog, HonorificsHoldTenBytesAndUntouchedBytesAreKept)
{
    TPrintSetting s = Golden();
    // Bytes that are no text of code page 932, and a length byte above 10.
    s.CorpHonor.Length = 3;
    s.CorpHonor.Bytes[0] = char(0x81);
    s.CorpHonor.Bytes[1] = char(0x20);
    s.CorpHonor.Bytes[2] = char(0xFF);
    s.PostHonor.Length = 60;
    TDataFormDialog d;
    d.SetDataForm(s);

    auto* def = Child<TByteLimitEdit>(&d, "edDefHonor");
    def->clear();
    TypeChars(def, QStringLiteral("株式会社様御中"));
    EXPECT_EQ(def->text(), QStringLiteral("株式会社様"));
    auto* sender = Child<TByteLimitEdit>(&d, "edSenderHonor");
    sender->clear();
    TypeChars(sender, QStringLiteral("A表ソ表ソ様B"));
    EXPECT_EQ(sender->text(), QStringLiteral("A表ソ表ソB"));

    TPrintSetting out = s;
    d.GetDataForm(out);
    EXPECT_EQ(out.DefHonor.Length, 10);
    EXPECT_EQ(out.DefHonor.Text(), QStringLiteral("株式会社様"));
    EXPECT_EQ(QByteArray(out.SenderHonor.Bytes.data(), out.SenderHonor.Length).toHex(' '),
              QByteArray::fromHex("41 95 5c 83 5c 95 5c 83 5c 42").toHex(' '));
    // Not touched by the user: kept byte for byte.
    EXPECT_EQ(out.CorpHonor, s.CorpHonor);
    // Out of range: written as the ten bytes shown, the tail as it was.
    EXPECT_EQ(out.PostHonor.Length, 4);
    EXPECT_EQ(out.PostHonor.Text(), QStringLiteral("表ソ"));
}

TEST(DataFormDialog, PaperKindAndSenderOnlyDisableTheirControlsButValuesStillReturn)
{
    const TPrintSetting golden = Golden();
    const char* senderPos[] = {"lblSendPos", "rbSendPosNone", "rbSendPosMark", "rbSendPosHyphen"};
    const char* honors[] = {"edDefHonor", "edCorpHonor", "edPostHonor", "edSenderHonor"};
    {
        TDataFormDialog d;
        d.SetPaperKind(kPaperKindLabel);
        d.show();
        for (const char* n : senderPos)
            EXPECT_FALSE(Child<QWidget>(&d, n)->isEnabled()) << n;
        for (const char* n : honors)
            EXPECT_TRUE(Child<QWidget>(&d, n)->isEnabled()) << n;
        EXPECT_TRUE(Child<QLabel>(&d, "lblHonorNote")->isVisible());
        EXPECT_EQ(d.HelpContext(), 115);
    }
    {
        TDataFormDialog d;
        d.show();
        EXPECT_FALSE(Child<QLabel>(&d, "lblHonorNote")->isVisible());
        d.SetDataForm(golden);
        d.SetPaperKind(kPaperKindCard);
        for (const char* n : senderPos)
            EXPECT_FALSE(Child<QWidget>(&d, n)->isEnabled()) << n;
        for (const char* n : honors)
            EXPECT_FALSE(Child<QWidget>(&d, n)->isEnabled()) << n;
        TPrintSetting out;
        d.GetDataForm(out);
        EXPECT_EQ(out.DefHonor.Text(), QStringLiteral("様"));
        EXPECT_EQ(out.CorpHonor.Text(), QStringLiteral("御中"));
        EXPECT_EQ(out.PostHonor.Text(), QStringLiteral("表ソ"));
        EXPECT_EQ(out.SenderHonor.Text(), QStringLiteral("行"));
    }
    {
        TDataFormDialog d;
        d.SetSenderOnly(true);
        for (const char* n : {"lblPos", "rbPosNone", "rbPosMark", "rbPosHyphen"})
            EXPECT_FALSE(Child<QWidget>(&d, n)->isEnabled()) << n;
        for (const char* n : honors)
            EXPECT_FALSE(Child<QWidget>(&d, n)->isEnabled()) << n;
        for (const char* n : senderPos)
            EXPECT_TRUE(Child<QWidget>(&d, n)->isEnabled()) << n;
    }
}

// ---- Extended track bar ---------------------------------------------------

TEST(ExTrackBar, PositionAtRoundsHalvesUpAndNeverDividesByZero)
{
    EXPECT_EQ(TExTrackBar::PositionAt(50, 0, 100, 1, 5), 3);
    EXPECT_EQ(TExTrackBar::PositionAt(0, 0, 100, 1, 5), 1);
    EXPECT_EQ(TExTrackBar::PositionAt(-20, 0, 100, 1, 5), 1);
    EXPECT_EQ(TExTrackBar::PositionAt(100, 0, 100, 1, 5), 5);
    EXPECT_EQ(TExTrackBar::PositionAt(12, 0, 100, 1, 5), 1);
    EXPECT_EQ(TExTrackBar::PositionAt(13, 0, 100, 1, 5), 2); // 12.5 px is half a step
    EXPECT_EQ(TExTrackBar::PositionAt(5, 0, 10, 1, 4), 3);   // exactly 1.5 steps
    // A groove of no width, or one turned inside out, answers an end.
    EXPECT_EQ(TExTrackBar::PositionAt(7, 7, 7, 1, 5), 1);
    EXPECT_EQ(TExTrackBar::PositionAt(8, 7, 7, 1, 5), 5);
    EXPECT_EQ(TExTrackBar::PositionAt(5, 9, 3, 1, 5), 1);
    EXPECT_EQ(TExTrackBar::PositionAt(10, 9, 3, 1, 5), 5);
}

TEST(ExTrackBar, ClickBesideTheThumbRaisesOnlyMouseDownAndOnTheThumbDrags)
{
    TExTrackBar bar;
    bar.setRange(1, 5);
    bar.setValue(1);
    bar.resize(200, 30);
    bar.show();
    QSignalSpy downs(&bar, &TExTrackBar::MouseDown);
    QSignalSpy changes(&bar, &TExTrackBar::changed);

    const QRect thumb = bar.ThumbRect();
    const QPoint beside(bar.ChannelRect().center().x() + 40, thumb.center().y());
    ASSERT_FALSE(thumb.contains(beside));
    QTest::mousePress(&bar, Qt::LeftButton, {}, beside);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, beside);
    EXPECT_EQ(downs.count(), 1);
    EXPECT_EQ(bar.value(), 1) << "the bar must not page by itself";
    EXPECT_EQ(bar.window()->focusWidget(), &bar);
    EXPECT_EQ(downs.at(0).at(2).toPoint(), beside);

    QTest::mousePress(&bar, Qt::LeftButton, {}, thumb.center());
    EXPECT_TRUE(bar.isSliderDown());
    EXPECT_EQ(downs.count(), 1);
    QTest::mouseMove(&bar, QPoint(bar.width() - 2, thumb.center().y()));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 2, thumb.center().y()));
    EXPECT_EQ(bar.value(), 5);
    EXPECT_EQ(changes.count(), 1);
}

TEST(ExTrackBar, DownMovesTowardsTheMaximumUnlessDownIsLeftAndTheKeyUpEndsTheMove)
{
    TExTrackBar bar;
    bar.setRange(1, 5);
    bar.setValue(3);
    QSignalSpy changes(&bar, &TExTrackBar::changed);
    QTest::keyClick(&bar, Qt::Key_Down);
    EXPECT_EQ(bar.value(), 4);
    EXPECT_EQ(changes.count(), 1);
    QTest::keyClick(&bar, Qt::Key_PageUp);
    EXPECT_EQ(bar.value(), 3);
    bar.SetDownIsLeft(true);
    QTest::keyClick(&bar, Qt::Key_Down);
    EXPECT_EQ(bar.value(), 2);
    QTest::keyClick(&bar, Qt::Key_Right);
    EXPECT_EQ(bar.value(), 3);
    EXPECT_EQ(changes.count(), 4);
}

// ---- Layout detail dialog -------------------------------------------------

TEST(LayoutDetailDialog, WritesOnlyBytes60To100AndPassesAnInRangeRecordUnchanged)
{
    const TPrintSetting golden = Golden();
    {
        TLayoutDetailDialog d;
        d.SetDetail(golden);
        ASSERT_EQ(RunAndClick(d, "btnOK"), mrOk);
        TPrintSetting out = golden;
        d.GetDetail(out);
        EXPECT_EQ(out.ToBytes().toHex(' '), golden.ToBytes().toHex(' '));

        TPrintSetting other = Patterned(0, TPrintSetting::kSize);
        const TPrintSetting before = other;
        d.GetDetail(other);
        ExpectSameBytes(other, before, 0, TPrintSetting::kDataFormEnd);
        ExpectSameBytes(other, golden, TPrintSetting::kDataFormEnd, TPrintSetting::kDetailEnd);
        ExpectSameBytes(other, before, TPrintSetting::kDetailEnd, TPrintSetting::kSize);
    }
    {
        // Both dialogs in turn, as the designer runs them: the record comes back whole.
        TPrintSetting s = golden;
        TDataFormDialog f;
        f.SetDataForm(s);
        f.GetDataForm(s);
        TLayoutDetailDialog d;
        d.SetDetail(s);
        d.GetDetail(s);
        EXPECT_EQ(s.ToBytes().toHex(' '), golden.ToBytes().toHex(' '));
    }
}

TEST(LayoutDetailDialog, ControlsShowStoredValuesClampedAndWriteThemBackInRange)
{
    TPrintSetting s = Golden();
    s.NameSize = 9;
    s.AddressSize = -4;
    s.CorpRatio = -3;
    s.PostRatio = 40;
    s.NameAlign = 200;
    s.SenderNameAlign = 0;
    s.SenderJointSeries = 7;
    TLayoutDetailDialog d;
    d.SetDetail(s);
    EXPECT_EQ(Child<TExTrackBar>(&d, "tbrName")->value(), 5);
    EXPECT_EQ(Child<TExTrackBar>(&d, "tbrAddress")->value(), 1);
    EXPECT_EQ(Child<QComboBox>(&d, "cbxCorpRatio")->currentText(), QStringLiteral("10"));
    EXPECT_EQ(Child<QComboBox>(&d, "cbxDptmntRatio")->currentText(), QStringLiteral("6"));
    EXPECT_EQ(Child<QComboBox>(&d, "cbxPostRatio")->currentText(), QStringLiteral("5"));
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbCenter")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbS_Equal")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(&d, "rbSeries")->isChecked());

    Child<QRadioButton>(&d, "rbS_Right")->click();
    Child<QRadioButton>(&d, "rbParallel")->click();
    Child<QCheckBox>(&d, "ckbCorpBreak")->click();
    Child<QComboBox>(&d, "cbxDptmntRatio")->setCurrentIndex(1);
    TPrintSetting out = s;
    d.GetDetail(out);
    EXPECT_EQ(out.NameSize, 5);
    EXPECT_EQ(out.AddressSize, 1);
    EXPECT_EQ(out.CorpRatio, 0);
    EXPECT_EQ(out.DptmntRatio, 1);
    EXPECT_EQ(out.PostRatio, 5);
    EXPECT_EQ(out.NameAlign, 3);
    EXPECT_EQ(out.SenderNameAlign, 2);
    EXPECT_EQ(out.SenderJointSeries, 0);
    EXPECT_EQ(out.CorpBreak, 0);
}

TEST(LayoutDetailDialog, ClickOnASizeSliderGroovePutsTheThumbUnderIt)
{
    TLayoutDetailDialog d;
    d.resize(640, 420);
    d.show();
    Child<QTabWidget>(&d, "pcDetail")->setCurrentIndex(1);
    auto* bar = Child<TExTrackBar>(&d, "tbrSendName");
    bar->setValue(5);
    const QRect ch = bar->ChannelRect();
    const int y = bar->ThumbRect().center().y();
    ASSERT_GT(ch.width(), 40);

    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(ch.left() + ch.width() / 2, y));
    EXPECT_EQ(bar->value(), 3);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(ch.left() - 1, y));
    EXPECT_EQ(bar->value(), 1);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(ch.left() + ch.width() * 3 / 4, y));
    EXPECT_EQ(bar->value(), 4);
    // A click on the tick of a position chooses that position.
    int tick[6] = {};
    for (int k = 1; k <= 5; ++k) {
        bar->setValue(k);
        tick[k] = bar->ThumbRect().center().x();
    }
    for (int k : {3, 4, 5}) {
        bar->setValue(1);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(tick[k], y));
        EXPECT_EQ(bar->value(), k);
    }
    bar->setValue(5);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(tick[2], y));
    EXPECT_EQ(bar->value(), 2);
    // A right click leaves the thumb where it is.
    QTest::mouseClick(bar, Qt::RightButton, {}, QPoint(ch.left() - 1, y));
    EXPECT_EQ(bar->value(), 2);

    // Squeezed until the groove has no width: a click still lands on an end.
    bar->setFixedWidth(1);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(0, y));
    EXPECT_GE(bar->value(), 1);
    EXPECT_LE(bar->value(), 5);
}

TEST(LayoutDetailDialog, VisibilityBoxesFollowAutomaticLayoutAndDataKind)
{
    const char* addressee[] = {"ckbPos", "ckbAddress1", "ckbAddress2", "ckbAddress3",
                               "ckbName", "ckbCorp", "ckbDptmnt", "ckbPost"};
    const char* sender[] = {"ckbS_Pos", "ckbS_Address1", "ckbS_Address2", "ckbS_Address3",
                            "ckbS_Name", "ckbS_Corp", "ckbS_Dptmnt", "ckbS_Post",
                            "ckbAddition1", "ckbAddition2", "ckbAddition3", "ckbAddition4"};
    const char* ratios[] = {"edNameRatio", "cbxCorpRatio", "cbxDptmntRatio", "cbxPostRatio",
                            "lblNameRatio", "lblCorpRatio", "lblDptmntRatio", "lblPostRatio"};
    auto expectEnabled = [](TLayoutDetailDialog& d, const auto& names, bool enabled) {
        for (const char* n : names)
            EXPECT_EQ(Child<QWidget>(&d, n)->isEnabled(), enabled) << n;
    };

    TLayoutDetailDialog d;
    d.SetPaperKind(0);
    d.SetManualLayout(true);
    d.SetDataKind(TLayoutDetailDialog::dkAddressee);
    EXPECT_EQ(d.ManualLayout, 1);
    EXPECT_FALSE(Child<QCheckBox>(&d, "ckbAuto")->isChecked());
    expectEnabled(d, addressee, true);
    expectEnabled(d, sender, false);
    expectEnabled(d, ratios, false);

    d.SetDataKind(TLayoutDetailDialog::dkSender);
    expectEnabled(d, addressee, false);
    expectEnabled(d, sender, true);

    auto* ckbAuto = Child<QCheckBox>(&d, "ckbAuto");
    d.show();
    ckbAuto->click();
    EXPECT_EQ(d.ManualLayout, 0);
    expectEnabled(d, addressee, false);
    expectEnabled(d, sender, false);
    expectEnabled(d, ratios, true);
    EXPECT_EQ(ckbAuto->palette().color(QPalette::WindowText), CheckedCaptionColor());

    d.SetDataKind(TLayoutDetailDialog::dkBoth);
    expectEnabled(d, addressee, false);
    expectEnabled(d, sender, false);
    ckbAuto->click();
    EXPECT_EQ(d.ManualLayout, 1);
    expectEnabled(d, addressee, true);
    expectEnabled(d, sender, true);
}

TEST(LayoutDetailDialog, PaperKindsAndSenderOnlyDisableTheirControls)
{
    TLayoutDetailDialog d;
    d.SetPaperKind(kPaperKindLabel);
    d.SetManualLayout(false);
    d.SetDataKind(TLayoutDetailDialog::dkBoth);
    d.SetDetail(Golden());
    EXPECT_EQ(d.ManualLayout, 0);

    for (const char* n : {"lblSender", "lblSender2", "tbrSendName", "lblSendName", "tbrSendAddress",
                          "lblSendAddress", "tbrSendAddition", "lblSendAddition", "lblSendNameAlign", "rbS_Equal",
                          "rbS_Left", "rbS_Right", "rbS_Center"})
        EXPECT_FALSE(Child<QWidget>(&d, n)->isEnabled()) << n;
    EXPECT_TRUE(Child<QWidget>(&d, "tbrAddition")->isEnabled());

    TLayoutDetailDialog m;
    m.SetPaperKind(0);
    m.SetSenderOnly(true);
    for (const char* n : {"tbrAddition", "lblAddition", "tbrName", "lblName", "tbrAddress", "lblAddress", "rbEqual",
                          "rbLeft", "rbRight", "rbCenter"})
        EXPECT_FALSE(Child<QWidget>(&m, n)->isEnabled()) << n;
    for (const char* n : {"tbrSendName", "tbrSendAddress", "tbrSendAddition", "rbS_Center"})
        EXPECT_TRUE(Child<QWidget>(&m, n)->isEnabled()) << n;
}

TEST(LayoutDetailDialog, RemembersItsPageInPrintFormDetail)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Telvora21.ini"));
    WriteFile(ini, "[DESIGN]\r\nPage=1\r\n[PRINTFORM]\r\nDetail=7\r\n");
    SetDrawingSettingsFileProvider([ini] { return ini; });
    struct TReset {
        ~TReset() { SetDrawingSettingsFileProvider({}); }
    } reset;

    {
        TLayoutDetailDialog d;
        auto* pages = Child<QTabWidget>(&d, "pcDetail");
        EXPECT_EQ(pages->currentIndex(), 0);
        d.show();
        EXPECT_EQ(d.focusWidget(), Child<QWidget>(&d, "ckbAuto"));
        EXPECT_EQ(d.HelpContext(), 113);
        pages->setCurrentIndex(2);
        EXPECT_EQ(d.HelpContext(), 114);
        d.close();
    }
    EXPECT_EQ(TIniFile(ini).ReadInteger(QStringLiteral("PRINTFORM"), QStringLiteral("Detail"), -1), 2);
    EXPECT_EQ(TIniFile(ini).ReadInteger(QStringLiteral("DESIGN"), QStringLiteral("Page"), -1), 1);
    {
        TLayoutDetailDialog d;
        EXPECT_EQ(Child<QTabWidget>(&d, "pcDetail")->currentIndex(), 2);
        d.show();
        EXPECT_EQ(d.focusWidget(), Child<QWidget>(&d, "ckbCharSpace"));
        Child<QTabWidget>(&d, "pcDetail")->setCurrentIndex(1);
        EXPECT_EQ(RunAndClick(d, "btnCancel"), mrCancel);
    }
    EXPECT_EQ(TIniFile(ini).ReadInteger(QStringLiteral("PRINTFORM"), QStringLiteral("Detail"), -1), 1);
}
