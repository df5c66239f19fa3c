#pragma once
// The postal customer barcode of the addressee. The designers hand it each
// record's postal code and address; the bars come from the customer-barcode
// module as a bitmap file in the data folder ("Barcode.bmp", read and
// deleted at once). The picture is stretched onto screen and paper; its
// size follows from the size class and the direction, never from the mouse.

#include "drawing/objects/DrawRect.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// Size classes 0-3: 8, 9, 10 and 11 points.
inline constexpr quint8 kBarcodeSizeClasses = 4;
// Up to this layout version (exclusive) the record holds the item's own
// Visible byte.
inline constexpr qint32 kBarcodeOwnVisibleBefore = 200;

// Thickness and length in layout pixels of a size class (clamped to 0-3).
qint32 BarcodeThickness(quint8 SizeClass);
qint32 BarcodeLength(quint8 SizeClass);

// The largest class whose length in 0.1 mm is below Width; false when even
// class 0 does not fit (SizeClass is then left alone).
bool FindBarcodeSizeClass(qint32 Width, quint8& SizeClass);

class TBarcodeRect : public TDrawRect {
public:
    TBarcodeRect();
    ~TBarcodeRect() override;

    void SetRect(const TRect& R) override;
    void SetDisplayRect(const TRect& R) override;
    // Class, direction, picture and the rectangle as the source has them.
    void Assign(const TDrawRect& Source) override;
    quint8 GetKind() const override { return ikBarcode; }
    void Draw(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void Print(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    Qt::CursorShape GetCursor(qint32, qint32) const override { return Qt::ArrowCursor; }
    void DescribeFields(QJsonObject& Fields) const override;

    // Stores the class and resizes the item to it, centred on the old
    // rectangle (only when the class changes; above 3 counts as 3).
    void SetSizeClass(quint8 Value);
    // Stores the direction only; the designers call SetSizeClass afterwards.
    void SetHorizontal(bool Value) { Horizontal = Value; }
    void ClearBarcode();
    // Turns the picture by 180 degrees (a layout turned upside down).
    void RotateBitmap();
    // Makes the bars of a record. Address: prefecture and address lines
    // joined by JoinBarcodeAddress (a number ends where two lines meet). The
    // picture is empty when no barcode can be made.
    void MakeBarcode(const QString& PostalCode, const QString& Address, const QString& LibraryFolder,
                     const QString& DictionaryFolder, const QString& WorkFolder);

    quint8 GetSizeClass() const { return SizeClass; }
    bool GetHorizontal() const { return Horizontal; }
    const QImage& GetBitmap() const { return Bitmap; }
    // Width and height of the current class and direction.
    QSize BarcodeSize() const;

private:
    bool LibraryLoaded = false;
    QImage Bitmap;
    quint8 SizeClass = 2;
    bool Horizontal = true;
    bool InternalResize = false;
};

// Shared by the barcode and the QR code: a display move divided by the
// zoom, rounded half away from zero (0 for a zoom of 0).
qint32 BarcodeLogicalMove(qint32 DisplayMove, double Zoom);
