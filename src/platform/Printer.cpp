#include "platform/Printer.h"

#include "platform/Cp932.h"
#include "platform/RefDevice.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

// ---- the settings record ----

TDevMode TDevMode::Blank()
{
    TDevMode d(QByteArray(kRecordSize, '\0'));
    d.SetInt16(kSpecVersion, 0x0401);
    d.SetInt16(kSize, kPublicSize);
    d.SetInt16(kDriverExtra, kPrivateSize);
    return d;
}

qint16 TDevMode::Int16(int offset) const
{
    if (offset < 0 || offset + 2 > data_.size())
        return 0;
    return qFromLittleEndian<qint16>(data_.constData() + offset);
}

quint32 TDevMode::UInt32(int offset) const
{
    if (offset < 0 || offset + 4 > data_.size())
        return 0;
    return qFromLittleEndian<quint32>(data_.constData() + offset);
}

void TDevMode::SetInt16(int offset, qint16 value)
{
    if (offset >= 0 && offset + 2 <= data_.size())
        qToLittleEndian<qint16>(value, data_.data() + offset);
}

void TDevMode::SetUInt32(int offset, quint32 value)
{
    if (offset >= 0 && offset + 4 <= data_.size())
        qToLittleEndian<quint32>(value, data_.data() + offset);
}

QString TDevMode::DeviceName() const
{
    const QByteArray field = data_.left(32);
    const int nul = int(field.indexOf('\0'));
    return cp932::Decode(nul >= 0 ? field.left(nul) : field);
}

void TDevMode::SetDeviceName(const QString& name)
{
    if (data_.size() < 32)
        return;
    const QByteArray bytes = cp932::CutBytes(cp932::Encode(name), 31);
    std::memset(data_.data(), 0, 32);
    std::memcpy(data_.data(), bytes.constData(), size_t(bytes.size()));
}

bool TDevMode::HasPrivateBlock() const
{
    const int at = PublicSize();
    return at > 0 && at + kPrivateSize <= data_.size() && std::memcmp(data_.constData() + at, kTag, 4) == 0;
}

QString TDevMode::FullName() const
{
    if (!HasPrivateBlock())
        return {};
    const QByteArray field = data_.mid(PublicSize() + 4, 256);
    const int nul = int(field.indexOf('\0'));
    return QString::fromUtf8(nul >= 0 ? field.left(nul) : field);
}

void TDevMode::SetPrivate(const QString& fullName, int pageWidth, int pageLength, int dpiX, int dpiY)
{
    const int at = PublicSize();
    if (at <= 0 || at + kPrivateSize > data_.size())
        return;
    char* p = data_.data() + at;
    std::memset(p, 0, kPrivateSize);
    std::memcpy(p, kTag, 4);
    // Cut on a character boundary so the name reads back as a prefix.
    QByteArray name = fullName.toUtf8();
    if (name.size() > 255) {
        int cut = 255;
        while (cut > 0 && (quint8(name.at(cut)) & 0xC0) == 0x80)
            --cut;
        name.truncate(cut);
    }
    std::memcpy(p + 4, name.constData(), size_t(name.size()));
    qToLittleEndian<qint32>(pageWidth, p + 260);
    qToLittleEndian<qint32>(pageLength, p + 264);
    qToLittleEndian<qint32>(dpiX, p + 268);
    qToLittleEndian<qint32>(dpiY, p + 272);
}

// ---- paper and geometry ----

namespace {

const TPaperInfo* findPaper(const TPrinterDevice& device, qint16 code)
{
    for (const TPaperInfo& p : device.papers)
        if (p.code == code)
            return &p;
    return nullptr;
}

bool listsUserSize(const TPrinterDevice& device)
{
    return findPaper(device, DMPAPER_USER) != nullptr;
}

int toDevice(int tenthMm, int dpi)
{
    return int(std::lround(tenthMm / 254.0 * dpi));
}

// A public field of the record that a caller handed in, within both its
// stated public part and its bytes.
bool hasField(const TDevMode& d, int offset, int width = 2)
{
    return offset + width <= std::min(int(d.PublicSize()), d.Size());
}

} // namespace

void PaperSizeOf(const TPrinterDevice& device, const TDevMode& settings, int& width, int& length)
{
    width = length = 0;
    if (settings.PaperSize() == DMPAPER_USER || (settings.Fields() & (DM_PAPERLENGTH | DM_PAPERWIDTH))) {
        width = settings.PaperWidth();
        length = settings.PaperLength();
        return;
    }
    if (const TPaperInfo* p = findPaper(device, settings.PaperSize())) {
        width = p->width;
        length = p->length;
    }
}

// ---- the printer object ----

TPrinter& Printer()
{
    static TPrinter printer;
    return printer;
}

int TPrinter::DefaultIndex() const
{
    if (printers_.isEmpty())
        return -1;
    const int named = IndexOfName(defaultName_);
    return named >= 0 ? named : 0;
}

