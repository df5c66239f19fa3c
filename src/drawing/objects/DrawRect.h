#pragma once
// Base of every item that a designer places on a layout: its rectangle in
// layout pixels (96 dpi), on the zoomed screen and on the printer page, the
// clip line set by its owner, the Visible flag, hit zones and resize cursors,
// and the base part of every item record.

#include <QPoint>
#include <QRect>
#include <Qt>
#include <QtGlobal>

#include <memory>
#include <string_view>
#include <vector>

class QIODevice;
class QJsonObject;
class TCanvas;

// A Windows-style rectangle: Right and Bottom are exclusive.
struct TRect {
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Right = 0;
    qint32 Bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(qint32 l, qint32 t, qint32 r, qint32 b) : Left(l), Top(t), Right(r), Bottom(b) {}
    static TRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

    // Rectangles come from files: a span beyond the Int32 range saturates.
    constexpr qint32 Width() const { return Span(Left, Right); }
    constexpr qint32 Height() const { return Span(Top, Bottom); }
    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;

private:
    static constexpr qint32 Span(qint32 from, qint32 to)
    {
        const qint64 d = qint64(to) - from;
        return d > INT32_MAX ? INT32_MAX : d < INT32_MIN ? INT32_MIN : qint32(d);
    }
};

// Four Int32, Left, Top, Right, Bottom, little-endian.
TRect ReadStreamRect(QIODevice& Stream);
void WriteStreamRect(QIODevice& Stream, const TRect& R);

// Version of the item records being read. Whoever reads records sets it
// first: file loaders from the file header, paste and undo replay to
// DrawRectCurrentVersion.
extern qint32 DrawRectFileVersion;
// Version of the records this program writes.
inline constexpr qint32 DrawRectCurrentVersion = 600;
// Longer side of the current paper in 0.1 mm; text items scale their default
// font heights by DrawRectPaperLength / 1480 (the postcard's long side).
extern qint32 DrawRectPaperLength;
inline constexpr qint32 kPostcardPaperLength = 1480;

// Raises EDrawRectStreamError when DrawRectFileVersion is one this program
// cannot read (negative, or newer than DrawRectCurrentVersion).
void CheckDrawRectFileVersion();

// Item-kind codes, the result of GetKind. 3 and 7 are not used.
enum : quint8 {
    ikPosCode = 0,        // addressee postal code (TPosRect)
    ikAddress = 1,        // addressee address (TAddressRect)
    ikName = 2,           // addressee name or company line (TNameRect, TCorpRect)
    ikSenderPosCode = 4,  // sender postal code (TPosRect with the sender flag)
    ikSenderAddress = 5,  // sender address (TAddressRect with the sender flag)
    ikSenderName = 6,     // sender name or company line (TNameRect, TCorpRect with the sender flag)
    ikAddition = 8,       // additional item (TAdditionRect)
    ikBarcode = 9,        // postal customer barcode (TBarcodeRect)
    ikIllust = 10,        // picture (TIllustRect)
    ikWord = 11,          // free text (TWordRect)
    ikFigure = 12,        // figure (TFigureRect)
    ikQRCode = 13,        // QR code (TQRCodeRect)
    ikSender = 14,        // sender block (TSenderRect)
};

// Clip sides: the part of the item that stays visible.
enum : quint8 { csNone = 0, csLeft = 1, csAbove = 2, csRight = 3, csBelow = 4 };

// Hit zones of GetHitZoneX / GetHitZoneY.
enum : quint8 { hzLeft = 0, hzRight = 1, hzTop = 2, hzBottom = 3, hzCentre = 4, hzNone = 5 };
// The zone of p on one axis from lo to hi: nearZone, hzCentre, farZone or
// hzNone.
quint8 HitZone(qint64 p, qint64 lo, qint64 hi, quint8 nearZone, quint8 farZone);

class TDrawRect {
public:
    TDrawRect();
    virtual ~TDrawRect();
    TDrawRect(const TDrawRect&) = delete;
    TDrawRect& operator=(const TDrawRect&) = delete;

