#include "platform/ui/DialogKit.h"
#include "platform/ui/DialogSeams.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A dialog laid out in tab order: edit1, box, radioA, radioB, edit2 (text
// "東京都"), memo, ok (default button).
struct TEnterForm {
    TModalDialog dialog;
    QLineEdit* edit1 = new QLineEdit(&dialog);
    QCheckBox* box = new QCheckBox(QStringLiteral("印刷する"), &dialog);
    QRadioButton* radioA = new QRadioButton(QStringLiteral("A"), &dialog);
    QRadioButton* radioB = new QRadioButton(QStringLiteral("B"), &dialog);
    QLineEdit* edit2 = new QLineEdit(QStringLiteral("東京都"), &dialog);
    QPlainTextEdit* memo = new QPlainTextEdit(&dialog);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    TEnterKeyFilter* filter = nullptr;

    TEnterForm()
    {
        auto* layout = new QVBoxLayout(&dialog);
        for (QWidget* w : std::initializer_list<QWidget*>{edit1, box, radioA, radioB, edit2, memo, ok})
            layout->addWidget(w);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        radioB->setChecked(true);
        filter = TEnterKeyFilter::Install(&dialog);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    void focus(QWidget* w)
    {
        w->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), w);
    }
    void enter() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }
};

QColor captionColor(QAbstractButton* b) { return b->palette().color(QPalette::Active, QPalette::WindowText); }

void wheel(QTabBar* bar, int delta)
{
    const QPointF at(5, 5);
    QWheelEvent event(at, bar->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &event);
}

} // namespace

TEST(EnterKey, MovesThroughInputControlsInTabOrderOrToTheNamedOneToTheEndOfTheEdit)
{
    TEnterForm f;
    f.focus(f.edit1);
    f.enter();
    EXPECT_EQ(QApplication::focusWidget(), f.box);
    // The radio group is entered at its chosen button.
    f.enter();
    EXPECT_EQ(QApplication::focusWidget(), f.radioB);
    f.enter();
    EXPECT_EQ(QApplication::focusWidget(), f.edit2);
    EXPECT_EQ(f.edit2->cursorPosition(), 3) << "the caret goes to the end with nothing selected";
    EXPECT_FALSE(f.edit2->hasSelectedText());
    EXPECT_TRUE(f.dialog.isVisible()) << "Enter in an input control must not press the default button";
    EXPECT_FALSE(f.box->isChecked());

    // A control named for Enter, or the first available after it: disabled
    // and hidden controls are passed over.
    f.filter->SetNext(f.edit1, f.box);
    f.box->setEnabled(false);
    f.focus(f.edit1);
    f.enter();
    EXPECT_EQ(QApplication::focusWidget(), f.radioB);
    f.radioB->hide();
    f.radioA->hide();
    f.focus(f.edit1);
    f.enter();
    EXPECT_EQ(QApplication::focusWidget(), f.edit2);
}

TEST(EnterKey, ButtonsMemosAndKeptControlsReceiveEnter)
{
    TEnterForm f;
    f.focus(f.memo);
    f.enter();
    EXPECT_EQ(QApplication::focusWidget(), f.memo);
    EXPECT_EQ(f.memo->toPlainText(), QStringLiteral("\n"));

    f.focus(f.ok);
    f.enter();
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.dialog.result(), mrOk);

    // A kept edit behaves as in any Qt dialog: it reports Enter, and the
    // default button follows.
    TEnterForm g;
    g.filter->Keep(g.edit1);
    QSignalSpy returned(g.edit1, &QLineEdit::returnPressed);
    g.focus(g.edit1);
    g.enter();
    EXPECT_EQ(returned.count(), 1);
    EXPECT_EQ(g.dialog.result(), mrOk);

    // Other windows are left alone.
    QWidget other;
    auto* edit = new QLineEdit(&other);
    new QLineEdit(&other);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    edit->setFocus();
    QSignalSpy otherReturned(edit, &QLineEdit::returnPressed);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(otherReturned.count(), 1);
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

TEST(BlueCaptions, FollowTheCheckedStateOfBoxesAndRadioGroups)
{
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* box = new QCheckBox(QStringLiteral("枠を付ける"));
    auto* radioA = new QRadioButton(QStringLiteral("縦書き"));
    auto* radioB = new QRadioButton(QStringLiteral("横書き"));
    layout->addWidget(box);
    layout->addWidget(radioA);
    layout->addWidget(radioB);
    radioA->setChecked(true);
    ApplyBlueCaptions(&form);
    const QColor text = form.palette().color(QPalette::Active, QPalette::WindowText);

    EXPECT_EQ(captionColor(radioA), CheckedCaptionColor());
    EXPECT_EQ(captionColor(radioB), text);
    EXPECT_EQ(captionColor(box), text);

    radioB->setChecked(true);
    EXPECT_EQ(captionColor(radioA), text);
    EXPECT_EQ(captionColor(radioB), CheckedCaptionColor());

    box->setTristate(true);
    box->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(captionColor(box), text);
    box->setCheckState(Qt::Checked);
    EXPECT_EQ(captionColor(box), QColor(0, 0, 255));
}

