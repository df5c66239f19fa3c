#include "drawing/dialogs/LytPrt.h"

#include "ui_LytPrt.h"

#include "core/common/Units.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/objects/PrtUtils.h"
#include "platform/IniFile.h"
#include "platform/Printer.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/NumEdit.h"
#include "platform/ui/PrinterSetup.h"

#include <QKeyEvent>
#include <algorithm>

namespace {

std::function<TPrintRecordSource*()>& sourceProvider()
{
    static std::function<TPrintRecordSource*()> provider;
    return provider;
}

TPrintRecordSource* recordSource()
{
    return sourceProvider() ? sourceProvider()() : nullptr;
}

const QString kNoData = QStringLiteral("印刷するデータがありません  ");
constexpr int kOffsetZero = 500;

// Page Up/Down and the arrows as steps of an edit with an up-down; 0 for
// other keys.
int KeyStep(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_PageUp: return 10;
    case Qt::Key_PageDown: return -10;
    case Qt::Key_Up: return 1;
    case Qt::Key_Down: return -1;
    default: return 0;
    }
}

// An up-down of its own: only the arrows, no text.
void MakeArrowsOnly(QSpinBox* box)
{
    box->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    box->setFixedWidth(18);
    box->setFocusPolicy(Qt::NoFocus);
}

int RoundScaled(qint64 value, int dpi)
{
    return int(RoundHalfUp(static_cast<long double>(value) * dpi / 96));
}

} // namespace

void SetPrintRecordSourceProvider(std::function<TPrintRecordSource*()> provider)
{
    sourceProvider() = std::move(provider);
}