int TPrinter::IndexOfName(const QString& fullName) const
{
    if (fullName.isEmpty())
        return -1;
    for (int i = 0; i < printers_.size(); ++i)
        if (printers_[i].name == fullName)
            return i;
    return -1;
}

const TPrinterDevice* TPrinter::Current() const
{
    return index_ >= 0 && index_ < printers_.size() ? &printers_[index_] : nullptr;
}

void TPrinter::SetPrinterIndex(int index, bool reset)
{
    if (index < 0 || index >= printers_.size())
        index = DefaultIndex();
    if (index != index_ || reset || devMode_.IsEmpty()) {
        index_ = index;
        devMode_ = DefaultDevMode(index);
    }
    updateRefDevice();
}

TDevMode TPrinter::DefaultDevMode(int index) const
{
    if (index < 0 || index >= printers_.size())
        return {};
    const TPrinterDevice& dev = printers_[index];
    TDevMode d = TDevMode::Blank();
    d.SetDeviceName(dev.name);
    d.SetInt16(TDevMode::kDriverVersion, qint16(dev.driverVersion));
    d.SetUInt32(TDevMode::kFields, DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES);
    d.SetInt16(TDevMode::kOrientation, DMORIENT_PORTRAIT);
    qint16 paper = dev.defaultPaper;
    if (!findPaper(dev, paper) || paper == DMPAPER_USER)
        paper = 0;
    for (const TPaperInfo& p : dev.papers)
        if (paper == 0 && p.code != DMPAPER_USER)
            paper = p.code;
    d.SetInt16(TDevMode::kPaperSize, paper);
    d.SetInt16(TDevMode::kScale, 100);
    d.SetInt16(TDevMode::kCopies, 1);
    int w, l;
    PaperSizeOf(dev, d, w, l);
    d.SetPrivate(dev.name, w, l, dev.dpiX, dev.dpiY);
    return d;
}

TDevMode TPrinter::ValidateDevMode(int index, const TDevMode& in) const
{
    TDevMode out = DefaultDevMode(index);
    if (out.IsEmpty())
        return out;
    const TPrinterDevice& dev = printers_[index];
    // The fields of the incoming record, one by one, as far as it holds them:
    // a shorter or longer public part (another driver's) gives what it has.
    const bool user = hasField(in, TDevMode::kPaperWidth) &&
                      ((hasField(in, TDevMode::kFields, 4) && (in.Fields() & (DM_PAPERLENGTH | DM_PAPERWIDTH))) ||
                       (hasField(in, TDevMode::kPaperSize) && in.PaperSize() == DMPAPER_USER));
    quint32 fields = out.Fields();
    if (hasField(in, TDevMode::kOrientation)) {
        const qint16 o = in.Orientation();
        if (o == DMORIENT_PORTRAIT || o == DMORIENT_LANDSCAPE)
            out.SetInt16(TDevMode::kOrientation, o);
    }
    if (user && listsUserSize(dev) && in.PaperWidth() > 0 && in.PaperLength() > 0) {
        // The driver takes what it can of a user size; a caller sees the cut.
        out.SetInt16(TDevMode::kPaperSize, DMPAPER_USER);
        out.SetInt16(TDevMode::kPaperWidth, qint16(std::min<int>(in.PaperWidth(), dev.maxUserWidth)));
        out.SetInt16(TDevMode::kPaperLength, qint16(std::min<int>(in.PaperLength(), dev.maxUserLength)));
        fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    } else if (hasField(in, TDevMode::kPaperSize) && in.PaperSize() != DMPAPER_USER &&
               findPaper(dev, in.PaperSize())) {
        out.SetInt16(TDevMode::kPaperSize, in.PaperSize());
    }
    out.SetUInt32(TDevMode::kFields, fields);
    if (hasField(in, TDevMode::kScale) && in.Int16(TDevMode::kScale) > 0 && in.Int16(TDevMode::kScale) <= 400)
        out.SetInt16(TDevMode::kScale, in.Int16(TDevMode::kScale));
    if (hasField(in, TDevMode::kCopies) && in.Copies() >= 1 && in.Copies() <= 9999)
        out.SetInt16(TDevMode::kCopies, in.Copies());
    // The rest of the public part (source, quality, colour, duplex, form...)
    // is kept as handed in, as far as the incoming record holds it.
    const int restEnd = std::min({int(in.PublicSize()), in.Size(), int(TDevMode::kPublicSize)});
    for (int i = TDevMode::kCopies + 2; i < restEnd; ++i)
        out.Bytes()[i] = in.Bytes()[i];
    int w, l;
    PaperSizeOf(dev, out, w, l);
    out.SetPrivate(dev.name, w, l, dev.dpiX, dev.dpiY);
    return out;
}

void TPrinter::ApplyDevMode(const TDevMode& settings)
{
    if (index_ < 0)
        return;
    devMode_ = ValidateDevMode(index_, settings);
    updateRefDevice();
}

int TPrinter::Copies() const
{
    return devMode_.IsEmpty() ? 1 : devMode_.Copies();
}

