#include "drawing/objects/QRCode.h"

#include "core/common/Units.h"

#include <QFile>

#include <zint.h>

#include <algorithm>
#include <memory>

namespace {

struct TSymbolDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};
using TSymbol = std::unique_ptr<zint_symbol, TSymbolDeleter>;

bool ModuleSet(const zint_symbol& s, int row, int col)
{
    return (s.encoded_data[row][col >> 3] >> (col & 7)) & 1;
}

QRgb Rgb(TColor c)
{
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// Encodes Data; the symbol, or nullptr with the message in error.
TSymbol Encode(const QByteArray& data, QString& error)
{
    TSymbol s(ZBarcode_Create());
    if (!s) {
        error = QStringLiteral("out of memory");
        return nullptr;
    }
    s->symbology = BARCODE_QRCODE;
    s->input_mode = DATA_MODE;
    s->option_1 = 2; // level M
    s->option_3 = ZINT_FULL_MULTIBYTE;
    const int r = ZBarcode_Encode(s.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                  static_cast<int>(data.size()));
    if (r >= ZINT_ERROR) {
        error = QString::fromUtf8(s->errtxt);
        return nullptr;
    }
    return s;
}

} // namespace

bool QRPayloadFits(const QByteArray& Payload)
{
    if (Payload.isEmpty())
        return true;
    QString error;
    return Encode(Payload, error) != nullptr;
}

void TQRMaker::SetCellUnit(int Value)
{
    if (Value > 0)
        Unit = Value;
}

void TQRMaker::SetCellPitch(int Value)
{
    PitchInches = static_cast<double>(Value) / Unit;
}

int TQRMaker::ModulePixels() const
{
    const long double px = static_cast<long double>(PitchInches) * Unit;
    return static_cast<int>(std::clamp<int64_t>(RoundHalfUp(std::clamp<long double>(px, 0, 1e6)), 1, kQRMaxModulePixels));
}

bool TQRMaker::Refresh()
{
    Picture = QImage();
    Error.clear();
    const int m = ModulePixels();
    int modules = 21; // an empty code keeps the size of the smallest version
    TSymbol s;
    if (!Data.isEmpty()) {
        s = Encode(Data, Error);
        if (!s)
            return false;
        modules = s->width;
    }
    const int side = (modules + 2 * kQRQuietModules) * m;
    Picture = QImage(side, side, QImage::Format_Mono);
    if (Picture.isNull()) {
        Error = QStringLiteral("out of memory");
        return false;
    }
    Picture.setColorTable({Rgb(Light), Rgb(Dark)});
    Picture.fill(0);
    if (s) {
        for (int row = 0; row < s->rows; ++row)
            for (int col = 0; col < s->width; ++col) {
                if (!ModuleSet(*s, row, col))
                    continue;
                const int x0 = (col + kQRQuietModules) * m, y0 = (row + kQRQuietModules) * m;
                for (int y = y0; y < y0 + m; ++y) {
                    uchar* line = Picture.scanLine(y);
                    for (int x = x0; x < x0 + m; ++x)
                        line[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
                }
            }
    }
    return true;
}

bool TQRMaker::SaveImage(const QString& FileName) const
{
    if (Picture.isNull())
        return false;
    if (!Picture.save(FileName, "BMP")) {
        QFile::remove(FileName);
        return false;
    }
    return true;
}

double TQRMaker::ImageWidth() const
{
    return Picture.isNull() ? 0.0 : Picture.width() * 25.4 / std::max(1, Unit);
}

double TQRMaker::ImageHeight() const
{
    return Picture.isNull() ? 0.0 : Picture.height() * 25.4 / std::max(1, Unit);
}