TLayoutPrintDialog::TLayoutPrintDialog(QWidget* owner) : TModalDialog(owner), ui(new Ui::TLayoutPrintDialog)
{
    ui->setupUi(this);
    // The red notes.
    for (QLabel* red : {ui->lblLimitedNote, ui->lblRangeInfo}) {
        QPalette p = red->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        red->setPalette(p);
    }
    for (QSpinBox* ud : {ui->udStartRange, ui->udEndRange, ui->udFlap})
        MakeArrowsOnly(ud);
    ui->udStartRange->setRange(0, 2);
    ui->udEndRange->setRange(0, 2);
    ui->udFlap->setRange(0, 500);
    ui->edLabelStart->SetMaxLength(4);
    ui->edLabelStart->setRange(1, 9999);
    ui->edLabelCount->SetMaxLength(6);
    ui->edLabelCount->setRange(1, 100);
    ui->edCopy->SetMaxLength(4);
    ui->edCopy->setRange(1, 1000);
    for (QScrollBar* bar : {ui->scbVert, ui->scbHorz}) {
        bar->setRange(0, 1000);
        bar->setPageStep(10);
        bar->setSingleStep(1);
        bar->setValue(kOffsetZero);
    }
    ui->edFlap->setText(QStringLiteral("0.0"));
    ui->glOffset->setColumnStretch(1, 1);
    ui->lblRangeInfo->setVisible(false);
    ui->gbxEnvelope->setVisible(false);
    ui->gbxLabel->setVisible(false);
    ui->btnPreview1->setVisible(false);
    ui->btnPreview2->setVisible(false);
    ui->pgcWizard->setCurrentIndex(0);

    enter_ = ApplyDialogConventions(this);
    // Enter past the last input of a page lands on its main button.
    for (QWidget* w : {static_cast<QWidget*>(ui->rbNone), static_cast<QWidget*>(ui->rbPrint),
                       static_cast<QWidget*>(ui->rbExcept)})
        enter_->SetNext(w, ui->btnNext);
    enter_->SetNext(ui->edCopy, ui->ckbLimitedPrinter);
    enter_->SetNext(ui->ckbLimitedPrinter, ui->btnPrint);

    const std::pair<QRadioButton*, int> ranges[] = {
        {ui->rbViewData, 0}, {ui->rbSelect, 1}, {ui->rbRange, 2}, {ui->rbAll, 3}};
    for (const auto& [radio, tag] : ranges)
        connect(radio, &QRadioButton::toggled, this, [this, tag = tag](bool on) {
            if (on)
                chooseRange(tag);
        });
    const std::pair<QRadioButton*, int> limits[] = {{ui->rbNone, 0}, {ui->rbPrint, 1}, {ui->rbExcept, 2}};
    for (const auto& [radio, tag] : limits)
        connect(radio, &QRadioButton::toggled, this, [this, tag = tag](bool on) {
            if (on)
                chooseLimit(tag);
        });
    for (QSpinBox* ud : {ui->udStartRange, ui->udEndRange}) {
        connect(ud, &QSpinBox::valueChanged, this, [this, ud](int v) {
            if (v == 1)
                return;
            // The up-down itself never moves: its arrows step the numbers.
            const QSignalBlocker block(ud);
            ud->setValue(1);
            stepRange(ud == ui->udStartRange, v > 1 ? 1 : -1);
        });
    }
    connect(ui->edStartRange, &QLineEdit::editingFinished, this, [this] { takeRangeEdit(true); });
    connect(ui->edEndRange, &QLineEdit::editingFinished, this, [this] { takeRangeEdit(false); });
    for (QLineEdit* e : {ui->edStartRange, ui->edEndRange, ui->edFlap})
        e->installEventFilter(this);

    connect(ui->edCopy, &QSpinBox::valueChanged, this, [this](int v) {
        Printer().SetCopies(v);
        updateSheetCount();
    });
    connect(ui->edLabelStart, &QSpinBox::valueChanged, this, [this] { updateSheetCount(); });
    connect(ui->edLabelCount, &QSpinBox::valueChanged, this, [this] { updateSheetCount(); });
    connect(ui->scbVert, &QScrollBar::valueChanged, this, [this] { showOffset(); });
    connect(ui->scbHorz, &QScrollBar::valueChanged, this, [this] { showOffset(); });
    connect(ui->udFlap, &QSpinBox::valueChanged, this, [this](int v) {
        ui->edFlap->setText(QString::asprintf("%.1f", v / 10.0));
        checkExtent();
    });
    connect(ui->edFlap, &QLineEdit::editingFinished, this, [this] { takeFlapEdit(); });

    connect(ui->btnNext, &QPushButton::clicked, this, [this] { next(); });
    connect(ui->btnBack, &QPushButton::clicked, this, [this] { ui->pgcWizard->setCurrentIndex(0); });
    connect(ui->btnPreview1, &QPushButton::clicked, this, [this] { preview(true); });
    connect(ui->btnPreview2, &QPushButton::clicked, this, [this] { preview(false); });
    connect(ui->btnPrint, &QPushButton::clicked, this, [this] { print(); });
    connect(ui->btnCancel1, &QPushButton::clicked, this, &TModalDialog::reject);
    connect(ui->btnCancel2, &QPushButton::clicked, this, &TModalDialog::reject);
    connect(ui->bbtnPrinters, &QPushButton::clicked, this, [this] { choosePrinter(); });

    // Opening: printer panels, one copy on the printer, nothing chosen yet.
    fillPrinterPanels();
    Printer().SetCopies(1);
    PrinterChanged = false;
    RangeKind = -1;
    showOffset();
    enableRangeEdits();
}

TLayoutPrintDialog::~TLayoutPrintDialog() = default;

void TLayoutPrintDialog::SetUseAddressData(bool Use)
{
    UseAddressData = Use;
    ui->pgcWizard->setCurrentIndex(Use ? 0 : 1);
    ui->btnBack->setVisible(Use);
}

void TLayoutPrintDialog::SetPrintKind(quint8 Kind)
{
    PrintKind = Kind;
    ui->gbxEnvelope->setVisible(Kind == 1);
    ui->gbxLabel->setVisible(false);
    ui->btnPreview1->setVisible(false);
    ui->btnPreview2->setVisible(false);
    static constexpr int kHelp[] = {80, 86, 93, 101};
    helpContext_ = Kind < 4 ? kHelp[Kind] : 80;
    setWindowTitle(Kind == 2 ? QStringLiteral("ラベル印刷") : Kind == 3 ? QStringLiteral("名刺印刷")
                                                                        : QStringLiteral("宛名印刷"));
}