    // Copies the rectangle (through SetRect, so it takes the receiver's zoom)
    // and Visible; zoom, clip and PrintRect stay.
    virtual void Assign(const TDrawRect& Source);
    virtual void SetZoom(double Value);
    virtual TRect GetRect() const;
    virtual void SetRect(const TRect& R);
    virtual TRect GetDisplayRect() const;
    virtual void SetDisplayRect(const TRect& R);
    virtual void SetClipSide(quint8 Value);
    virtual void SetClipLine(qint32 Value);
    virtual quint8 GetKind() const = 0;
    virtual void Draw(TCanvas* Canvas, qint32 X, qint32 Y) = 0;
    virtual void Print(TCanvas* Canvas, qint32 X, qint32 Y) = 0;
    // Offset is the page offset in 0.1 mm; with Physical False the result is
    // moved by the printer's physical offset (origin at the printable area).
    virtual void PreparePrint(const QPoint& Offset, bool Physical);
    virtual void Refresh(bool Force);
    virtual void LoadFromStream(QIODevice& Stream);
    virtual void SaveToStream(QIODevice& Stream) const;
    virtual bool HitTest(qint32 X, qint32 Y) const;
    virtual Qt::CursorShape GetCursor(qint32 X, qint32 Y) const;
    // Low byte GetHitZoneX, high byte GetHitZoneY.
    virtual quint16 GetHitZone(qint32 X, qint32 Y) const;
    // Puts every field the item's record stores into Fields, by its name
    // with its value; each class adds its own after its parent's.
    virtual void DescribeFields(QJsonObject& Fields) const;

    quint8 GetHitZoneX(qint32 X) const;
    quint8 GetHitZoneY(qint32 Y) const;

    TRect GetPrintRect() const { return PrintRect; }
    double GetZoom() const { return Zoom; }
    quint8 GetClipSide() const { return ClipSide; }
    qint32 GetClipLine() const { return ClipLine; }
    bool IsVisible() const { return Visible; }
    void SetVisible(bool Value) { Visible = Value; }

protected:
    TRect Rect;
    TRect DisplayRect;
    TRect PrintRect;
    double Zoom = 1.0;
    qint32 ClipLine = 0;
    quint8 ClipSide = csNone;
    bool Visible = true;
};

// Class references. Records do not name their class: the container knows
// which class comes next, and a kind code alone does not always decide it
// (kind 2 is a name or a company line, and TPosRect serves kinds 0 and 4).
// So a class is found by its name, and a kind picks a class only where one
// class alone is registered for it. The factory receives the kind so that it
// can set the sender flag the kind implies (the flag is not in the record).
using TDrawRectFactory = std::unique_ptr<TDrawRect> (*)(quint8 Kind);

struct TDrawRectClass {
    const char* Name;             // the class name, e.g. "TNameRect"
    std::vector<quint8> Kinds;    // kinds it serves; the first is its default
    TDrawRectFactory Create;
};

// Registration is explicit (the program registers every item class once at
// start): static self-registration would be dropped by the linker from a
// static library whose object file nothing else references. Returns False
// when the name is taken or the entry is incomplete.
bool RegisterDrawRectClass(TDrawRectClass Class);
void UnregisterDrawRectClass(std::string_view Name);
const TDrawRectClass* FindDrawRectClass(std::string_view Name);
// Names of the registered classes that serve Kind, in registration order.
std::vector<const char*> DrawRectClassesOfKind(quint8 Kind);

// Creates the named class at its default kind; nullptr when unknown.
std::unique_ptr<TDrawRect> CreateDrawRect(std::string_view Name);
// Creates the named class for Kind; nullptr when unknown or when the class
// does not serve that kind.
std::unique_ptr<TDrawRect> CreateDrawRect(std::string_view Name, quint8 Kind);
// Creates the one class registered for Kind; nullptr when none is, or when
// several are (the caller must then name the class).
std::unique_ptr<TDrawRect> CreateDrawRectOfKind(quint8 Kind);
