#include "DrawRectTestItem.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/LytPrt.h"
#include "platform/IniFile.h"
#include "platform/Printer.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/PrinterSetup.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <set>

namespace {

// Five rows in display order; rows 1 and 3 selected; marks: 10 print,
// 20 exclude, 30 none, 40 print, 50 gone from the book.
class TFakeRows : public TPrintRecordSource {
public:
    QList<int> recNos{10, 20, 30, 40, 50};
    std::set<int> selected{1, 3};
    int RowCount() const override { return int(recNos.size()); }
    bool IsRowSelected(int row) const override { return selected.count(row) > 0; }
    int RecNoAt(int row) const override { return recNos.at(row); }
    int FirstSelectedRow() const override { return selected.empty() ? -1 : *selected.begin(); }
    int PrintTargetOf(int recNo) const override
    {
        switch (recNo) {
        case 10: case 40: return 1;
        case 20: return 2;
        case 30: return 0;
        default: return -1;
        }
    }
};

class LytPrtTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ini = dir.filePath(QStringLiteral("Telvora21.ini"));
        SetDrawingSettingsFileProvider([this] { return ini; });
        SetPrintRecordSourceProvider([this]() -> TPrintRecordSource* { return &rows; });
        Printer().ClearVirtualPrinters();
        TPrinterDevice d;
        d.name = QStringLiteral("PDF Postcard 600");
        d.dpiX = d.dpiY = 600;
        d.marginLeft = d.marginTop = d.marginRight = d.marginBottom = 40;
        d.papers = {{9, QStringLiteral("A4"), 2100, 2970}, {43, QStringLiteral("はがき"), 1000, 1480}};
        d.defaultPaper = 43;
        Printer().AddVirtualPrinter(d);
    }
    void TearDown() override
    {
        SetDrawingSettingsFileProvider({});
        SetPrintRecordSourceProvider({});
        SetPrinterSetupHandler({});
        Printer().ClearVirtualPrinters();
    }

    // Made and shown as a designer does; the ini holds what `prepare` wrote.
    std::unique_ptr<TLayoutPrintDialog> Open(quint8 kind, int pieces, bool useData = true, bool fromPreview = false)
    {
        auto d = std::make_unique<TLayoutPrintDialog>();
        d->SetUseAddressData(useData);
        d->SetPrintKind(kind);
        d->SetPiecesPerSheet(pieces);
        d->SetPrintExtent(TRect(20, 20, 340, 520));
        d->SetReturnFromPreview(fromPreview);
        d->show();
        return d;
    }
    void Store(const QString& section, const QString& key, int value)
    {
        TIniFile f(ini);
        f.WriteInteger(section, key, value);
        f.UpdateFile();
    }
    QList<qint32> Pick(TLayoutPrintDialog& d, const char* range, const char* limit)
    {
        Child<QRadioButton>(&d, range)->setChecked(true);
        Child<QRadioButton>(&d, limit)->setChecked(true);
        return d.DataList();
    }

    QTemporaryDir dir;
    QString ini;
    TFakeRows rows;
    TMessageRecorder messages;
};

using L = QList<qint32>;

TEST_F(LytPrtTest, RecordListsForEveryRangeAndFilter)
{
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("Range"), 0);
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("Limit"), 1); // ignored for range 0
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("StartRange"), 2);
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("EndRange"), 4);
    auto d = Open(0, 1);
    EXPECT_EQ(d->GetRangeKind(), 0);
    EXPECT_EQ(d->GetLimitKind(), 0);
    EXPECT_EQ(d->DataList(), L({20}));
    EXPECT_EQ(Child<QLabel>(d.get(), "lblDataNum")->text(), QStringLiteral("1 件"));
    // The record on display ignores the filter.
    EXPECT_EQ(Pick(*d, "rbViewData", "rbPrint"), L({20}));

    EXPECT_EQ(Pick(*d, "rbSelect", "rbNone"), L({20, 40}));
    EXPECT_EQ(Pick(*d, "rbSelect", "rbPrint"), L({40}));
    EXPECT_EQ(Pick(*d, "rbSelect", "rbExcept"), L({40}));
    EXPECT_EQ(Pick(*d, "rbRange", "rbNone"), L({20, 30, 40}));
    EXPECT_EQ(Pick(*d, "rbRange", "rbPrint"), L({40}));
    EXPECT_EQ(Pick(*d, "rbRange", "rbExcept"), L({30, 40}));
    // A record gone from the book is left out under a filter.
    EXPECT_EQ(Pick(*d, "rbAll", "rbNone"), L({10, 20, 30, 40, 50}));
    EXPECT_EQ(Pick(*d, "rbAll", "rbPrint"), L({10, 40}));
    EXPECT_EQ(Pick(*d, "rbAll", "rbExcept"), L({10, 30, 40}));
    EXPECT_EQ(Child<QLabel>(d.get(), "lblDataNum")->text(), QStringLiteral("3 件"));
    EXPECT_TRUE(Child<QLineEdit>(d.get(), "edStartRange")->isEnabled() == false);
    EXPECT_EQ(Child<QRadioButton>(d.get(), "rbAll")->palette().color(QPalette::WindowText), QColor(Qt::blue));

    // Nothing selected: the record on display is none, and Next refuses.
    rows.selected.clear();
    EXPECT_TRUE(Pick(*d, "rbViewData", "rbNone").isEmpty());
    QTest::mouseClick(Child<QPushButton>(d.get(), "btnNext"), Qt::LeftButton);
    EXPECT_EQ(messages.LastText(), QStringLiteral("印刷するデータがありません  "));
    EXPECT_EQ(Child<QStackedWidget>(d.get(), "pgcWizard")->currentIndex(), 0);
}