void TLayoutPrintDialog::SetPiecesPerSheet(qint32 N)
{
    MultiPiece = N > 1;
    if (!MultiPiece)
        return;
    ui->gbxLabel->setVisible(true);
    ui->btnPreview1->setVisible(true);
    ui->btnPreview2->setVisible(true);
    ui->edLabelStart->setMaximum(N); // lowers a higher start position to N
    if (PrintKind <= 1)
        ui->gbxLabel->setTitle(QStringLiteral("面付用紙"));
    else if (PrintKind == 3)
        ui->gbxLabel->setTitle(QStringLiteral("名刺用紙"));
}

void TLayoutPrintDialog::SetPrintExtent(const TRect& R)
{
    PrintExtent = R;
    checkExtent();
}

void TLayoutPrintDialog::GetOffset(QPoint& P) const
{
    P = QPoint(ui->scbHorz->value() - kOffsetZero, ui->scbVert->value() - kOffsetZero);
}

qint32 TLayoutPrintDialog::GetFlap() const { return ui->udFlap->value(); }
bool TLayoutPrintDialog::GetReverse() const { return ui->ckbReverse->isChecked(); }
qint32 TLayoutPrintDialog::GetLabelStart() const { return ui->edLabelStart->value(); }
qint32 TLayoutPrintDialog::GetLabelCount() const { return ui->edLabelCount->value(); }
bool TLayoutPrintDialog::GetLimitedPrinter() const { return ui->ckbLimitedPrinter->isChecked(); }

QString TLayoutPrintDialog::section() const
{
    return PrintKind == 2 ? QStringLiteral("LABEL PRINT")
                          : PrintKind == 3 ? QStringLiteral("CARD PRINT") : QStringLiteral("LAYOUT PRINT");
}

void TLayoutPrintDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    ui->udStartRange->setValue(1);
    ui->udEndRange->setValue(1);
    loadSettings();
    if (UseAddressData)
        buildDataList();
    updateSheetCount();
}

void TLayoutPrintDialog::loadSettings()
{
    const QString file = DrawingSettingsFile();
    TIniFile ini(file);
    const QString s = section();
    const TPrintRecordSource* src = recordSource();
    const int count = src ? src->RowCount() : 0;
    const int range = ini.ReadInteger(s, QStringLiteral("Range"), 0);
    const int limit = ini.ReadInteger(s, QStringLiteral("Limit"), 0);
    StartNo = std::min(std::max(ini.ReadInteger(s, QStringLiteral("StartRange"), 1), 1), count);
    EndNo = std::min(std::max(ini.ReadInteger(s, QStringLiteral("EndRange"), count), StartNo), count);
    showRange();
    ui->scbHorz->setValue(ini.ReadInteger(s, QStringLiteral("OffsetX"), kOffsetZero));
    ui->scbVert->setValue(ini.ReadInteger(s, QStringLiteral("OffsetY"), kOffsetZero));
    if (PrintKind == 1) {
        ui->udFlap->setValue(ini.ReadInteger(s, QStringLiteral("Flap"), 0));
        ui->edFlap->setText(QString::asprintf("%.1f", ui->udFlap->value() / 10.0));
        ui->ckbReverse->setChecked(ini.ReadBool(s, QStringLiteral("Reverse"), false));
    }
    if (MultiPiece) {
        ui->edLabelStart->setValue(ini.ReadInteger(s, QStringLiteral("LabelStart"), 1));
        ui->edLabelCount->setValue(ini.ReadInteger(s, QStringLiteral("LabelCount"), 1));
    }
    if (ReturnFromPreview) {
        const int page = ini.ReadInteger(s, QStringLiteral("Page"), ui->pgcWizard->currentIndex());
        // Without address data the record page is never shown.
        ui->pgcWizard->setCurrentIndex(page == 0 && UseAddressData ? 0 : page == 1 ? 1 : ui->pgcWizard->currentIndex());
        // Several pieces per sheet: the copies are counted in sheets, the
        // printer keeps printing each sheet once.
        const int printerCopies = Printer().Copies();
        ui->edCopy->setValue(ini.ReadInteger(s, QStringLiteral("Copy"), 1));
        if (MultiPiece)
            Printer().SetCopies(printerCopies);
    }
    // Choosing a radio runs its handler, so the kinds and the list follow.
    const int rangeKind = range >= 1 && range <= 3 ? range : 0;
    QRadioButton* rangeRadios[] = {ui->rbViewData, ui->rbSelect, ui->rbRange, ui->rbAll};
    rangeRadios[rangeKind]->setChecked(true);
    chooseRange(rangeKind);
    const int limitKind = rangeKind != 0 && (limit == 1 || limit == 2) ? limit : 0;
    QRadioButton* limitRadios[] = {ui->rbNone, ui->rbPrint, ui->rbExcept};
    limitRadios[limitKind]->setChecked(true);
    chooseLimit(limitKind);
}

