#pragma once
// The customer barcode and the QR code in the harness: their configurators
// (item file fields to the item) and what drawprobe notes of them. Their
// work files go to a temporary folder of the harness's own.

#include <QJsonObject>

class TDrawRect;

// "posCode" (the postal code), "lines" (the address, joined), "sizeClass",
// "horizontal", "rotated".
void ConfigureProbeBarcode(TDrawRect& Item, const QJsonObject& Desc);
// The symbols drawn and the picture's size.
QJsonObject ProbeBarcodeDecisions(const TDrawRect& Item);
// "dataKind", "codeSize", "color", "backColor", "text", "name", "kana",
// "tels" [2], "mails" [2], "memo", "mailTo", "subject", "body", "rotated".
void ConfigureProbeQRCode(TDrawRect& Item, const QJsonObject& Desc);
// The payload (code page 932 as hex, and as text) and the picture's size.
QJsonObject ProbeQRCodeDecisions(const TDrawRect& Item);