TEST_F(LytPrtTest, NumericRangeDragsTheOtherEndAndRestoresBadText)
{
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("Range"), 2);
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("StartRange"), 2);
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("EndRange"), 9); // above the count
    auto d = Open(0, 1);
    EXPECT_EQ(d->GetEndNo(), 5);
    auto* start = Child<QLineEdit>(d.get(), "edStartRange");
    auto* end = Child<QLineEdit>(d.get(), "edEndRange");
    auto* udStart = Child<QSpinBox>(d.get(), "udStartRange");
    auto* udEnd = Child<QSpinBox>(d.get(), "udEndRange");
    // Leaving an edit takes its number.
    const auto leave = [](QLineEdit* e) { emit e->editingFinished(); };
    start->setText(QStringLiteral("5"));
    leave(start);
    EXPECT_EQ(d->GetStartNo(), 5);
    EXPECT_EQ(d->GetEndNo(), 5);
    udEnd->stepDown(); // equal: the start comes down with the end
    EXPECT_EQ(d->GetStartNo(), 4);
    EXPECT_EQ(d->GetEndNo(), 4);
    EXPECT_EQ(udEnd->value(), 1); // the up-down itself never moves
    udStart->stepUp();             // equal: the end goes up with the start
    EXPECT_EQ(d->GetStartNo(), 5);
    EXPECT_EQ(d->GetEndNo(), 5);
    udStart->stepUp(); // already the count
    EXPECT_EQ(d->GetStartNo(), 5);
    end->setText(QStringLiteral("2"));
    leave(end);
    EXPECT_EQ(d->GetStartNo(), 2); // dragged down
    EXPECT_EQ(d->DataList(), L({20}));
    start->setText(QStringLiteral("x1"));
    leave(start);
    EXPECT_EQ(start->text(), QStringLiteral("2"));
    QTest::keyClick(start, Qt::Key_PageUp);
    EXPECT_EQ(d->GetStartNo(), 5);
    EXPECT_EQ(d->GetEndNo(), 5);
    EXPECT_EQ(end->text(), QStringLiteral("5"));
    EXPECT_EQ(d->DataList(), L({50}));
}

TEST_F(LytPrtTest, EmptyListLoadsRangeAsZero)
{
    rows.recNos.clear();
    rows.selected.clear();
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("Range"), 2);
    auto d = Open(0, 1);
    EXPECT_EQ(d->GetStartNo(), 0);
    EXPECT_EQ(d->GetEndNo(), 0);
    EXPECT_TRUE(d->DataList().isEmpty());
}