void TLayoutPrintDialog::writeSettings()
{
    if (DrawingSettingsFile().isEmpty())
        return;
    TIniFile ini(DrawingSettingsFile());
    const QString s = section();
    if (UseAddressData) {
        ini.WriteInteger(s, QStringLiteral("Range"), RangeKind);
        ini.WriteInteger(s, QStringLiteral("Limit"), LimitKind);
        ini.WriteInteger(s, QStringLiteral("StartRange"), StartNo);
        ini.WriteInteger(s, QStringLiteral("EndRange"), EndNo);
    }
    ini.WriteInteger(s, QStringLiteral("OffsetX"), ui->scbHorz->value());
    ini.WriteInteger(s, QStringLiteral("OffsetY"), ui->scbVert->value());
    if (PrintKind == 1) {
        ini.WriteInteger(s, QStringLiteral("Flap"), ui->udFlap->value());
        ini.WriteBool(s, QStringLiteral("Reverse"), ui->ckbReverse->isChecked());
    }
    if (MultiPiece) {
        ini.WriteInteger(s, QStringLiteral("LabelStart"), ui->edLabelStart->value());
        ini.WriteInteger(s, QStringLiteral("LabelCount"), ui->edLabelCount->value());
    }
    ini.WriteInteger(s, QStringLiteral("Page"), ui->pgcWizard->currentIndex());
    ini.WriteInteger(s, QStringLiteral("Copy"), ui->edCopy->value());
    ini.UpdateFile();
}

void TLayoutPrintDialog::fillPrinterPanels()
{
    QString printer, paper;
    qint32 orientation = 0;
    GetPrinterPaperInfo(printer, paper, orientation);
    ui->pnlPrinter->setText(printer);
    ui->pnlPaperSize->setText(paper);
    ui->pnlOrientation->setText(orientation == DMORIENT_LANDSCAPE ? QStringLiteral("横") : QStringLiteral("縦"));
}

void TLayoutPrintDialog::chooseRange(int kind)
{
    RangeKind = kind;
    enableRangeEdits();
    buildDataList();
}

void TLayoutPrintDialog::chooseLimit(int kind)
{
    LimitKind = kind;
    buildDataList();
}

void TLayoutPrintDialog::enableRangeEdits()
{
    const bool on = RangeKind == 2;
    for (QWidget* w : {static_cast<QWidget*>(ui->edStartRange), static_cast<QWidget*>(ui->edEndRange),
                       static_cast<QWidget*>(ui->udStartRange), static_cast<QWidget*>(ui->udEndRange),
                       static_cast<QWidget*>(ui->lblStartRange), static_cast<QWidget*>(ui->lblEndRange)})
        w->setEnabled(on);
    for (QLineEdit* e : {ui->edStartRange, ui->edEndRange}) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, on ? QColor(Qt::white) : palette().color(QPalette::Button));
        e->setPalette(p);
    }
}

