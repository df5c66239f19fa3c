#include "platform/ui/NumEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// An aspect-ratio style edit (20 ... 300) in a window with a second control
// to leave it for.
struct TNumForm {
    QWidget window;
    TNumEdit* edit = new TNumEdit(&window);
    QLineEdit* other = new QLineEdit(&window);

    TNumForm()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setRange(20, 300);
        edit->setValue(100);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
    void retype(const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void leave() { other->setFocus(Qt::TabFocusReason); }
};

} // namespace

TEST(NumEdit, PageKeysStepTenArrowsOneWithinTheRange)
{
    TNumForm f;
    QTest::keyClick(f.edit, Qt::Key_PageUp);
    QTest::keyClick(f.edit, Qt::Key_Down);
    EXPECT_EQ(f.edit->value(), 109);
    f.edit->setValue(295);
    QTest::keyClick(f.edit, Qt::Key_PageUp);
    EXPECT_EQ(f.edit->value(), 300);
    f.edit->setValue(25);
    QTest::keyClick(f.edit, Qt::Key_PageDown);
    EXPECT_EQ(f.edit->value(), 20);
}

TEST(NumEdit, TextThatIsNoNumberOfAtLeastZeroBringsBackTheLastValue)
{
    for (const char* typed : {"", "-5", "1a"}) {
        TNumForm f;
        f.retype(QString::fromLatin1(typed));
        f.leave();
        EXPECT_EQ(f.edit->value(), 100) << typed;
        EXPECT_EQ(f.edit->text(), QStringLiteral("100")) << typed;
    }
}

TEST(NumEdit, TypedNumbersAreClampedAndTakenOnlyOnLeaving)
{
    TNumForm f;
    QSignalSpy changed(f.edit, &QSpinBox::valueChanged);
    f.retype(QStringLiteral("250"));
    EXPECT_EQ(changed.count(), 0) << "no value per keystroke";
    f.leave();
    EXPECT_EQ(f.edit->value(), 250);
    EXPECT_EQ(changed.count(), 1);

    f.edit->setFocus();
    f.retype(QStringLiteral(" 99999999999 "));
    f.leave();
    EXPECT_EQ(f.edit->value(), 300);
    EXPECT_EQ(f.edit->text(), QStringLiteral("300"));
}
