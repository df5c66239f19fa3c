#include "DrawRectTestItem.h"
// The text editor and the frame font dialog, driven offscreen: the example
// library (shipped and damaged), appending examples, the remembered sizes,
// and the fonts they hand on.

#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/FrameFontDialog.h"
#include "drawing/dialogs/WordEditDialog.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/MessageBox.h"
#include "support/TestSupport.h"
#include "support/CorpusReplay.h"

#include "../../fuzz/FuzzSupport.cpp"
#define LLVMFuzzerTestOneInput ExampleTextsFuzzOne
#include "../../fuzz/example_texts_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void WriteCp932(const QString& path, const QStringList& lines)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (const QString& l : lines)
        f.write(cp932::Encode(l) + "\r\n");
}

QStringList Texts(QListWidget* list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

// A program folder with its own example library and a settings file.
class WordEditFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetWordEditAppFolder(dir.path());
        ini = dir.filePath(QStringLiteral("Telvora21.ini"));
        SetDrawingSettingsFileProvider([this] { return ini; });
    }
    void TearDown() override
    {
        SetWordEditAppFolder(QString());
        SetDrawingSettingsFileProvider(nullptr);
    }
    QString Common(const QString& rel) const { return dir.filePath(QStringLiteral("Common/") + rel); }
    void Settings(const QString& key, int value)
    {
        TIniFile f(ini);
        f.WriteInteger(QStringLiteral("WORDEDIT"), key, value);
        f.UpdateFile();
    }

    QTemporaryDir dir;
    QString ini;
    TMessageRecorder messages;
};

} // namespace

TEST_F(WordEditFixture, ExampleLibraryListsClassesAndAppendsToAMemoEndingInBlanks)
{
    WriteCp932(Common(QStringLiteral("Text/Index.rbf")),
               {QStringLiteral("  \"挨拶, 表\",Text\\Greet.txt,ignored"), QStringLiteral("空,Text\\Empty.txt"),
                QString(), QStringLiteral("見えない,Text\\Greet.txt")});
    WriteCp932(Common(QStringLiteral("Text/Greet.txt")),
               {QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("拝啓"), QStringLiteral("ソ表"),
                QStringLiteral("敬具"), QStringLiteral("1"), QStringLiteral("一行")});
    WriteCp932(Common(QStringLiteral("Text/Empty.txt")), {QStringLiteral("0")});
    Settings(QStringLiteral("Example"), 1);
    TWordEditDialog d;
    d.SetLines({QStringLiteral("言葉  "), QString()});
    d.show();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    auto* classes = Child<QListWidget>(&d, "lbClass");
    auto* examples = Child<QListWidget>(&d, "lbExample");
    EXPECT_EQ(Texts(classes), (QStringList{QStringLiteral("1: 挨拶, 表"), QStringLiteral("2: 空")}));
    EXPECT_EQ(Texts(examples), (QStringList{QStringLiteral("1: 拝啓"), QStringLiteral("2: 一行")}));
    EXPECT_EQ(d.Examples().at(0), QStringLiteral("拝啓\r\nソ表\r\n敬具"));
    EXPECT_EQ(Child<QPlainTextEdit>(&d, "edExample")->toPlainText(), QStringLiteral("拝啓\nソ表\n敬具"));

    QTest::mouseClick(Child<QPushButton>(&d, "btnAdd"), Qt::LeftButton);
    EXPECT_EQ(d.GetLines(), (QStringList{QStringLiteral("言葉"), QStringLiteral("拝啓"), QStringLiteral("ソ表"),
                                         QStringLiteral("敬具")}));
    examples->setCurrentRow(1);
    QTest::mouseClick(Child<QPushButton>(&d, "btnReplace"), Qt::LeftButton);
    EXPECT_EQ(d.GetLines(), QStringList{QStringLiteral("一行")});
    d.SetLines({});
    d.AddExample();
    EXPECT_EQ(d.GetLines(), QStringList{QStringLiteral("一行")}) << "an empty memo takes the example alone";

    classes->setCurrentRow(1);
    EXPECT_EQ(examples->count(), 0);
    d.LoadExamples(5);
    EXPECT_EQ(messages.LastText(), QStringLiteral("例文データがありません"));
}

TEST_F(WordEditFixture, MissingOrDamagedLibraryFilesStopWithAMessage)
{
    {
        TWordEditDialog d;
        d.show();
        ASSERT_EQ(messages.Messages().size(), 1u);
        EXPECT_EQ(messages.LastText(), QStringLiteral("例分ファイルが見つかりません"));
        EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONSTOP));
        EXPECT_EQ(Child<QListWidget>(&d, "lbClass")->count(), 0);
    }
    messages.Clear();
    // A class file that is there but outside Common/ is not read either.
    WriteCp932(Common(QStringLiteral("Text/Index.rbf")),
               {QStringLiteral("無い,Text\\Missing.txt"), QStringLiteral("壊れ,Text\\Bad.txt"),
                QStringLiteral("外,Text\\..\\..\\Outside.txt"), QStringLiteral("絶対,") + dir.filePath("Outside.txt")});
    WriteCp932(dir.filePath("Outside.txt"), {QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("秘密")});
    WriteCp932(Common(QStringLiteral("Text/Bad.txt")),
               {QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("最初"), QStringLiteral("x"),
                QStringLiteral("後")});
    TWordEditDialog d;
    d.show();
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONSTOP));
    EXPECT_EQ(Child<QListWidget>(&d, "lbExample")->count(), 0);
    Child<QListWidget>(&d, "lbClass")->setCurrentRow(1);
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("'x'")));
    EXPECT_EQ(d.Examples(), QStringList{QStringLiteral("最初")}) << "loading stopped at the bad count";
    for (const int outside : {2, 3}) {
        Child<QListWidget>(&d, "lbClass")->setCurrentRow(outside);
        EXPECT_EQ(messages.LastText(), QStringLiteral("例文データがありません"));
        EXPECT_TRUE(d.Examples().isEmpty());
    }
    // Whatever the index and class files hold, as the harness's seeds do.
    ReplayFuzzCorpus("example_texts", 5, example_texts_fuzz::OneInput);
}