void TPrinter::SetCopies(int copies)
{
    if (devMode_.IsEmpty())
        return;
    devMode_.SetInt16(TDevMode::kCopies, qint16(std::clamp(copies, 1, 9999)));
}

QList<TPaperInfo> TPrinter::Papers() const
{
    const TPrinterDevice* dev = Current();
    return dev ? dev->papers : QList<TPaperInfo>{};
}

TDeviceMetrics TPrinter::Metrics() const
{
    TDeviceMetrics m;
    const TPrinterDevice* dev = Current();
    if (!dev)
        return m;
    m.dpiX = dev->dpiX;
    m.dpiY = dev->dpiY;
    int w, l;
    PaperSizeOf(*dev, devMode_, w, l);
    int left = dev->marginLeft, top = dev->marginTop, right = dev->marginRight, bottom = dev->marginBottom;
    if (devMode_.Orientation() == DMORIENT_LANDSCAPE) {
        // The page turns a quarter counter-clockwise: the portrait top edge
        // becomes the left one.
        std::swap(w, l);
        const int l0 = left, t0 = top, r0 = right, b0 = bottom;
        left = t0;
        top = r0;
        right = b0;
        bottom = l0;
    }
    m.physicalWidth = toDevice(w, m.dpiX);
    m.physicalHeight = toDevice(l, m.dpiY);
    m.physicalOffsetX = toDevice(left, m.dpiX);
    m.physicalOffsetY = toDevice(top, m.dpiY);
    m.pageWidth = std::max(0, m.physicalWidth - m.physicalOffsetX - toDevice(right, m.dpiX));
    m.pageHeight = std::max(0, m.physicalHeight - m.physicalOffsetY - toDevice(bottom, m.dpiY));
    return m;
}

void TPrinter::updateRefDevice() const
{
    const TPrinterDevice* dev = Current();
    if (!dev) {
        ResetRefDevice();
        return;
    }
    const TDeviceMetrics m = Metrics();
    TRefDevice ref;
    ref.hasPrinter = true;
    ref.dpiX = m.dpiX;
    ref.dpiY = m.dpiY;
    ref.physicalOffsetX = m.physicalOffsetX;
    ref.physicalOffsetY = m.physicalOffsetY;
    SetRefDevice(ref);
}

void TPrinter::SetBackend(std::unique_ptr<TPrinterBackend> backend)
{
    backend_ = std::move(backend);
    Refresh();
}

void TPrinter::AddVirtualPrinter(const TPrinterDevice& device)
{
    TPrinterDevice d = device;
    d.isVirtual = true;
    virtual_.append(d);
    Refresh();
}

void TPrinter::ClearVirtualPrinters()
{
    virtual_.clear();
    index_ = -1;
    devMode_ = {};
    Refresh();
}

void TPrinter::Refresh()
{
    const QString current = Current() ? Current()->name : QString();
    printers_.clear();
    defaultName_.clear();
    if (backend_) {
        printers_ = backend_->Printers();
        defaultName_ = backend_->DefaultPrinterName();
    }
    printers_.append(virtual_);
    const int again = IndexOfName(current);
    if (again >= 0) {
        index_ = again;
    } else {
        index_ = -1;
        devMode_ = {};
        if (!printers_.isEmpty())
            SetPrinterIndex(-1);
    }
    updateRefDevice();
}

namespace {

// A virtual printer writes PDF at its resolution, the page as large as the paper.
class TPdfJob : public TPagedPainterJob<QPdfWriter> {
public:
    TPdfJob(const QString& file, const TDeviceMetrics& m, int paperWidth, int paperLength, bool landscape,
            const QString& title)
        : TPagedPainterJob(m, file)
    {
        device_.setTitle(title);
        device_.setCreator(QStringLiteral("Telvora21"));
        device_.setResolution(m.dpiX);
        const QPageSize size(QSizeF(paperWidth / 10.0, paperLength / 10.0), QPageSize::Millimeter, QString(),
                             QPageSize::ExactMatch);
        device_.setPageLayout(QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                          QMarginsF(0, 0, 0, 0)));
        Begin();
    }
};

} // namespace

std::unique_ptr<TPrintJob> TPrinter::BeginDoc(const QString& title)
{
    lastError_.clear();
    const TPrinterDevice* dev = Current();
    if (!dev)
        return nullptr;
    if (!dev->unusable.isEmpty()) {
        lastError_ = dev->unusable;
        return nullptr;
    }
    const TDeviceMetrics m = Metrics();
    if (!dev->isVirtual)
        return backend_ ? backend_->StartJob(*dev, devMode_, m, title) : nullptr;
    int w, l;
    PaperSizeOf(*dev, devMode_, w, l);
    if (w <= 0 || l <= 0 || dev->outputFile.isEmpty())
        return nullptr;
    auto job = std::make_unique<TPdfJob>(dev->outputFile, m, w, l, devMode_.Orientation() == DMORIENT_LANDSCAPE, title);
    if (!job->Ok())
        return nullptr;
    return job;
}
