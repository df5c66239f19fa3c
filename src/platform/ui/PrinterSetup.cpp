#include "platform/ui/PrinterSetup.h"

#include "platform/Printer.h"
#include "platform/ui/DialogKit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QHBoxLayout>
#include <cmath>

namespace {

// Paper codes of the printer settings record for the sizes Qt names.
struct TPaperCode {
    QPageSize::PageSizeId id;
    qint16 code;
};
constexpr TPaperCode kPaperCodes[] = {
    {QPageSize::Letter, 1},       {QPageSize::Legal, 5},         {QPageSize::Executive, 7},
    {QPageSize::A3, 8},           {QPageSize::A4, 9},            {QPageSize::A5, 11},
    {QPageSize::B4, 12},          {QPageSize::B5, 13},           {QPageSize::Postcard, 43},
    {QPageSize::DoublePostcard, 69}, {QPageSize::EnvelopeChou3, 73}, {QPageSize::EnvelopeChou4, 74},
    {QPageSize::A6, 70},          {QPageSize::B6, 88},           {QPageSize::EnvelopeKaku2, 83},
};

qint16 CodeOf(const QPageSize& size, qint16& nextOwn)
{
    for (const TPaperCode& c : kPaperCodes)
        if (c.id == size.id())
            return c.code;
    // Driver-defined papers take codes above the user size, as drivers do.
    return nextOwn++;
}

int TenthMm(double mm)
{
    return int(std::lround(mm * 10));
}

class TCupsJob : public TPagedPainterJob<QPrinter> {
public:
    TCupsJob(const QPrinterInfo& info, const TDevMode& settings, const TDeviceMetrics& m, int width, int length,
             const QString& title)
        : TPagedPainterJob(m, info, QPrinter::HighResolution)
    {
        device_.setDocName(title);
        device_.setResolution(m.dpiX);
        device_.setFullPage(true);
        device_.setCopyCount(std::max<int>(1, settings.Copies()));
        const QPageSize size(QSizeF(width / 10.0, length / 10.0), QPageSize::Millimeter, QString(),
                             QPageSize::FuzzyMatch);
        device_.setPageLayout(QPageLayout(size,
                                          settings.Orientation() == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                                       : QPageLayout::Portrait,
                                          QMarginsF(0, 0, 0, 0)));
        Begin();
    }
};

class TCupsBackend : public TPrinterBackend {
public:
    QList<TPrinterDevice> Printers() override
    {
        QList<TPrinterDevice> list;
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
            TPrinterDevice d;
            d.name = info.printerName();
            d.driver = info.makeAndModel();
            d.port = QStringLiteral("CUPS");
            QPrinter probe(info, QPrinter::HighResolution);
            d.dpiX = d.dpiY = probe.resolution() > 0 ? probe.resolution() : 600;
            const QMarginsF margins = probe.pageLayout().minimumMargins();
            const double unit = probe.pageLayout().units() == QPageLayout::Millimeter ? 1.0 : 25.4 / 72.0;
            d.marginLeft = TenthMm(margins.left() * unit);
            d.marginTop = TenthMm(margins.top() * unit);
            d.marginRight = TenthMm(margins.right() * unit);
            d.marginBottom = TenthMm(margins.bottom() * unit);
            qint16 nextOwn = 512;
            const QPageSize def = info.defaultPageSize();
            for (const QPageSize& s : info.supportedPageSizes()) {
                const QSizeF mm = s.size(QPageSize::Millimeter);
                TPaperInfo p{CodeOf(s, nextOwn), s.name(), TenthMm(mm.width()), TenthMm(mm.height())};
                if (s.isEquivalentTo(def))
                    d.defaultPaper = p.code;
                d.papers.append(p);
            }
            if (info.supportsCustomPageSizes()) {
                const QSizeF max = info.maximumPhysicalPageSize().size(QPageSize::Millimeter);
                d.papers.append(TPaperInfo{DMPAPER_USER, QStringLiteral("ユーザー定義サイズ"), 0, 0});
                if (max.width() > 0 && max.height() > 0) {
                    d.maxUserWidth = TenthMm(max.width());
                    d.maxUserLength = TenthMm(max.height());
                }
            }
            list.append(d);
        }
        return list;
    }
    QString DefaultPrinterName() override { return QPrinterInfo::defaultPrinterName(); }
    std::unique_ptr<TPrintJob> StartJob(const TPrinterDevice& device, const TDevMode& settings,
                                        const TDeviceMetrics& metrics, const QString& title) override
    {
        const QPrinterInfo info = QPrinterInfo::printerInfo(device.name);
        if (info.isNull())
            return nullptr;
        int w, l;
        PaperSizeOf(device, settings, w, l);
        if (w <= 0 || l <= 0)
            return nullptr;
        auto job = std::make_unique<TCupsJob>(info, settings, metrics, w, l, title);
        if (!job->Ok())
            return nullptr;
        return job;
    }
};