TEST_F(WordEditFixture, TheShippedLibraryLoadsEveryClass)
{
    SetWordEditAppFolder(QStringLiteral(TELVORA_TEST_DATA_DIR "/../../data"));
    TWordEditDialog d;
    d.show();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    auto* classes = Child<QListWidget>(&d, "lbClass");
    ASSERT_GE(classes->count(), 4);
    for (int i = 0; i < classes->count(); ++i) {
        classes->setCurrentRow(i);
        EXPECT_GE(d.Examples().size(), 2) << i;
    }
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
}

TEST_F(WordEditFixture, StoredSizesKeepToTheirMinimumAndAreWrittenBack)
{
    Settings(QStringLiteral("Example"), 1);
    Settings(QStringLiteral("Width"), 300);
    Settings(QStringLiteral("Height"), 100);
    {
        TWordEditDialog d;
        EXPECT_TRUE(d.ExamplesShown());
        EXPECT_EQ(d.width(), ScaleForDpi(500, true));
        EXPECT_EQ(d.height(), ScaleForDpi(451, true));
        EXPECT_LE(d.layout()->minimumSize().height(), d.height());
        d.show();
        QCoreApplication::processEvents();
        const int textHeight = Child<QPlainTextEdit>(&d, "edText")->height();
        QTest::mouseClick(Child<QPushButton>(&d, "btnExample"), Qt::LeftButton);
        EXPECT_FALSE(d.ExamplesShown());
        EXPECT_EQ(d.height(), ScaleForDpi(179, true));
        EXPECT_LE(d.layout()->minimumSize().height(), d.height()) << "the controls fit the smallest dialog";
        QCoreApplication::processEvents();
        EXPECT_EQ(Child<QPlainTextEdit>(&d, "edText")->height(), textHeight) << "the text area keeps its height";
        d.resize(ScaleForDpi(640, true), ScaleForDpi(260, true));
        d.reject();
    }
    TIniFile f(ini);
    EXPECT_EQ(f.ReadInteger(QStringLiteral("WORDEDIT"), QStringLiteral("Example"), -1), 0);
    EXPECT_EQ(f.ReadInteger(QStringLiteral("WORDEDIT"), QStringLiteral("Width"), -1), 640);
    EXPECT_EQ(f.ReadInteger(QStringLiteral("WORDEDIT"), QStringLiteral("Height"), -1), 260);
}

TEST_F(WordEditFixture, TheFontIsHandedOnHorizontalAtElevenPoints)
{
    TWordEditDialog d;
    TFont f;
    SetFontAttr(&f, SHIFTJIS_CHARSET, QStringLiteral("@ＭＳ 明朝"), 30, 1);
    SetFontVertical(f);
    d.SetFont(f);
    EXPECT_EQ(d.MemoFont().Name(), QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(d.MemoFont().Size(), 11);
    EXPECT_EQ(d.MemoFont().Escapement(), 0);
    EXPECT_EQ(Child<QPlainTextEdit>(&d, "edText")->font().pointSize(), 11);
}

TEST(LayoutFontDialog, StripsTheVerticalMarkShowsFourteenPointsAndRebuildsTheStyle)
{
    TLayoutFontDialog d;
    auto* list = Child<QListWidget>(&d, "lbFonts");
    ASSERT_GT(list->count(), 0);
    const QString face = list->item(list->count() - 1)->text();
    TFont f;
    SetFontAttr(&f, SHIFTJIS_CHARSET, QStringLiteral("@") + face, 9, fsBold | fsUnderline);
    f.SetColor(0x0000FF);
    d.SetFont(f);
    EXPECT_EQ(d.GetFont().Size(), 14);
    d.show();
    EXPECT_EQ(d.GetFont().Name(), face);
    EXPECT_EQ(list->currentItem()->text(), face);
    EXPECT_TRUE(Child<QCheckBox>(&d, "ckbBold")->isChecked());
    EXPECT_EQ(Child<QWidget>(&d, "pnlSample")->font().pointSize(), 14);

    Child<QCheckBox>(&d, "ckbBold")->click();
    EXPECT_EQ(d.GetFont().Style(), 0) << "no underline survives";
    Child<QCheckBox>(&d, "ckbItalic")->click();
    EXPECT_EQ(d.GetFont().Style(), int(fsItalic));

    const TColorDialogHandler old = SetColorDialogHandler([](QWidget*, const QColor&, TCustomColors&, QColor& c) {
        c = QColor(0, 0x80, 0);
        return true;
    });
    Child<QToolButton>(&d, "bbtnFontColor")->click();
    SetColorDialogHandler(old);
    EXPECT_EQ(d.GetFont().Color(), 0x008000u);


    // A face nobody installed: the first entry is selected, the font kept.
    TLayoutFontDialog unknown;
    TFont gone;
    SetFontAttr(&gone, SHIFTJIS_CHARSET, QStringLiteral("どこにもない書体"), 9, 0);
    unknown.SetFont(gone);
    unknown.show();
    EXPECT_EQ(Child<QListWidget>(&unknown, "lbFonts")->currentRow(), 0);
    EXPECT_EQ(unknown.GetFont().Name(), QStringLiteral("どこにもない書体"));
}
