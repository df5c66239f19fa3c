#pragma once
// The program's single printer object: the installed printers, the current
// one, and its settings record. Real printers come from a back end that the
// window side installs at start (CUPS); virtual PDF printers of a fixed
// resolution, margins and paper list are added by tests and the harness.
//
// The settings record keeps the public layout of the Windows printer settings
// record (DEVMODE, ANSI, 156 bytes), because printer-information files store
// it whole; behind it lies a private block of ours, as a driver's own part
// would: the printer's full name (queue names are often longer than the
// 32-byte device-name field), the page size and the resolution.
//
// Changing the current printer or applying a settings record also sets the
// reference device of the drawing objects.

#include <QByteArray>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

class QPaintDevice;
class QPainter;

// Flags of dmFields and the user paper code, with the values Windows gave them.
enum : quint32 {
    DM_ORIENTATION = 0x1,
    DM_PAPERSIZE = 0x2,
    DM_PAPERLENGTH = 0x4,
    DM_PAPERWIDTH = 0x8,
    DM_SCALE = 0x10,
    DM_COPIES = 0x100,
};
enum : qint16 { DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2, DMPAPER_USER = 256 };

// A settings record: public part at the Windows offsets, then our block.
class TDevMode {
public:
    static constexpr int kDeviceName = 0;     // 32 bytes, code page 932, NUL-terminated
    static constexpr int kSpecVersion = 32;
    static constexpr int kDriverVersion = 34;
    static constexpr int kSize = 36;          // dmSize: length of the public part
    static constexpr int kDriverExtra = 38;   // dmDriverExtra: length of the private part
    static constexpr int kFields = 40;
    static constexpr int kOrientation = 44;
    static constexpr int kPaperSize = 46;
    static constexpr int kPaperLength = 48;   // 0.1 mm
    static constexpr int kPaperWidth = 50;    // 0.1 mm
    static constexpr int kScale = 52;
    static constexpr int kCopies = 54;
    static constexpr int kPublicSize = 156;
    // Private block: tag, full name (256 bytes UTF-8, NUL-terminated), page
    // width and length in 0.1 mm, resolution x and y.
    static constexpr int kPrivateSize = 4 + 256 + 16;
    static constexpr int kRecordSize = kPublicSize + kPrivateSize;
    static constexpr char kTag[5] = "TVPR";

    TDevMode() = default;
    explicit TDevMode(QByteArray bytes) : data_(std::move(bytes)) {}
    // A zeroed record of our size with both size words set.
    static TDevMode Blank();

    const QByteArray& Bytes() const { return data_; }
    QByteArray& Bytes() { return data_; }
    int Size() const { return int(data_.size()); }
    bool IsEmpty() const { return data_.isEmpty(); }

    // Fields outside the record read as 0 and are not written.
    qint16 Int16(int offset) const;
    quint32 UInt32(int offset) const;
    void SetInt16(int offset, qint16 value);
    void SetUInt32(int offset, quint32 value);

    QString DeviceName() const; // up to the first NUL
    void SetDeviceName(const QString& name); // cut to 31 bytes, never inside a character
    quint16 DriverVersion() const { return quint16(Int16(kDriverVersion)); }
    quint16 PublicSize() const { return quint16(Int16(kSize)); }
    quint16 DriverExtra() const { return quint16(Int16(kDriverExtra)); }
    quint32 Fields() const { return UInt32(kFields); }
    qint16 Orientation() const { return Int16(kOrientation); }
    qint16 PaperSize() const { return Int16(kPaperSize); }
    qint16 PaperLength() const { return Int16(kPaperLength); }
    qint16 PaperWidth() const { return Int16(kPaperWidth); }
    qint16 Copies() const { return Int16(kCopies); }

    // Our private block, found through dmSize; false when the record has none.
    bool HasPrivateBlock() const;
    QString FullName() const;
    void SetPrivate(const QString& fullName, int pageWidth, int pageLength, int dpiX, int dpiY);

private:
    QByteArray data_;
};

// A paper as a driver lists it: its code, name and portrait size in 0.1 mm.
struct TPaperInfo {
    qint16 code = 0;
    QString name;
    int width = 0;
    int length = 0;
};

// What the program knows of one printer.
struct TPrinterDevice {
    QString name; // full name: the CUPS queue or the virtual printer's name
    QString driver;
    QString port;
    quint16 driverVersion = 1;
    int dpiX = 600;
    int dpiY = 600;
    // Unprintable margins of the portrait page in 0.1 mm.
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
    // The papers in the driver's order; code 256 in the list: takes a user size.
    QList<TPaperInfo> papers;
    // The largest user size the driver accepts (0.1 mm); a larger one is cut
    // to it, so the caller sees another size than asked for.
    int maxUserWidth = 32767;
    int maxUserLength = 32767;
    qint16 defaultPaper = 0; // 0: the first listed
    bool isVirtual = false;
    QString outputFile; // virtual printers: where a printed document goes (PDF)
    QString unusable;   // why nothing can be printed on it (empty: it can)
};

// The device geometry of the current settings, in device pixels.
struct TDeviceMetrics {
    int dpiX = 96;
    int dpiY = 96;
    int physicalWidth = 0;
    int physicalHeight = 0;
    int physicalOffsetX = 0;
    int physicalOffsetY = 0;
    int pageWidth = 0;  // printable area
    int pageHeight = 0;
};