TPrinterSetupHandler& handler()
{
    static TPrinterSetupHandler h;
    return h;
}

// Printer, paper and orientation of the printer object.
class TPrinterSetupDialog : public TModalDialog {
public:
    explicit TPrinterSetupDialog(QWidget* owner) : TModalDialog(owner)
    {
        setWindowTitle(QStringLiteral("プリンターの設定"));
        setObjectName(QStringLiteral("PrinterSetupDialog"));
        auto* form = new QFormLayout(this);
        printers_ = new QComboBox(this);
        printers_->setObjectName(QStringLiteral("cmbPrinter"));
        papers_ = new QComboBox(this);
        papers_->setObjectName(QStringLiteral("cmbPaper"));
        portrait_ = new QRadioButton(QStringLiteral("縦"), this);
        landscape_ = new QRadioButton(QStringLiteral("横"), this);
        auto* orient = new QHBoxLayout;
        orient->addWidget(portrait_);
        orient->addWidget(landscape_);
        form->addRow(QStringLiteral("プリンター："), printers_);
        form->addRow(QStringLiteral("用紙サイズ："), papers_);
        form->addRow(QStringLiteral("印刷方向："), orient);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        form->addRow(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &TModalDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &TModalDialog::reject);
        const TPrinter& printer = Printer();
        for (const TPrinterDevice& d : printer.Printers())
            printers_->addItem(d.name);
        printers_->setCurrentIndex(printer.PrinterIndex());
        fillPapers(printer.PrinterIndex(), printer.DevMode());
        connect(printers_, &QComboBox::currentIndexChanged, this,
                [this](int i) { fillPapers(i, Printer().DefaultDevMode(i)); });
        ApplyDialogConventions(this);
    }

    void Take()
    {
        TPrinter& printer = Printer();
        const int index = printers_->currentIndex();
        if (index != printer.PrinterIndex())
            printer.SetPrinterIndex(index, true);
        TDevMode dm = printer.DevMode();
        if (papers_->currentIndex() >= 0) {
            dm.SetInt16(TDevMode::kPaperSize, qint16(papers_->currentData().toInt()));
            dm.SetUInt32(TDevMode::kFields, dm.Fields() & ~quint32(DM_PAPERLENGTH | DM_PAPERWIDTH));
        }
        dm.SetInt16(TDevMode::kOrientation, landscape_->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
        printer.ApplyDevMode(dm);
    }

private:
    void fillPapers(int index, const TDevMode& dm)
    {
        papers_->clear();
        if (index < 0 || index >= Printer().PrinterCount())
            return;
        for (const TPaperInfo& p : Printer().Printers()[index].papers)
            if (p.code != DMPAPER_USER)
                papers_->addItem(p.name, int(p.code));
        papers_->setCurrentIndex(papers_->findData(int(dm.PaperSize())));
        (dm.Orientation() == DMORIENT_LANDSCAPE ? landscape_ : portrait_)->setChecked(true);
    }

    QComboBox* printers_;
    QComboBox* papers_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
};

} // namespace

void InstallSystemPrinters()
{
    Printer().SetBackend(std::make_unique<TCupsBackend>());
}

TPrinterSetupHandler SetPrinterSetupHandler(TPrinterSetupHandler h)
{
    std::swap(handler(), h);
    return h;
}

bool ExecutePrinterSetup(QWidget* owner)
{
    if (handler())
        return handler()(owner);
    if (Printer().PrinterCount() == 0)
        return false;
    TPrinterSetupDialog dialog(owner);
    if (dialog.ShowModal() != mrOk)
        return false;
    dialog.Take();
    return true;
}