TEST_F(LytPrtTest, SheetCounts)
{
    // A label sheet of 10: start 4, 3 per record, 5 records, 2 copies.
    Store(QStringLiteral("LABEL PRINT"), QStringLiteral("Range"), 3);
    Store(QStringLiteral("LABEL PRINT"), QStringLiteral("LabelStart"), 4);
    Store(QStringLiteral("LABEL PRINT"), QStringLiteral("LabelCount"), 3);
    auto d = Open(2, 10);
    EXPECT_EQ(Child<QGroupBox>(d.get(), "gbxLabel")->title(), QStringLiteral("ラベル用紙"));
    Child<TNumEdit>(d.get(), "edCopy")->setValue(2);
    EXPECT_EQ(Child<QLabel>(d.get(), "lblCopy")->text(), QStringLiteral("4 枚"));
    EXPECT_EQ(Printer().Copies(), 2);
    d->hide();

    // One piece per sheet: copies times records; without records, copies.
    auto single = Open(0, 1);
    Child<QRadioButton>(single.get(), "rbAll")->setChecked(true);
    Child<TNumEdit>(single.get(), "edCopy")->setValue(3);
    EXPECT_EQ(Child<QLabel>(single.get(), "lblCopy")->text(), QStringLiteral("15 枚"));
    auto noData = Open(1, 1, false);
    Child<TNumEdit>(noData.get(), "edCopy")->setValue(3);
    EXPECT_EQ(Child<QLabel>(noData.get(), "lblCopy")->text(), QStringLiteral("3 枚"));
    EXPECT_FALSE(Child<QPushButton>(noData.get(), "btnBack")->isVisibleTo(noData.get()));
    EXPECT_EQ(Child<QStackedWidget>(noData.get(), "pgcWizard")->currentIndex(), 1);

    // Imposed postcards: a start above the sheet comes down to it.
    Store(QStringLiteral("LAYOUT PRINT"), QStringLiteral("LabelStart"), 9);
    auto cards = Open(0, 4);
    EXPECT_EQ(Child<QGroupBox>(cards.get(), "gbxLabel")->title(), QStringLiteral("面付用紙"));
    EXPECT_EQ(cards->GetLabelStart(), 4);
}

TEST_F(LytPrtTest, PrintWritesTheSettingsCancelAndNoDoNot)
{
    auto d = Open(1, 1);
    Child<QRadioButton>(d.get(), "rbAll")->setChecked(true);
    Child<QRadioButton>(d.get(), "rbPrint")->setChecked(true);
    Child<QScrollBar>(d.get(), "scbHorz")->setValue(600);
    Child<QScrollBar>(d.get(), "scbVert")->setValue(450);
    auto* flap = Child<QLineEdit>(d.get(), "edFlap");
    flap->setText(QStringLiteral("12.5"));
    emit flap->editingFinished();
    EXPECT_EQ(d->GetFlap(), 125);
    for (const QString& bad : {QStringLiteral("1.2.3"), QStringLiteral("１２"), QStringLiteral("12mm"), QString()}) {
        flap->setText(bad);
        emit flap->editingFinished();
        EXPECT_EQ(d->GetFlap(), 125) << bad.toStdString();
        EXPECT_EQ(flap->text(), QStringLiteral("12.5"));
    }
    Child<QCheckBox>(d.get(), "ckbReverse")->setChecked(true);
    QTest::mouseClick(Child<QPushButton>(d.get(), "btnNext"), Qt::LeftButton);
    QPoint offset;
    d->GetOffset(offset);
    EXPECT_EQ(offset, QPoint(100, -50));
    EXPECT_EQ(Child<QLabel>(d.get(), "lblHorz")->text(), QStringLiteral("右："));
    EXPECT_EQ(Child<QLabel>(d.get(), "lblOffsetV")->text(), QStringLiteral("5.0 mm"));

    // Cancel, and No to the question, write nothing.
    messages.Answer(IDNO);
    QTest::mouseClick(Child<QPushButton>(d.get(), "btnPrint"), Qt::LeftButton);
    EXPECT_EQ(messages.LastText(), QStringLiteral("宛名レイアウトを印刷します  \r\nよろしいですか？"));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(QFile::exists(ini));
    QTest::mouseClick(Child<QPushButton>(d.get(), "btnCancel2"), Qt::LeftButton);
    EXPECT_EQ(d->result(), int(mrCancel));
    EXPECT_FALSE(QFile::exists(ini));

    auto again = Open(1, 1);
    Child<QRadioButton>(again.get(), "rbAll")->setChecked(true);
    Child<QRadioButton>(again.get(), "rbPrint")->setChecked(true);
    Child<QScrollBar>(again.get(), "scbHorz")->setValue(600);
    flap = Child<QLineEdit>(again.get(), "edFlap");
    flap->setText(QStringLiteral("3"));
    emit flap->editingFinished();
    QTest::mouseClick(Child<QPushButton>(again.get(), "btnNext"), Qt::LeftButton);
    Child<TNumEdit>(again.get(), "edCopy")->setValue(2);
    QTest::mouseClick(Child<QPushButton>(again.get(), "btnPrint"), Qt::LeftButton);
    EXPECT_EQ(again->result(), int(mrOk));
    EXPECT_FALSE(again->IsPreviewRequested());
    TIniFile f(ini);
    const QString s = QStringLiteral("LAYOUT PRINT");
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("Range")), 3);
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("Limit")), 1);
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("OffsetX")), 600);
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("OffsetY")), 500);
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("Flap")), 30);
    EXPECT_EQ(f.ReadString(s, QStringLiteral("Reverse")), QStringLiteral("0"));
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("Page")), 1);
    EXPECT_EQ(f.ReadInteger(s, QStringLiteral("Copy")), 2);
    EXPECT_FALSE(f.ValueExists(s, QStringLiteral("LabelStart"))); // one piece per sheet

    // Reopened after a preview: the page and the copies come back.
    auto back = Open(1, 1, true, true);
    EXPECT_EQ(Child<QStackedWidget>(back.get(), "pgcWizard")->currentIndex(), 1);
    EXPECT_EQ(Child<TNumEdit>(back.get(), "edCopy")->value(), 2);
    EXPECT_EQ(back->GetFlap(), 30);
    EXPECT_EQ(back->DataList(), L({10, 40}));
}

