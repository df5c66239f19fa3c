#include "drawing/objects/QRCodeRect.h"

#include "core/common/Units.h"
#include "drawing/objects/BarcodeRect.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/QRCode.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/Cp932.h"
#include "platform/RefDevice.h"

#include <QFile>
#include <QIODevice>
#include <QJsonObject>

#include <algorithm>
#include <climits>

namespace {

qint32 Sat(qint64 v)
{
    return static_cast<qint32>(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}

QRgb Rgb(TColor c)
{
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

const QByteArray kCrLf("\r\n");

} // namespace

QByteArray EscapeQRCodeText(const QByteArray& Text, bool EscapeComma)
{
    QByteArray out;
    out.reserve(Text.size() + 8);
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (cp932::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < Text.size()) {
            out += c;
            out += Text[++i];
            continue;
        }
        if (c == '\\' || c == ':' || c == ';' || (EscapeComma && c == ','))
            out += '\\';
        out += c;
    }
    return out;
}

TQRCodeRect::TQRCodeRect() = default;

void TQRCodeRect::Assign(const TDrawRect& Source)
{
    const auto* q = dynamic_cast<const TQRCodeRect*>(&Source);
    // The source's rectangle is taken whole: its size is its code's.
    InternalResize = q && q != this;
    TDrawRect::Assign(Source);
    InternalResize = false;
    if (!q || q == this)
        return;
    DataKind = q->DataKind;
    CodeSize = q->CodeSize;
    Color = q->Color;
    BackColor = q->BackColor;
    Text = q->Text;
    Name = q->Name;
    Kana = q->Kana;
    Tels = q->Tels;
    Mails = q->Mails;
    Memo = q->Memo;
    MailTo = q->MailTo;
    Subject = q->Subject;
    Body = q->Body;
    Rotated = q->Rotated; // stored: a copy must not come out the other way up
    ImageValid = false;
}

void TQRCodeRect::SetRect(const TRect& R)
{
    TRect r = R;
    if (!InternalResize)
        r = TRect(R.Left, R.Top, Sat(qint64(R.Left) + Rect.Width()), Sat(qint64(R.Top) + Rect.Height()));
    InternalResize = false;
    TDrawRect::SetRect(r);
}

void TQRCodeRect::SetDisplayRect(const TRect& R)
{
    const qint32 dx = BarcodeLogicalMove(Sat(qint64(R.Left) - DisplayRect.Left), Zoom);
    const qint32 dy = BarcodeLogicalMove(Sat(qint64(R.Top) - DisplayRect.Top), Zoom);
    InternalResize = true;
    SetRect(Moved(Rect, dx, dy));
}

void TQRCodeRect::Invalidate(bool Affects)
{
    if (Affects)
        ImageValid = false;
}

void TQRCodeRect::SetDataKind(quint8 Value)
{
    if (DataKind != Value) {
        DataKind = Value;
        ImageValid = false;
    }
}

void TQRCodeRect::SetCodeSize(qint32 Value)
{
    if (CodeSize != Value) {
        CodeSize = Value;
        ImageValid = false;
    }
}

void TQRCodeRect::SetColor(TColor Value)
{
    if (Color != Value) {
        Color = Value;
        ImageValid = false;
    }
}

void TQRCodeRect::SetBackColor(TColor Value)
{
    if (BackColor != Value) {
        BackColor = Value;
        ImageValid = false;
    }
}

void TQRCodeRect::SetRotated(bool Value)
{
    if (Rotated != Value) {
        Rotated = Value;
        ImageValid = false;
    }
}

#define QR_SETTER(Field, Kinds)                                                                                        \
    void TQRCodeRect::Set##Field(const QByteArray& Value)                                                              \
    {                                                                                                                  \
        if (Field != Value) {                                                                                          \
            Field = Value;                                                                                             \
            Invalidate(Kinds);                                                                                         \
        }                                                                                                              \
    }

QR_SETTER(Text, DataKind == qdText)
QR_SETTER(Name, DataKind == qdMeCard || DataKind == qdPhoneLines)
QR_SETTER(Kana, DataKind == qdMeCard || DataKind == qdPhoneLines)
QR_SETTER(Memo, DataKind == qdMeCard || DataKind == qdPhoneLines)
QR_SETTER(MailTo, DataKind == qdMatMsg || DataKind == qdMailLines)
QR_SETTER(Subject, DataKind == qdMatMsg || DataKind == qdMailLines)
QR_SETTER(Body, DataKind == qdMatMsg || DataKind == qdMailLines)
#undef QR_SETTER

void TQRCodeRect::SetTel(int Index, const QByteArray& Value)
{
    if (Index < 0 || Index > 1 || Tels[Index] == Value)
        return;
    Tels[Index] = Value;
    Invalidate(DataKind == qdMeCard || DataKind == qdPhoneLines);
}

void TQRCodeRect::SetMail(int Index, const QByteArray& Value)
{
    if (Index < 0 || Index > 1 || Mails[Index] == Value)
        return;
    Mails[Index] = Value;
    Invalidate(DataKind == qdMeCard || DataKind == qdPhoneLines);
}

QByteArray TQRCodeRect::GetTel(int Index) const
{
    return Index == 0 || Index == 1 ? Tels[Index] : QByteArray();
}

QByteArray TQRCodeRect::GetMail(int Index) const
{
    return Index == 0 || Index == 1 ? Mails[Index] : QByteArray();
}

QByteArray TQRCodeRect::Payload() const
{
    QByteArray out;
    // "Tag" + escaped value + ";" for a non-empty value.
    auto field = [&out](const char* tag, const QByteArray& v, bool comma) {
        if (!v.isEmpty())
            out += tag + EscapeQRCodeText(v, comma) + ';';
    };
    auto line = [&out](const QByteArray& tag, const QByteArray& v) {
        if (!v.isEmpty())
            out += tag + v + kCrLf;
    };
    switch (DataKind) {
    case qdText:
        return Text;
    case qdMeCard:
        field("N:", Name, true);
        field("SOUND:", Kana, true);
        field("TEL:", Tels[0], false);
        field("TEL:", Tels[1], false);
        field("EMAIL:", Mails[0], false);
        field("EMAIL:", Mails[1], false);
        field("NOTE:", Memo, false);
        return out.isEmpty() ? out : "MECARD:" + out + ';';
    case qdPhoneLines: {
        line("NAME1:", Name);
        line("NAME2:", Kana);
        int n = 0;
        for (const QByteArray& t : Tels)
            if (!t.isEmpty())
                line("TEL" + QByteArray::number(++n) + ':', t);
        n = 0;
        for (const QByteArray& m : Mails)
            if (!m.isEmpty())
                line("MAIL" + QByteArray::number(++n) + ':', m);
        return out.isEmpty() ? out : "MEMORY:" + Memo + kCrLf + out;
    }
    case qdMatMsg:
        field("TO:", MailTo, false);
        field("SUB:", Subject, false);
        field("BODY:", Body, false);
        return out.isEmpty() ? out : "MATMSG:" + out + ';';
    case qdMailLines:
        if (MailTo.isEmpty())
            return {};
        line("MAILTO:", MailTo);
        line("BODY:", Body);
        line("SUBJECT:", Subject);
        return out;
    default:
        return {};
    }
}

bool TQRCodeRect::PayloadFits() const
{
    return QRPayloadFits(Payload());
}

void TQRCodeRect::ClearImage()
{
    Bitmap = QImage();
    ImageValid = false;
}

void TQRCodeRect::MakeImage()
{
    Bitmap = QImage();
    const TRefDevice& dev = RefDevice();
    const int dpiY = PrintMode && dev.hasPrinter && dev.dpiY > 0 ? dev.dpiY : 96;
    const QByteArray payload = Payload();
    TQRMaker maker;
    maker.SetCellUnit(96);
    maker.SetCellPitch(CodeSize);
    maker.SetCellUnit(dpiY);
    maker.SetForeBColor(Color);
    maker.SetForeWColor(BackColor);
    maker.SetInputData(payload);
    const bool encoded = maker.Refresh();

    QString folder = WorkFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    const QString file = folder + QStringLiteral("QRCode.bmp");
    if (maker.SaveImage(file) && QFile::exists(file)) {
        QImage loaded;
        if (loaded.load(file, "BMP") && !loaded.isNull()) {
            Bitmap = loaded.convertToFormat(QImage::Format_Mono);
            if (payload.isEmpty()) {
                Bitmap.fill(0);
            } else if (Rotated) {
                if (std::optional<QImage> turned = RotateBitmap(Bitmap, 2))
                    Bitmap = *turned;
            }
            Bitmap.setColorTable({Rgb(BackColor), Rgb(Color)});
        }
    }
    if (QFile::exists(file))
        QFile::remove(file);

    ImageValid = true;
    // A payload no code can hold leaves the item where and as large as it
    // was: shrinking it to nothing would hide it in the designer.
    if (!encoded)
        return;
    const qint32 h = Sat(RoundHalfUp(maker.ImageHeight() / 25.4L * 96));
    const qint32 w = Sat(RoundHalfUp(maker.ImageWidth() / 25.4L * 96));
    qint64 left = Rect.Left, top = Rect.Top;
    if (Rect.Width() != 0 && Rect.Height() != 0) {
        left += (qint64(Rect.Width()) - w) / 2;
        top += (qint64(Rect.Height()) - h) / 2;
    }
    InternalResize = true;
    SetRect(TRect(Sat(left), Sat(top), Sat(left + w), Sat(top + h)));
}

void TQRCodeRect::Refresh(bool Force)
{
    if (Force || !ImageValid)
        MakeImage();
}

void TQRCodeRect::PreparePrint(const QPoint& Offset, bool Physical)
{
    TDrawRect::PreparePrint(Offset, Physical);
    PrintMode = true;
    Refresh(true);
}

void TQRCodeRect::ResetPrintMode()
{
    PrintMode = false;
    Refresh(true);
}

void TQRCodeRect::Draw(TCanvas* Canvas, qint32 X, qint32 Y)
{
    Refresh(false);
    if (Canvas && !Bitmap.isNull())
        StretchDIB(*Canvas, Bitmap, Moved(DisplayRect, X, Y));
}

void TQRCodeRect::Print(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (!Canvas || Bitmap.isNull())
        return;
    // A damaged record can place the code where its far edge lies beyond
    // the int range: that is off every page, and nothing is drawn.
    const qint64 x = qint64(PrintRect.Left) + X, y = qint64(PrintRect.Top) + Y;
    if (x < INT_MIN || y < INT_MIN || x + Bitmap.width() > INT_MAX || y + Bitmap.height() > INT_MAX)
        return;
    // Only the part on the page goes out: a code of large modules can be
    // many times the page.
    const TRect v = VisiblePart(*Canvas, TRect(int(x), int(y), int(x + Bitmap.width()), int(y + Bitmap.height())));
    if (v.Right <= v.Left || v.Bottom <= v.Top)
        return;
    if (v.Width() == Bitmap.width() && v.Height() == Bitmap.height())
        Canvas->Draw(v.Left, v.Top, Bitmap);
    else
        Canvas->Draw(v.Left, v.Top, Bitmap.copy(int(v.Left - x), int(v.Top - y), v.Width(), v.Height()));
}

void TQRCodeRect::LoadFromStream(QIODevice& Stream)
{
    // A record cut short leaves the item, base part included, as it was.
    const TRect rect = Rect, displayRect = DisplayRect;
    const bool visible = Visible;
    qint32 codeSize, color, backColor;
    quint8 dataKind;
    std::array<QByteArray, 11> s;
    bool rotated = false;
    try {
        TDrawRect::LoadFromStream(Stream);
        codeSize = ReadStreamInt32(Stream);
        color = ReadStreamInt32(Stream);
        backColor = ReadStreamInt32(Stream);
        dataKind = ReadStreamByte(Stream);
        for (QByteArray& v : s)
            ReadStreamStr(Stream, v);
        if (DrawRectFileVersion >= kQRRotatedVersion)
            rotated = ReadStreamBool(Stream);
    } catch (...) {
        Rect = rect;
        DisplayRect = displayRect;
        Visible = visible;
        throw;
    }
    CodeSize = codeSize;
    Color = static_cast<TColor>(color);
    BackColor = static_cast<TColor>(backColor);
    DataKind = dataKind;
    Text = s[0];
    Name = s[1];
    Kana = s[2];
    Tels = {s[3], s[4]};
    Mails = {s[5], s[6]};
    Memo = s[7];
    MailTo = s[8];
    Subject = s[9];
    Body = s[10];
    Rotated = rotated;
    ImageValid = false;
}

void TQRCodeRect::SaveToStream(QIODevice& Stream) const
{
    TDrawRect::SaveToStream(Stream);
    WriteStreamInt32(Stream, CodeSize);
    WriteStreamInt32(Stream, static_cast<qint32>(Color));
    WriteStreamInt32(Stream, static_cast<qint32>(BackColor));
    WriteStreamByte(Stream, DataKind);
    for (const QByteArray* v : {&Text, &Name, &Kana, &Tels[0], &Tels[1], &Mails[0], &Mails[1], &Memo, &MailTo,
                                &Subject, &Body})
        WriteStreamStr(*v, Stream);
    WriteStreamBool(Stream, Rotated);
}

void TQRCodeRect::DescribeFields(QJsonObject& Fields) const
{
    TDrawRect::DescribeFields(Fields);
    Fields[QStringLiteral("CodeSize")] = CodeSize;
    Fields[QStringLiteral("Color")] = static_cast<qint64>(Color);
    Fields[QStringLiteral("BackColor")] = static_cast<qint64>(BackColor);
    Fields[QStringLiteral("DataKind")] = DataKind;
    const char* names[] = {"Text", "Name", "Kana", "Tel1", "Tel2", "Mail1", "Mail2", "Memo", "MailTo", "Subject", "Body"};
    const QByteArray* values[] = {&Text, &Name, &Kana, &Tels[0], &Tels[1], &Mails[0], &Mails[1], &Memo, &MailTo,
                                  &Subject, &Body};
    for (int i = 0; i < 11; ++i)
        Fields[QString::fromLatin1(names[i])] = cp932::Decode(*values[i]);
    Fields[QStringLiteral("Rotated")] = Rotated;
}
