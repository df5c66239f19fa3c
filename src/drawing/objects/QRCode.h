#pragma once
// The QR maker the QR-code items draw with: it takes its settings like a
// control (cell unit and pitch, dark and light colours, the input data),
// encodes on refresh and saves the code as a 1-bit bitmap file whose palette
// index 1 is the dark colour. The payload is code page 932 bytes, encoded
// with kanji mode wherever two bytes form a Shift-JIS double-byte character,
// error correction level M, the smallest version that holds it.
//
// Quiet zone: four modules of the light colour on every side, inside the
// bitmap (the width readers ask for), so the item's rectangle is the whole
// readable area.

#include "platform/Font.h"

#include <QByteArray>
#include <QImage>
#include <QString>

inline constexpr int kQRQuietModules = 4;
// The largest module, in pixels, that is drawn: a damaged record's code size
// must not ask for a picture of gigabytes.
inline constexpr int kQRMaxModulePixels = 64;

class TQRMaker {
public:
    // Pitch is kept as a length: changing the unit afterwards keeps it, so
    // pitch 3 at unit 96 and then unit 600 gives modules of 18.75 pixels,
    // drawn as 19.
    void SetCellUnit(int Value);
    void SetCellPitch(int Value);
    void SetForeBColor(TColor Value) { Dark = Value; }
    void SetForeWColor(TColor Value) { Light = Value; }
    void SetInputData(const QByteArray& Value) { Data = Value; }
    // Encodes the input data. False when it cannot be encoded (too long for
    // any version): nothing is saved and the image size is 0 x 0.
    bool Refresh();
    // Writes the bitmap file; false when nothing is encoded or the file
    // cannot be written.
    bool SaveImage(const QString& FileName) const;
    // Size of the picture in millimetres.
    double ImageWidth() const;
    double ImageHeight() const;
    // The picture itself (palette: 0 light, 1 dark), null when not encoded.
    const QImage& Image() const { return Picture; }
    // The encoder's message after a failed refresh.
    const QString& ErrorText() const { return Error; }
    int ModulePixels() const;

private:
    int Unit = 96;
    double PitchInches = 3.0 / 96;
    TColor Dark = 0;
    TColor Light = 0xFFFFFF;
    QByteArray Data;
    QImage Picture;
    QString Error;
};

// True when the payload fits a QR code (error correction M).
bool QRPayloadFits(const QByteArray& Payload);