TEST_F(LytPrtTest, ExtentCheckAndPrinterButton)
{
    // The postcard's printable area starts 4 mm in (15 layout pixels).
    auto d = Open(0, 1, false);
    auto* info = Child<QLabel>(d.get(), "lblRangeInfo");
    EXPECT_FALSE(info->isVisibleTo(d.get()));
    EXPECT_EQ(Child<QLabel>(d.get(), "lblVert")->text(), QStringLiteral("上："));
    EXPECT_EQ(Child<QLabel>(d.get(), "lblOffsetH")->text(), QStringLiteral("0.0 mm"));
    Child<QScrollBar>(d.get(), "scbHorz")->setValue(500 - 20); // 2 mm left: past the margin
    EXPECT_TRUE(info->isVisibleTo(d.get()));
    Child<QScrollBar>(d.get(), "scbHorz")->setValue(500);
    d->SetPrintExtent(TRect(0, 0, 100, 100)); // from the paper's very edge
    EXPECT_TRUE(info->isVisibleTo(d.get()));
    d->SetPrintExtent(TRect(15, 15, 362, 544));
    EXPECT_FALSE(info->isVisibleTo(d.get()));

    EXPECT_EQ(Child<QLabel>(d.get(), "pnlPrinter")->text(), QStringLiteral("PDF Postcard 600"));
    EXPECT_EQ(Child<QLabel>(d.get(), "pnlPaperSize")->text(), QStringLiteral("はがき"));
    EXPECT_EQ(Child<QLabel>(d.get(), "pnlOrientation")->text(), QStringLiteral("縦"));
    // The setup dialog changed paper, orientation and copies.
    SetPrinterSetupHandler([](QWidget*) {
        TDevMode dm = Printer().DevMode();
        dm.SetInt16(TDevMode::kPaperSize, 9);
        dm.SetInt16(TDevMode::kOrientation, DMORIENT_LANDSCAPE);
        dm.SetInt16(TDevMode::kCopies, 3);
        Printer().ApplyDevMode(dm);
        return true;
    });
    QTest::mouseClick(Child<QPushButton>(d.get(), "bbtnPrinters"), Qt::LeftButton);
    EXPECT_TRUE(d->IsPrinterChanged());
    EXPECT_EQ(Child<QLabel>(d.get(), "pnlPaperSize")->text(), QStringLiteral("A4"));
    EXPECT_EQ(Child<QLabel>(d.get(), "pnlOrientation")->text(), QStringLiteral("横"));
    EXPECT_EQ(Child<TNumEdit>(d.get(), "edCopy")->value(), 3);
    EXPECT_EQ(Child<QLabel>(d.get(), "lblCopy")->text(), QStringLiteral("3 枚"));

    // A picture of the print page, for a person to look at.
    const QByteArray shots = qgetenv("TELVORA_SHOT_DIR");
    if (!shots.isEmpty()) {
        auto envelope = Open(1, 4);
        Child<QStackedWidget>(envelope.get(), "pgcWizard")->setCurrentIndex(1);
        envelope->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/lytprt-print.png"));
        Child<QStackedWidget>(envelope.get(), "pgcWizard")->setCurrentIndex(0);
        envelope->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/lytprt-records.png"));
    }
}

} // namespace