// One printed document. The painter's origin is the printable area's top
// left, clipped to it, as on the printers the layouts were made for.
class TPrintJob {
public:
    virtual ~TPrintJob() = default;
    virtual QPainter& Painter() = 0;
    virtual bool NewPage() = 0;
    // Finishes the document; false when it could not be written.
    virtual bool End() = 0;
};

// A job painting page after page on a Qt paint device (a PDF writer, a
// printer): each page's origin sits at the printable area's corner and
// nothing is painted beyond the printable area.
template <class TDevice>
class TPagedPainterJob : public TPrintJob {
public:
    ~TPagedPainterJob() override
    {
        if (painter_.isActive())
            painter_.end();
    }
    bool Ok() const { return ok_; }
    QPainter& Painter() override { return painter_; }
    bool NewPage() override
    {
        if (!ok_ || !device_.newPage())
            return false;
        placeOrigin();
        return true;
    }
    bool End() override { return ok_ && painter_.end(); }

protected:
    template <class... TArgs>
    explicit TPagedPainterJob(const TDeviceMetrics& metrics, TArgs&&... args)
        : device_(std::forward<TArgs>(args)...), metrics_(metrics)
    {
    }
    // Landscape pages go onto the device's portrait page turned, the
    // portrait top edge becoming the landscape page's left one, as the
    // landscape metrics have it; sheetWidth: the portrait page's width.
    void TurnOntoPortraitSheet(int sheetWidth) { sheetWidth_ = sheetWidth; }
    // Starts painting once the device is set up.
    void Begin()
    {
        ok_ = painter_.begin(&device_);
        if (ok_)
            placeOrigin();
    }

    TDevice device_;

private:
    void placeOrigin()
    {
        painter_.resetTransform();
        painter_.setClipping(false);
        if (sheetWidth_ > 0) {
            painter_.translate(sheetWidth_, 0);
            painter_.rotate(90);
        }
        painter_.translate(metrics_.physicalOffsetX, metrics_.physicalOffsetY);
        painter_.setClipRect(QRect(0, 0, metrics_.pageWidth, metrics_.pageHeight));
    }

    QPainter painter_;
    TDeviceMetrics metrics_;
    int sheetWidth_ = 0;
    bool ok_ = false;
};

// Where real printers come from (installed by the window side at start).
class TPrinterBackend {
public:
    virtual ~TPrinterBackend() = default;
    virtual QList<TPrinterDevice> Printers() = 0;
    virtual QString DefaultPrinterName() = 0;
    virtual std::unique_ptr<TPrintJob> StartJob(const TPrinterDevice& device, const TDevMode& settings,
                                                const TDeviceMetrics& metrics, const QString& title) = 0;
};

class TPrinter {
public:
    // Real printers first, in the back end's order, then the virtual ones.
    const QList<TPrinterDevice>& Printers() const { return printers_; }
    int PrinterCount() const { return int(printers_.size()); }
    // The default printer's index (-1 when no printer is installed).
    int DefaultIndex() const;
    int IndexOfName(const QString& fullName) const;

    // The current printer (-1: none). Selecting another printer (or the same
    // one with reset) takes the driver's default settings; -1 selects the
    // default printer.
    int PrinterIndex() const { return index_; }
    void SetPrinterIndex(int index, bool reset = false);
    const TPrinterDevice* Current() const;

    // The current settings record: the application's settings handle.
    const TDevMode& DevMode() const { return devMode_; }
    // Validates the record against the current printer's driver (as the
    // driver's document properties do: fields merged, values brought into
    // what the driver supports) and makes it current.
    void ApplyDevMode(const TDevMode& settings);
    // What the driver makes of a record, without applying it.
    TDevMode ValidateDevMode(int index, const TDevMode& settings) const;
    TDevMode DefaultDevMode(int index) const;

    int Copies() const;
    void SetCopies(int copies);

    // The papers of the current printer.
    QList<TPaperInfo> Papers() const;
    TDeviceMetrics Metrics() const;

    // A document on the current printer; null without a printer or when the
    // output cannot be opened, LastError then saying why where it is known.
    std::unique_ptr<TPrintJob> BeginDoc(const QString& title);
    const QString& LastError() const { return lastError_; }

    // Installs the back end of real printers (none: virtual ones only) and
    // re-reads the printer list.
    void SetBackend(std::unique_ptr<TPrinterBackend> backend);
    void AddVirtualPrinter(const TPrinterDevice& device);
    // Forgets the virtual printers and the current choice (tests).
    void ClearVirtualPrinters();
    // Re-reads the list; the current printer stays when it is still there.
    void Refresh();

private:
    void updateRefDevice() const;

    std::unique_ptr<TPrinterBackend> backend_;
    QList<TPrinterDevice> virtual_;
    QList<TPrinterDevice> printers_;
    QString defaultName_;
    int index_ = -1;
    TDevMode devMode_;
    QString lastError_;
};

// The one printer object of the program.
TPrinter& Printer();

// Paper size of a record on a device in 0.1 mm, portrait (user size or the
// listed paper's; 0 x 0 when unknown).
void PaperSizeOf(const TPrinterDevice& device, const TDevMode& settings, int& width, int& length);