void TLayoutPrintDialog::buildDataList()
{
    THourglass hourglass;
    dataList_.clear();
    const TPrintRecordSource* src = recordSource();
    if (src && RangeKind == 0) {
        // The record on display: the filter does not apply.
        const int row = src->FirstSelectedRow();
        if (row >= 0)
            dataList_.append(src->RecNoAt(row));
    } else if (src && RangeKind >= 1 && RangeKind <= 3) {
        const int count = src->RowCount();
        for (int i = 0; i < count; ++i) {
            if (RangeKind == 1 && !src->IsRowSelected(i))
                continue;
            if (RangeKind == 2 && (i + 1 < StartNo || i + 1 > EndNo))
                continue;
            const int recNo = src->RecNoAt(i);
            if (LimitKind == 1 || LimitKind == 2) {
                // A record gone from the book since the list was built
                // cannot be printed: it is left out.
                const int mark = src->PrintTargetOf(recNo);
                if (mark < 0 || (LimitKind == 1 && mark != 1) || (LimitKind == 2 && mark == 2))
                    continue;
            }
            dataList_.append(recNo);
        }
    }
    ui->lblDataNum->setText(QStringLiteral("%1 件").arg(dataList_.size()));
    updateSheetCount();
}

void TLayoutPrintDialog::updateSheetCount()
{
    const qint64 copies = ui->edCopy->value();
    const qint64 records = UseAddressData ? dataList_.size() : 1;
    qint64 sheets;
    if (!MultiPiece) {
        sheets = copies * records;
    } else {
        const qint64 perSheet = std::max(1, ui->edLabelStart->maximum());
        const qint64 pieces = ui->edLabelCount->value() * records + ui->edLabelStart->value() - 1;
        sheets = (pieces + perSheet - 1) / perSheet * copies;
    }
    ui->lblCopy->setText(QStringLiteral("%1 枚").arg(sheets));
}

void TLayoutPrintDialog::showRange()
{
    ui->edStartRange->setText(QString::number(StartNo));
    ui->edEndRange->setText(QString::number(EndNo));
}

void TLayoutPrintDialog::setRange(int start, int end, bool startMoved)
{
    const TPrintRecordSource* src = recordSource();
    const int count = src ? src->RowCount() : 0;
    start = std::min(std::max(start, 1), count);
    end = std::min(std::max(end, 1), count);
    // The number that moved drags the other along.
    if (startMoved && start > end)
        end = start;
    if (!startMoved && end < start)
        start = end;
    StartNo = start;
    EndNo = end;
    showRange();
    buildDataList();
}

void TLayoutPrintDialog::stepRange(bool start, int delta)
{
    const TPrintRecordSource* src = recordSource();
    const int count = src ? src->RowCount() : 0;
    int s = StartNo, e = EndNo;
    if (delta == 1 || delta == -1) {
        // The arrows: the other number follows only when the two were equal.
        if (start && delta > 0 && s != count) {
            if (s == e)
                ++e;
            ++s;
        } else if (start && delta < 0 && s != 1) {
            --s;
        } else if (!start && delta > 0 && e != count) {
            ++e;
        } else if (!start && delta < 0 && e != 1) {
            if (s == e)
                --s;
            --e;
        }
    } else if (start) {
        s += delta;
    } else {
        e += delta;
    }
    setRange(s, e, start);
}

void TLayoutPrintDialog::takeRangeEdit(bool start)
{
    QLineEdit* edit = start ? ui->edStartRange : ui->edEndRange;
    const int n = TNumEdit::ParseNonNegative(edit->text());
    if (n < 0) {
        showRange();
        return;
    }
    setRange(start ? n : StartNo, start ? EndNo : n, start);
}

void TLayoutPrintDialog::takeFlapEdit()
{
    const QString text = ui->edFlap->text().trimmed();
    bool plain = !text.isEmpty() && text.count(QLatin1Char('.')) < 2;
    for (QChar c : text)
        plain = plain && ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.'));
    bool ok = false;
    const double value = plain ? text.toDouble(&ok) : 0;
    if (!plain || !ok) {
        ui->edFlap->setText(QString::asprintf("%.1f", ui->udFlap->value() / 10.0));
        return;
    }
    const qint64 position = std::min<qint64>(RoundHalfUp(static_cast<long double>(value) * 10), 32767);
    ui->udFlap->setValue(int(position));
    ui->edFlap->setText(QString::asprintf("%.1f", ui->udFlap->value() / 10.0));
}

