#pragma once
// A QR code on a layout: a free text, a phone-book entry (MECARD or the line
// form) or a mail to be written (MATMSG or the line form), made from the
// item's own fields. The picture is made lazily by the QR maker through a
// work file "QRCode.bmp" in the work folder (written, read, deleted), at
// screen resolution for the designer and at the printer's for paper. The
// item's size follows from the picture, never from the mouse.
//
// Texts are code page 932 bytes as the record stores them, so a record reads
// back byte for byte whatever it holds.

#include "drawing/objects/DrawRect.h"
#include "platform/Font.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>

// Payload forms.
enum : quint8 { qdText = 0, qdMeCard = 1, qdPhoneLines = 2, qdMatMsg = 3, qdMailLines = 4 };
// Records of this layout version and later end with the Rotated byte.
inline constexpr qint32 kQRRotatedVersion = 301;

// Puts a backslash before \ : ; (and , when EscapeComma), character by
// character: the second byte of a double-byte character is never taken for
// one of them.
QByteArray EscapeQRCodeText(const QByteArray& Text, bool EscapeComma);

class TQRCodeRect : public TDrawRect {
public:
    TQRCodeRect();

    void Assign(const TDrawRect& Source) override;
    void SetRect(const TRect& R) override;
    void SetDisplayRect(const TRect& R) override;
    quint8 GetKind() const override { return ikQRCode; }
    void Draw(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void Print(TCanvas* Canvas, qint32 X, qint32 Y) override;
    void PreparePrint(const QPoint& Offset, bool Physical) override;
    // Makes the picture when Force or when it is not valid.
    void Refresh(bool Force) override;
    void LoadFromStream(QIODevice& Stream) override;
    void SaveToStream(QIODevice& Stream) const override;
    Qt::CursorShape GetCursor(qint32, qint32) const override { return Qt::ArrowCursor; }
    void DescribeFields(QJsonObject& Fields) const override;

    // Setters store a differing value and invalidate the picture only when
    // the value is part of the current payload form.
    void SetDataKind(quint8 Value);
    void SetCodeSize(qint32 Value);
    void SetColor(TColor Value);
    void SetBackColor(TColor Value);
    void SetRotated(bool Value);
    void SetText(const QByteArray& Value);
    void SetName(const QByteArray& Value);
    void SetKana(const QByteArray& Value);
    void SetTel(int Index, const QByteArray& Value);  // 0 or 1
    void SetMail(int Index, const QByteArray& Value); // 0 or 1
    void SetMemo(const QByteArray& Value);
    void SetMailTo(const QByteArray& Value);
    void SetSubject(const QByteArray& Value);
    void SetBody(const QByteArray& Value);
    void SetWorkFolder(const QString& Value) { WorkFolder = Value; }

    quint8 GetDataKind() const { return DataKind; }
    qint32 GetCodeSize() const { return CodeSize; }
    TColor GetColor() const { return Color; }
    TColor GetBackColor() const { return BackColor; }
    bool GetRotated() const { return Rotated; }
    const QByteArray& GetText() const { return Text; }
    const QByteArray& GetName() const { return Name; }
    const QByteArray& GetKana() const { return Kana; }
    QByteArray GetTel(int Index) const;
    QByteArray GetMail(int Index) const;
    const QByteArray& GetMemo() const { return Memo; }
    const QByteArray& GetMailTo() const { return MailTo; }
    const QByteArray& GetSubject() const { return Subject; }
    const QByteArray& GetBody() const { return Body; }
    const QString& GetWorkFolder() const { return WorkFolder; }
    bool IsImageValid() const { return ImageValid; }
    bool IsPrintMode() const { return PrintMode; }
    const QImage& GetBitmap() const { return Bitmap; }

    // The bytes the code carries in the current form.
    QByteArray Payload() const;
    // False when the payload is too long for any QR code; such an item keeps
    // its size and draws nothing.
    bool PayloadFits() const;

    void MakeImage();
    void ClearImage();
    // Back to screen resolution after printing (a new picture is made).
    void ResetPrintMode();

private:
    void Invalidate(bool Affects);

    bool ImageValid = false;
    QImage Bitmap;
    quint8 DataKind = qdText;
    qint32 CodeSize = 3;
    TColor Color = 0;
    TColor BackColor = 0xFFFFFF;
    QByteArray Text, Name, Kana;
    std::array<QByteArray, 2> Tels, Mails;
    QByteArray Subject, Body, Memo, MailTo;
    bool InternalResize = false;
    bool PrintMode = false;
    QString WorkFolder;
    bool Rotated = false;
};
