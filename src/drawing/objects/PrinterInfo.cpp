#include "drawing/objects/PrinterInfo.h"

#include "core/common/Units.h"
#include "platform/Cp932.h"
#include "platform/Font.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QtEndian>
#include <stdexcept>

TPrinterInfo::TPrinterInfo(const QString& fileName) : FileName(fileName)
{
    LoadFromFile();
}

bool TPrinterInfo::ReadRecordFile(const QByteArray& file, QByteArray& record)
{
    if (file.size() < 4)
        return false;
    const qint32 n = qFromLittleEndian<qint32>(file.constData());
    // A negative or oversized length word is a damaged file, never an
    // allocation of its size.
    if (n < 0 || qint64(n) > file.size() - 4)
        return false;
    record = file.mid(4, n);
    return true;
}

void TPrinterInfo::LoadFromFile()
{
    if (!QFile::exists(FileName) || !restore())
        ReadPrinterSettings(-1);
}

bool TPrinterInfo::restore()
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The record follows its length word; a .pi file is a few hundred bytes,
    // so anything beyond 1 MB cannot be one.
    const QByteArray bytes = file.read(1 << 20);
    QByteArray record;
    if (!ReadRecordFile(bytes, record))
        return false;
    const TDevMode stored(record);
    TPrinter& printer = Printer();
    // The full name of our own block first: queue names often exceed the
    // record's 32-byte device name. Then the device name, trimmed, exactly.
    int found = printer.IndexOfName(stored.FullName());
    if (found < 0) {
        const QString name = cp932::Trim(stored.DeviceName());
        for (int i = 0; i < printer.PrinterCount() && found < 0; ++i)
            if (!name.isEmpty() && cp932::Trim(printer.Printers()[i].name) == name)
                found = i;
    }
    if (found < 0)
        return false;
    printer.SetPrinterIndex(found, true);
    // Settings of another driver version are not the driver's to merge.
    if (printer.DevMode().DriverVersion() != stored.DriverVersion() || stored.Size() < TDevMode::kSpecVersion + 4)
        return false;
    printer.ApplyDevMode(stored);
    takeCurrent();
    return true;
}

void TPrinterInfo::ReadPrinterSettings(int index)
{
    Printer().SetPrinterIndex(index, false);
    takeCurrent();
}

void TPrinterInfo::ReadCurrentPrinter()
{
    ReadPrinterSettings(Printer().PrinterIndex());
}

void TPrinterInfo::takeCurrent()
{
    const TPrinter& printer = Printer();
    const TPrinterDevice* dev = printer.Current();
    DeviceName = dev ? dev->name : QString();
    DriverName = dev ? dev->driver : QString();
    PortName = dev ? dev->port : QString();
    DevMode = printer.DevMode();
    readMetrics();
}

void TPrinterInfo::readMetrics()
{
    const TDeviceMetrics m = Printer().Metrics();
    DpiX = m.dpiX > 0 ? m.dpiX : 96;
    DpiY = m.dpiY > 0 ? m.dpiY : 96;
    PhysicalWidth = m.physicalWidth;
    PhysicalHeight = m.physicalHeight;
    PhysicalOffsetX = m.physicalOffsetX;
    PhysicalOffsetY = m.physicalOffsetY;
    RightMargin = PhysicalWidth - m.pageWidth - PhysicalOffsetX;
    BottomMargin = PhysicalHeight - m.pageHeight - PhysicalOffsetY;
    ScaleX = DpiX / 96.0;
    ScaleY = DpiY / 96.0;
}

void TPrinterInfo::Save()
{
    SaveToFile();
}

void TPrinterInfo::SaveToFile()
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<qint32>(DevMode.Size(), bytes.data());
    bytes += DevMode.Bytes();
    // Written beside and renamed over the old file: it is whole or untouched.
    if (!SaveFileAtomically(FileName, bytes, true))
        throw std::runtime_error(("cannot write " + FileName.toStdString()).c_str());
}

void TPrinterInfo::GetPaperName(qint32& ResultCode, QString& Name)
{
    Name.clear();
    ResultCode = 0;
    const TPrinter& printer = Printer();
    int index = printer.IndexOfName(DeviceName);
    const QList<TPaperInfo> papers = index >= 0 ? printer.Printers()[index].papers : QList<TPaperInfo>{};
    if (papers.isEmpty()) {
        ResultCode = 1;
        return;
    }
    for (const TPaperInfo& p : papers) {
        if (p.code == DevMode.PaperSize()) {
            Name = p.name;
            return;
        }
    }
    Name = papers.first().name;
    DevMode.SetInt16(TDevMode::kPaperSize, papers.first().code);
}

TRect TPrinterInfo::GetPrintableRect(qint32 X, qint32 Y) const
{
    const qint32 left = X + qint32(RoundHalfUp(PhysicalOffsetX / ScaleX));
    const qint32 top = Y + qint32(RoundHalfUp(PhysicalOffsetY / ScaleY));
    const qint32 width = qint32(RoundHalfUp((PhysicalWidth - RightMargin) / ScaleX)) - X;
    const qint32 height = qint32(RoundHalfUp((PhysicalHeight - BottomMargin) / ScaleY)) - Y;
    return TRect(left, top, left + width, top + height);
}

QPoint TPrinterInfo::GetPaperSize() const
{
    return QPoint(int(RoundHalfUp(PhysicalWidth / ScaleX)), int(RoundHalfUp(PhysicalHeight / ScaleY)));
}

QPoint TPrinterInfo::MmToDevice(const QPoint& P) const
{
    return QPoint(int(RoundHalfUp(P.x() / 254.0L * DpiX)), int(RoundHalfUp(P.y() / 254.0L * DpiY)));
}

qint32 TPrinterInfo::PointToDevice(qint32 Size) const
{
    return MulDiv(Size, DpiY, 72);
}

void TPrinterInfo::SetCopies(qint32 N)
{
    if (DevMode.Copies() != qint16(N))
        DevMode.SetInt16(TDevMode::kCopies, qint16(N));
}