bool TLayoutPrintDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int step = KeyStep(static_cast<QKeyEvent*>(event));
        if (step != 0) {
            if (watched == ui->edStartRange || watched == ui->edEndRange) {
                const bool start = watched == ui->edStartRange;
                takeRangeEdit(start);
                setRange(start ? StartNo + step : StartNo, start ? EndNo : EndNo + step, start);
                return true;
            }
            if (watched == ui->edFlap) {
                takeFlapEdit();
                ui->udFlap->setValue(ui->udFlap->value() + step);
                return true;
            }
        }
    }
    return TModalDialog::eventFilter(watched, event);
}

void TLayoutPrintDialog::showOffset()
{
    const int v = ui->scbVert->value() - kOffsetZero;
    const int h = ui->scbHorz->value() - kOffsetZero;
    ui->lblVert->setText(v <= 0 ? QStringLiteral("上：") : QStringLiteral("下："));
    ui->lblHorz->setText(h <= 0 ? QStringLiteral("左：") : QStringLiteral("右："));
    ui->lblOffsetV->setText(QString::asprintf("%.1f mm", std::abs(v) / 10.0));
    ui->lblOffsetH->setText(QString::asprintf("%.1f mm", std::abs(h) / 10.0));
    checkExtent();
}

void TLayoutPrintDialog::checkExtent()
{
    const TDeviceMetrics m = Printer().Metrics();
    const qint64 pl = m.physicalOffsetX, pt = m.physicalOffsetY;
    const qint64 pr = pl + m.pageWidth, pb = pt + m.pageHeight;
    QPoint offset;
    GetOffset(offset);
    const qint64 dx = RoundHalfUp(offset.x() / 254.0L * m.dpiX);
    qint64 dy = RoundHalfUp(offset.y() / 254.0L * m.dpiY);
    if (PrintKind == 1)
        dy += RoundHalfUp(ui->udFlap->value() / 254.0L * m.dpiY);
    const qint64 left = RoundScaled(PrintExtent.Left, m.dpiX) + dx;
    const qint64 top = RoundScaled(PrintExtent.Top, m.dpiY) + dy;
    const qint64 right = left + RoundScaled(PrintExtent.Width(), m.dpiX);
    const qint64 bottom = top + RoundScaled(PrintExtent.Height(), m.dpiY);
    const bool inside = left >= pl && top >= pt && right <= pr && bottom <= pb;
    ui->lblRangeInfo->setVisible(!inside);
}

void TLayoutPrintDialog::choosePrinter()
{
    if (!ExecutePrinterSetup(this))
        return;
    fillPrinterPanels();
    if (Printer().Copies() != ui->edCopy->value()) {
        ui->edCopy->setValue(Printer().Copies());
        updateSheetCount();
    }
    PrinterChanged = true;
    checkExtent();
}

void TLayoutPrintDialog::next()
{
    if (dataList_.isEmpty()) {
        ShowMessage(this, kNoData, MB_OK | MB_ICONINFORMATION);
        return;
    }
    ui->pgcWizard->setCurrentIndex(1);
}

void TLayoutPrintDialog::preview(bool recordPage)
{
    if (recordPage && dataList_.isEmpty()) {
        ShowMessage(this, kNoData, MB_OK | MB_ICONINFORMATION);
        return;
    }
    writeSettings();
    PreviewRequested = true;
    done(mrOk);
}

void TLayoutPrintDialog::print()
{
    const QString document = PrintKind == 2   ? QStringLiteral("ラベルレイアウト")
                             : PrintKind == 3 ? QStringLiteral("名刺レイアウト")
                                              : QStringLiteral("宛名レイアウト");
    const QString question = document + QStringLiteral("を印刷します  \r\nよろしいですか？");
    if (ShowMessage(this, question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    writeSettings();
    done(mrOk);
}
