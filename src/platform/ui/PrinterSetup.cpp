#include "platform/ui/PrinterSetup.h"

#include "platform/Printer.h"
#include "platform/ui/DialogKit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QHBoxLayout>
#include <QTemporaryFile>
#include <cmath>

#include <cups/cups.h>

namespace {

// Paper codes of the printer settings record for the sizes Qt names.
struct TPaperCode {
    QPageSize::PageSizeId id;
    qint16 code;
};
constexpr TPaperCode kPaperCodes[] = {
    {QPageSize::Letter, 1},       {QPageSize::Legal, 5},          {QPageSize::Executive, 7},
    {QPageSize::A3, 8},           {QPageSize::A4, 9},             {QPageSize::A5, 11},
    // The B sizes of the settings record are the Japanese ones (B5 182 x 257 mm).
    {QPageSize::JisB4, 12},       {QPageSize::JisB5, 13},         {QPageSize::Postcard, 43},
    {QPageSize::DoublePostcard, 69}, {QPageSize::A6, 70},         {QPageSize::EnvelopeKaku2, 71},
    {QPageSize::EnvelopeKaku3, 72}, {QPageSize::EnvelopeChou3, 73}, {QPageSize::EnvelopeChou4, 74},
    {QPageSize::JisB6, 88},
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

// A queue's name and instance ("queue/instance") as the spooler takes them.
std::pair<QByteArray, QByteArray> QueueOf(const QString& name)
{
    const qsizetype slash = name.indexOf(u'/');
    if (slash < 0)
        return {name.toUtf8(), QByteArray()};
    return {name.left(slash).toUtf8(), name.mid(slash + 1).toUtf8()};
}

// Whether the queue takes a job now. A stopped queue would hold it until
// someone starts the queue again, so the document would be reported printed
// while nothing comes out; a queue that refuses jobs would drop it.
bool QueueTakesJobs(const QString& name)
{
    const auto [queue, instance] = QueueOf(name);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return false;
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool takes = (!state || qstrcmp(state, "5") != 0) && (!accepting || qstrcmp(accepting, "true") == 0);
    cupsFreeDests(1, dest);
    return takes;
}

// The queue's default resolution as its driver states it (0: none stated).
int QueueResolution(const QString& name)
{
    const auto [queue, instance] = QueueOf(name);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return 0;
    int dpi = 0;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        if (ipp_attribute_t* a = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
            ipp_res_t units = IPP_RES_PER_INCH;
            int y = 0;
            const int x = ippGetResolution(a, 0, &y, &units);
            dpi = units == IPP_RES_PER_CM ? int(std::lround(x * 2.54)) : x;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return dpi;
}

// The document goes to a file of ours first and is handed to the spooler
// by us: Qt's own hand-over drops the spooler's answer, so a refused job
// would pass as printed.
class TCupsJob : public TPagedPainterJob<QPrinter> {
public:
    TCupsJob(const QPrinterInfo& info, const TDevMode& settings, const TDeviceMetrics& m, int width, int length,
             const QString& title)
        : TPagedPainterJob(m, info, QPrinter::HighResolution), queue_(info.printerName()), title_(title),
          copies_(std::max<int>(1, settings.Copies()))
    {
        const bool landscape = settings.Orientation() == DMORIENT_LANDSCAPE;
        // No ".pdf" ending: that would turn the printer into Qt's plain PDF
        // writer, which knows nothing of the queue's papers and margins.
        spool_.setFileTemplate(QDir::tempPath() + QStringLiteral("/telvora-print-XXXXXX"));
        if (!spool_.open())
            return;
        spool_.close();
        device_.setOutputFileName(spool_.fileName());
        device_.setDocName(title);
        device_.setResolution(m.dpiX);
        const QPageSize size(QSizeF(width / 10.0, length / 10.0), QPageSize::Millimeter, QString(),
                             QPageSize::FuzzyMatch);
        // The page stays portrait and a landscape one is turned onto it
        // here: queues turn landscape pages either way, as their drivers
        // say, while the printer object's landscape margins (and the
        // virtual printers) know one way only.
        device_.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        if (landscape)
            TurnOntoPortraitSheet(int(std::lround(width / 254.0 * m.dpiX)));
        // After the layout: a new layout brings the queue's margins back
        // and, with them, an origin at the printable area's corner, where
        // the job then places it a second time.
        device_.setFullPage(true);
        Begin();
    }

    // True only when the spooler took the job.
    bool End() override
    {
        if (!TPagedPainterJob::End() || !QueueTakesJobs(queue_))
            return false;
        // The queue's name of the paper, copies collated; the page is
        // already turned. Qt writes pages in whole points (a postcard as
        // 284 x 419 for 283.5 x 419.5): the spooler would shrink such a page
        // to its paper and centre it, moving the ink by up to 2 pixels at
        // 300 dpi; unscaled at the paper's top left corner it stays where
        // the layout puts it.
        const QByteArray media = device_.pageLayout().pageSize().key().toUtf8();
        const QByteArray copies = QByteArray::number(copies_);
        cups_option_t* options = nullptr;
        int count = cupsAddOption("media", media.constData(), 0, &options);
        count = cupsAddOption("print-scaling", "none", count, &options);
        count = cupsAddOption("position", "top-left", count, &options);
        if (copies_ > 1) {
            count = cupsAddOption("copies", copies.constData(), count, &options);
            count = cupsAddOption("Collate", "True", count, &options);
        }
        const auto [queue, instance] = QueueOf(queue_);
        const int id = cupsPrintFile(queue.constData(), QFile::encodeName(spool_.fileName()).constData(),
                                     title_.toUtf8().constData(), count, options);
        cupsFreeOptions(count, options);
        return id > 0;
    }

private:
    QTemporaryFile spool_;
    QString queue_;
    QString title_;
    int copies_;
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
            // The driver's resolution: the printing window's geometry is in
            // its pixels, as on the printer the layouts were made for. Qt's
            // own is a fixed one of its PDF writer.
            const int dpi = QueueResolution(d.name);
            d.dpiX = d.dpiY = dpi > 0 ? dpi : probe.resolution() > 0 ? probe.resolution() : 600;
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
            // A queue without a driver (a raw queue) states no paper, so no
            // page can be laid out for it.
            if (d.papers.isEmpty())
                d.unusable = QStringLiteral("プリンタ「%1」にはドライバが設定されていないため、用紙の大きさが分からず印刷できません")
                                 .arg(d.name);
            list.append(d);
        }
        return list;
    }
    QString DefaultPrinterName() override { return QPrinterInfo::defaultPrinterName(); }
    std::unique_ptr<TPrintJob> StartJob(const TPrinterDevice& device, const TDevMode& settings,
                                        const TDeviceMetrics& metrics, const QString& title) override
    {
        const QPrinterInfo info = QPrinterInfo::printerInfo(device.name);
        if (info.isNull() || !QueueTakesJobs(device.name))
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