TEST(TabWheel, SwitchesTabsAndWrapsAroundBothEnds)
{
    QTabBar bar;
    for (const char* name : {"文字", "枠", "背景", "配置"})
        bar.addTab(QString::fromUtf8(name));
    bar.setTabEnabled(2, false);
    InstallTabWheel(&bar);
    InstallTabWheel(&bar); // installing twice must not double the steps

    bar.setCurrentIndex(3);
    wheel(&bar, -120);
    EXPECT_EQ(bar.currentIndex(), 0);
    wheel(&bar, 120);
    EXPECT_EQ(bar.currentIndex(), 3);
    wheel(&bar, 120); // the disabled page is passed over
    EXPECT_EQ(bar.currentIndex(), 1);
    // Small touchpad steps add up to one notch.
    wheel(&bar, 60);
    EXPECT_EQ(bar.currentIndex(), 1);
    wheel(&bar, 60);
    EXPECT_EQ(bar.currentIndex(), 0);
}


// Dialogs centre on their owner by the size they are shown with, the file
// and colour dialogs stand below its corner, and every window stays wholly
// on the work area, frame included. (Offscreen frames are 2 pixels wide.)
TEST(WindowPlacement, CentresOnTheOwnerAndKeepsTheWholeFrameOnTheScreen)
{
    const QRect area(0, 0, 1600, 960); // 1600 x 1000 less a panel at the bottom
    SetWorkAreaHandler([area](const QRect&) { return area; });
    QWidget owner;
    struct Case {
        QRect owner;
        QSize content; // a dialog not yet shown is laid out to it first
        bool common;
        QPoint frame; // where the dialog's frame goes
    } cases[] = {
        {{100, 100, 800, 600}, {400, 300}, false, {298, 248}},
        {{1200, 700, 400, 260}, {384, 731}, false, {1206, 225}},
        {{-500, -300, 400, 300}, {200, 100}, false, {0, 0}},
        {{1500, 900, 800, 600}, {200, 100}, false, {1396, 856}},
        {{100, 100, 800, 600}, {200, 100}, true, {113, 113}},
        {{1500, 900, 800, 600}, {200, 100}, true, {1396, 856}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.owner.x() << "," << c.owner.y() << " " << c.content.height());
        owner.setGeometry(c.owner);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        TModalDialog dialog(&owner);
        auto* content = new QWidget;
        content->setFixedSize(c.content);
        (new QVBoxLayout(&dialog))->addWidget(content);
        dialog.layout()->setContentsMargins(0, 0, 0, 0);
        c.common ? PlaceCommonDialog(&dialog, &owner) : CenterFormOnOwner(&dialog, &owner);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(10);
        EXPECT_EQ(dialog.frameGeometry(), QRect(c.frame, c.content + QSize(4, 4)));
    }
    // Larger than the screen: as large as fits.
    QWidget big;
    big.resize(1700, 1100);
    PlaceWindowOnScreen(&big, QPoint(-20, 30));
    big.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&big));
    QTest::qWait(10);
    EXPECT_EQ(big.frameGeometry(), area);
    SetWorkAreaHandler({});
}

// The message box breaks a line too long for it only between words: at a
// blank, never inside a Japanese word ("いませ" / "ん").
TEST(MessageBox, BreaksLinesOnlyBetweenWords)
{
    const QString text = QStringLiteral("スーパーマップル・デジタル Ver.1～16のいずれもインストールされていません  ");
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        shown = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
        box->findChild<QPushButton*>()->click();
    });
    ShowMessage(nullptr, text, MB_OK | MB_ICONINFORMATION);
    ASSERT_EQ(QString(shown).remove(QChar(0x2060)), text);
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, shown);
    QStringList words;
    for (qsizetype at = 0, next = lines.toNextBoundary(); next > 0; at = next, next = lines.toNextBoundary())
        words << shown.mid(at, next - at).remove(QChar(0x2060));
    EXPECT_EQ(words, QStringList({QStringLiteral("スーパーマップル・デジタル "),
                                  QStringLiteral("Ver.1～16のいずれもインストールされていません  ")}));
}
