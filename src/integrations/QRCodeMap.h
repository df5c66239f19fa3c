#pragma once
// TQRCodeMap: a QR code of the web-map link for an address, for a phone to
// read. SetAddress trims the address; the dialog is then shown modally.

#include "platform/ui/DialogKit.h"

#include <QImage>

class QLabel;

class TQRCodeMap : public TModalDialog {
    Q_OBJECT
public:
    explicit TQRCodeMap(QWidget* owner = nullptr);

    void SetAddress(const QString& address);
    // The link the code holds, and the code as shown (white margin included);
    // a null image when no code could be made.
    const QString& Link() const { return link_; }
    const QImage& Image() const { return image_; }

private:
    QLabel* picture_;
    QLabel* caption_;
    QString link_;
    QImage image_;
};

// The QR code of text (UTF-8) with a quiet zone of four modules, each module
// scale pixels square; a null image when the text does not fit.
QImage MakeQRCodeImage(const QString& text, int scale);
