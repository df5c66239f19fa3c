#include "integrations/QRCodeMap.h"

#include "integrations/MapServices.h"
#include "platform/Cp932.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include <zint.h>

#include <memory>

namespace {

constexpr int kQuietModules = 4;
constexpr int kModulePixels = 4;

} // namespace

QImage MakeQRCodeImage(const QString& text, int scale)
{
    const QByteArray data = text.toUtf8();
    if (data.isEmpty() || scale < 1)
        return {};
    std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol)
        return {};
    symbol->symbology = BARCODE_QRCODE;
    symbol->input_mode = UNICODE_MODE;
    symbol->scale = 0.5f; // one pixel per module; scaled below without smoothing
    const int error = ZBarcode_Encode_and_Buffer(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                                                 int(data.size()), 0);
    if (error >= ZINT_ERROR || !symbol->bitmap || symbol->bitmap_width <= 0 || symbol->bitmap_height <= 0)
        return {};
    const int w = symbol->bitmap_width;
    const int h = symbol->bitmap_height;
    QImage code(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = symbol->bitmap + size_t(y) * size_t(w) * 3;
        for (int x = 0; x < w; ++x)
            code.setPixel(x, y, qRgb(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]));
    }
    const int margin = kQuietModules * scale;
    QImage out(w * scale + 2 * margin, h * scale + 2 * margin, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(QRect(margin, margin, w * scale, h * scale), code);
    return out;
}

TQRCodeMap::TQRCodeMap(QWidget* owner) : TModalDialog(owner)
{
    setWindowTitle(QStringLiteral("QRコード地図"));
    picture_ = new QLabel(this);
    picture_->setAlignment(Qt::AlignCenter);
    caption_ = new QLabel(this);
    caption_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &TModalDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture_);
    layout->addWidget(caption_);
    layout->addWidget(buttons);
    ApplyDialogConventions(this);
}

void TQRCodeMap::SetAddress(const QString& address)
{
    const QString trimmed = cp932::Trim(address);
    if (trimmed.isEmpty()) {
        link_.clear();
        image_ = QImage();
        picture_->clear();
        caption_->setText(QStringLiteral("住所が入力されていません  "));
        return;
    }
    link_ = WebMapUrl(trimmed);
    image_ = MakeQRCodeImage(link_, kModulePixels);
    if (image_.isNull()) {
        picture_->clear();
        caption_->setText(QStringLiteral("QRコードを作成できませんでした  "));
        return;
    }
    picture_->setPixmap(QPixmap::fromImage(image_));
    caption_->setText(trimmed);
}
