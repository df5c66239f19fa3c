#include "ProbeCodes.h"

#include "drawing/objects/BarcodeRect.h"
#include "drawing/objects/CustomerBarcode.h"
#include "drawing/objects/QRCodeRect.h"
#include "platform/Cp932.h"

#include <QJsonArray>
#include <QStringList>
#include <QTemporaryDir>

namespace {

QString WorkFolder()
{
    static QTemporaryDir dir;
    return dir.path() + QLatin1Char('/');
}

QByteArray Bytes(const QJsonObject& desc, const char* key)
{
    return cp932::Encode(desc.value(QLatin1String(key)).toString());
}

QJsonArray SizeOf(const QImage& image)
{
    return QJsonArray{image.width(), image.height()};
}

} // namespace

void ConfigureProbeBarcode(TDrawRect& Item, const QJsonObject& Desc)
{
    auto* b = dynamic_cast<TBarcodeRect*>(&Item);
    if (!b)
        return;
    QStringList lines;
    for (const QJsonValue& v : Desc.value(QStringLiteral("lines")).toArray())
        lines << v.toString();
    b->SetHorizontal(Desc.value(QStringLiteral("horizontal")).toBool(true));
    const quint8 sizeClass = static_cast<quint8>(Desc.value(QStringLiteral("sizeClass")).toInt(2));
    // A new class resizes; the same class is set again after a turn.
    b->SetSizeClass(sizeClass == 0 ? 1 : 0);
    b->SetSizeClass(sizeClass);
    b->MakeBarcode(Desc.value(QStringLiteral("posCode")).toString(), JoinBarcodeAddress(lines), WorkFolder(),
                   WorkFolder(), WorkFolder());
    if (Desc.value(QStringLiteral("rotated")).toBool(false))
        b->RotateBitmap();
}

QJsonObject ProbeBarcodeDecisions(const TDrawRect& Item)
{
    const auto* b = dynamic_cast<const TBarcodeRect*>(&Item);
    if (!b)
        return {};
    return QJsonObject{{QStringLiteral("bitmap"), SizeOf(b->GetBitmap())},
                       {QStringLiteral("sizeClass"), b->GetSizeClass()},
                       {QStringLiteral("horizontal"), b->GetHorizontal()}};
}

void ConfigureProbeQRCode(TDrawRect& Item, const QJsonObject& Desc)
{
    auto* q = dynamic_cast<TQRCodeRect*>(&Item);
    if (!q)
        return;
    q->SetWorkFolder(WorkFolder());
    q->SetDataKind(static_cast<quint8>(Desc.value(QStringLiteral("dataKind")).toInt(0)));
    q->SetCodeSize(Desc.value(QStringLiteral("codeSize")).toInt(3));
    q->SetColor(static_cast<TColor>(Desc.value(QStringLiteral("color")).toInt(0)));
    q->SetBackColor(static_cast<TColor>(Desc.value(QStringLiteral("backColor")).toInt(0xFFFFFF)));
    q->SetText(Bytes(Desc, "text"));
    q->SetName(Bytes(Desc, "name"));
    q->SetKana(Bytes(Desc, "kana"));
    const QJsonArray tels = Desc.value(QStringLiteral("tels")).toArray();
    const QJsonArray mails = Desc.value(QStringLiteral("mails")).toArray();
    for (int i = 0; i < 2; ++i) {
        q->SetTel(i, cp932::Encode(tels.at(i).toString()));
        q->SetMail(i, cp932::Encode(mails.at(i).toString()));
    }
    q->SetMemo(Bytes(Desc, "memo"));
    q->SetMailTo(Bytes(Desc, "mailTo"));
    q->SetSubject(Bytes(Desc, "subject"));
    q->SetBody(Bytes(Desc, "body"));
    q->SetRotated(Desc.value(QStringLiteral("rotated")).toBool(false));
    q->Refresh(true);
}

QJsonObject ProbeQRCodeDecisions(const TDrawRect& Item)
{
    const auto* q = dynamic_cast<const TQRCodeRect*>(&Item);
    if (!q)
        return {};
    const QByteArray payload = q->Payload();
    return QJsonObject{{QStringLiteral("payloadHex"), QString::fromLatin1(payload.toHex())},
                       {QStringLiteral("payload"), cp932::Decode(payload)},
                       {QStringLiteral("fits"), q->PayloadFits()},
                       {QStringLiteral("printMode"), q->IsPrintMode()},
                       {QStringLiteral("bitmap"), SizeOf(q->GetBitmap())}};
}
