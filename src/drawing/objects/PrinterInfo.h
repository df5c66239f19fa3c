#pragma once
// The printer a printing window last printed on, with its settings, kept in
// a printer-information file of the data folder (Layout.pi, Label.pi,
// Card.pi, Design.pi, LstPrint.pi): an Int32 length and the settings record.
// Restoring makes that printer the program's current one; the device metrics
// from which page geometry is computed are read from it.

#include "drawing/objects/DrawRect.h"
#include "platform/Printer.h"

#include <QPoint>
#include <QString>

class TPrinterInfo {
public:
    // Restores from fileName at once (the default printer when it cannot).
    explicit TPrinterInfo(const QString& fileName);

    void LoadFromFile();
    // Printer index of the installed printers (-1: the default printer),
    // its current settings taken as they are.
    void ReadPrinterSettings(int index);
    void ReadCurrentPrinter();
    // Both throw std::runtime_error when the file cannot be written; the
    // old file then stays as it was.
    void Save();
    void SaveToFile();

    // ResultCode 0 found (or replaced by the first paper), 1 the printer
    // lists no papers; Name stays empty otherwise.
    void GetPaperName(qint32& ResultCode, QString& Name);
    // Page geometry in layout pixels (96 per inch).
    TRect GetPrintableRect(qint32 X, qint32 Y) const;
    QPoint GetPaperSize() const;
    // 0.1 mm to device pixels; points to device pixels.
    QPoint MmToDevice(const QPoint& P) const;
    qint32 PointToDevice(qint32 Size) const;
    qint32 GetOrientation() const { return DevMode.Orientation(); }
    qint32 GetCopies() const { return DevMode.Copies(); }
    // The kept record only; the printer is not touched.
    void SetCopies(qint32 N);

    const QString& GetDeviceName() const { return DeviceName; }
    const QString& GetDriverName() const { return DriverName; }
    const QString& GetPortName() const { return PortName; }
    const QString& GetFileName() const { return FileName; }
    const TDevMode& GetDevMode() const { return DevMode; }
    qint32 GetDevModeSize() const { return DevMode.Size(); }
    qint32 GetDpiX() const { return DpiX; }
    qint32 GetDpiY() const { return DpiY; }
    qint32 GetPhysicalWidth() const { return PhysicalWidth; }
    qint32 GetPhysicalHeight() const { return PhysicalHeight; }
    qint32 GetPhysicalOffsetX() const { return PhysicalOffsetX; }
    qint32 GetPhysicalOffsetY() const { return PhysicalOffsetY; }
    qint32 GetRightMargin() const { return RightMargin; }
    qint32 GetBottomMargin() const { return BottomMargin; }
    double GetScaleX() const { return ScaleX; }
    double GetScaleY() const { return ScaleY; }

    // Reads a .pi file's record: the bytes after the length word when the
    // length is within the file, else false (nothing is allocated beyond
    // the file's own size).
    static bool ReadRecordFile(const QByteArray& file, QByteArray& record);

private:
    bool restore();
    void takeCurrent();
    void readMetrics();

    QString DeviceName;
    QString DriverName;
    QString PortName;
    qint32 DpiX = 96;
    qint32 DpiY = 96;
    qint32 PhysicalWidth = 0;
    qint32 PhysicalHeight = 0;
    qint32 PhysicalOffsetX = 0;
    qint32 PhysicalOffsetY = 0;
    qint32 RightMargin = 0;
    qint32 BottomMargin = 0;
    double ScaleX = 1.0;
    double ScaleY = 1.0;
    QString FileName;
    TDevMode DevMode;
};
