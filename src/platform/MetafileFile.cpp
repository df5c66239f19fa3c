#include "platform/MetafileFile.h"

#include "platform/Metafile.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QFont>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

enum : quint8 { kClip = 1, kFill = 2, kStroke = 3, kGlyphs = 4, kImage = 5 };
enum : quint8 { kMoveTo = 0, kLineTo = 1, kCurveTo = 2, kCurveData = 3 };

// Bounds that no recording of ours comes near; they keep a damaged count
// from asking for more than the file could hold.
constexpr double kMaxCoord = 1e7;
constexpr quint32 kMaxDashes = 64;
constexpr quint32 kMaxString = 4096;
constexpr qint64 kMaxImagePixels = 100'000'000;

// --- writing ------------------------------------------------------------------

class Writer {
public:
    void U8(quint8 v) { out.append(char(v)); }
    void U16(quint16 v) { Raw(&v, 2); }
    void U32(quint32 v) { Raw(&v, 4); }
    void I32(qint32 v) { Raw(&v, 4); }
    void F64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        Raw(&bits, 8);
    }
    void Str(const QString& s)
    {
        QByteArray b = s.toUtf8();
        b.truncate(kMaxString);
        U32(quint32(b.size()));
        out.append(b);
    }
    void Path(const QPainterPath& p)
    {
        U8(p.fillRule() == Qt::WindingFill ? 1 : 0);
        U32(quint32(p.elementCount()));
        for (int i = 0; i < p.elementCount(); ++i) {
            const QPainterPath::Element e = p.elementAt(i);
            U8(e.type == QPainterPath::MoveToElement   ? kMoveTo
               : e.type == QPainterPath::LineToElement ? kLineTo
               : e.type == QPainterPath::CurveToElement ? kCurveTo
                                                        : kCurveData);
            F64(e.x);
            F64(e.y);
        }
    }
    void Rect(const QRectF& r)
    {
        F64(r.x());
        F64(r.y());
        F64(r.width());
        F64(r.height());
    }
    QByteArray out;

private:
    template <class T>
    void Raw(const T* v, int n)
    {
        T le = qToLittleEndian(*v);
        out.append(reinterpret_cast<const char*>(&le), n);
    }
};

void WriteItem(Writer& w, const TDrawItem& item)
{
    if (const auto* c = std::get_if<TClipItem>(&item)) {
        w.U8(kClip);
        w.U8(c->clip ? 1 : 0);
        if (c->clip)
            w.Path(*c->clip);
    } else if (const auto* f = std::get_if<TFillItem>(&item)) {
        w.U8(kFill);
        w.Path(f->path);
        w.U8(f->brush.style() == Qt::NoBrush ? 0 : 1);
        w.U32(f->brush.color().rgba());
    } else if (const auto* s = std::get_if<TStrokeItem>(&item)) {
        w.U8(kStroke);
        w.Path(s->path);
        const QPen& pen = s->pen;
        w.U32(pen.color().rgba());
        w.F64(pen.widthF());
        const QList<qreal> dashes = pen.style() == Qt::CustomDashLine ? pen.dashPattern() : QList<qreal>();
        const bool custom = pen.style() == Qt::CustomDashLine;
        const bool usable = !custom || (dashes.size() >= 2 && dashes.size() % 2 == 0 && dashes.size() <= qsizetype(kMaxDashes));
        w.U8(quint8(pen.style() > Qt::CustomDashLine || !usable ? Qt::SolidLine : pen.style()));
        w.U8(pen.capStyle() == Qt::SquareCap ? 1 : pen.capStyle() == Qt::RoundCap ? 2 : 0);
        w.U8(pen.joinStyle() == Qt::BevelJoin ? 1 : pen.joinStyle() == Qt::RoundJoin ? 2 : 0);
        w.U8(pen.isCosmetic() ? 1 : 0);
        w.F64(pen.miterLimit());
        w.U32(usable ? quint32(dashes.size()) : 0);
        for (qsizetype i = 0; usable && i < dashes.size(); ++i)
            w.F64(dashes[i]);
        w.F64(usable ? pen.dashOffset() : 0);
    } else if (const auto* g = std::get_if<TGlyphItem>(&item)) {
        w.U8(kGlyphs);
        w.Str(g->font.familyName());
        w.Str(g->font.styleName());
        w.F64(g->font.pixelSize());
        w.I32(g->font.weight());
        w.U8(g->font.style() == QFont::StyleNormal ? 0 : 1);
        w.U8(g->syntheticBold ? 1 : 0);
        w.U32(g->color.rgba());
        const QTransform& t = g->transform;
        for (double v : {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()})
            w.F64(v);
        const size_t n = std::min(g->glyphs.size(), g->positions.size());
        w.U32(quint32(n));
        for (size_t i = 0; i < n; ++i) {
            w.U32(g->glyphs[i]);
            w.F64(g->positions[i].x());
            w.F64(g->positions[i].y());
        }
        w.Str(g->text);
    } else if (const auto* im = std::get_if<TImageItem>(&item)) {
        w.U8(kImage);
        const bool alpha = im->image.hasAlphaChannel();
        const QImage img = im->image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        w.I32(img.width());
        w.I32(img.height());
        w.U8(alpha ? 1 : 0);
        for (int y = 0; y < img.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                w.U8(quint8(qBlue(line[x])));
                w.U8(quint8(qGreen(line[x])));
                w.U8(quint8(qRed(line[x])));
                if (alpha)
                    w.U8(quint8(qAlpha(line[x])));
            }
        }
        w.Rect(im->target);
    }
}

// --- reading ------------------------------------------------------------------

struct BadData {
    QString why;
};

class Reader {
public:
    explicit Reader(const QByteArray& d) : data(d) {}

    qint64 Left() const { return data.size() - pos; }
    void Need(qint64 n, const char* what) const
    {
        if (n < 0 || n > Left())
            throw BadData {QStringLiteral("display list: %1 runs past the end of the data").arg(QLatin1String(what))};
    }
    quint8 U8()
    {
        Need(1, "a field");
        return quint8(data[pos++]);
    }
    quint16 U16() { return Raw<quint16>(); }
    quint32 U32() { return Raw<quint32>(); }
    qint32 I32() { return Raw<qint32>(); }
    double F64(double limit = kMaxCoord)
    {
        const quint64 bits = Raw<quint64>();
        double v;
        std::memcpy(&v, &bits, 8);
        if (!std::isfinite(v) || std::fabs(v) > limit)
            throw BadData {QStringLiteral("display list: number out of range")};
        return v;
    }
    QString Str()
    {
        const quint32 n = U32();
        if (n > kMaxString)
            throw BadData {QStringLiteral("display list: string too long")};
        Need(n, "a string");
        const QString s = QString::fromUtf8(data.constData() + pos, n);
        pos += n;
        return s;
    }
    quint32 Count(qint64 minBytesEach, quint32 limit, const char* what)
    {
        const quint32 n = U32();
        if (n > limit || qint64(n) * minBytesEach > Left())
            throw BadData {QStringLiteral("display list: %1 count out of range").arg(QLatin1String(what))};
        return n;
    }
    QPainterPath Path()
    {
        QPainterPath p;
        const quint8 rule = U8();
        if (rule > 1)
            throw BadData {QStringLiteral("display list: unknown fill rule")};
        p.setFillRule(rule ? Qt::WindingFill : Qt::OddEvenFill);
        const quint32 n = Count(17, 10'000'000, "path element");
        for (quint32 i = 0; i < n; ++i) {
            const quint8 type = U8();
            const double x = F64(), y = F64();
            if (type == kMoveTo)
                p.moveTo(x, y);
            else if (type == kLineTo)
                p.lineTo(x, y);
            else if (type == kCurveTo) {
                // A curve is its end point's two control points and the end.
                if (i + 2 >= n)
                    throw BadData {QStringLiteral("display list: curve cut short")};
                double c[4];
                for (int k = 0; k < 2; ++k) {
                    if (U8() != kCurveData)
                        throw BadData {QStringLiteral("display list: curve without its points")};
                    c[2 * k] = F64();
                    c[2 * k + 1] = F64();
                }
                p.cubicTo(x, y, c[0], c[1], c[2], c[3]);
                i += 2;
            } else {
                throw BadData {QStringLiteral("display list: unknown path element")};
            }
        }
        return p;
    }
    QRectF Rect()
    {
        const double x = F64(), y = F64(), w = F64(), h = F64();
        return QRectF(x, y, w, h);
    }

private:
    template <class T>
    T Raw()
    {
        Need(sizeof(T), "a field");
        T v;
        std::memcpy(&v, data.constData() + pos, sizeof(T));
        pos += sizeof(T);
        return qFromLittleEndian(v);
    }
    const QByteArray& data;
    qint64 pos = 0;
};

TDrawItem ReadItem(Reader& r)
{
    switch (r.U8()) {
    case kClip: {
        TClipItem c;
        const quint8 has = r.U8();
        if (has > 1)
            throw BadData {QStringLiteral("display list: bad clip flag")};
        if (has)
            c.clip = r.Path();
        return c;
    }
    case kFill: {
        TFillItem f;
        f.path = r.Path();
        const quint8 style = r.U8();
        const QColor color = QColor::fromRgba(r.U32());
        if (style > 1)
            throw BadData {QStringLiteral("display list: unknown brush")};
        f.brush = style ? QBrush(color) : QBrush(Qt::NoBrush);
        return f;
    }
    case kStroke: {
        TStrokeItem s;
        s.path = r.Path();
        QPen pen(QColor::fromRgba(r.U32()));
        pen.setWidthF(r.F64(1e5));
        if (pen.widthF() < 0)
            throw BadData {QStringLiteral("display list: negative pen width")};
        const quint8 style = r.U8(), cap = r.U8(), join = r.U8(), cosmetic = r.U8();
        if (style > Qt::CustomDashLine || cap > 2 || join > 2 || cosmetic > 1)
            throw BadData {QStringLiteral("display list: unknown pen")};
        pen.setStyle(Qt::PenStyle(style));
        pen.setCapStyle(cap == 1 ? Qt::SquareCap : cap == 2 ? Qt::RoundCap : Qt::FlatCap);
        pen.setJoinStyle(join == 1 ? Qt::BevelJoin : join == 2 ? Qt::RoundJoin : Qt::MiterJoin);
        pen.setCosmetic(cosmetic);
        pen.setMiterLimit(r.F64(1e5));
        const quint32 n = r.Count(8, kMaxDashes, "dash");
        QList<qreal> dashes;
        for (quint32 i = 0; i < n; ++i) {
            const double d = r.F64(1e5);
            if (d < 0)
                throw BadData {QStringLiteral("display list: negative dash")};
            dashes.append(d);
        }
        const double offset = r.F64(1e5);
        if (style == Qt::CustomDashLine) {
            if (dashes.size() < 2 || dashes.size() % 2)
                throw BadData {QStringLiteral("display list: dash pattern of odd length")};
            pen.setDashPattern(dashes);
        }
        // Qt turns a pen with an offset into a custom dash of its style's
        // pattern; a solid pen has none, so its offset means nothing.
        if (offset != 0 && style != Qt::SolidLine && style != Qt::NoPen)
            pen.setDashOffset(offset);
        s.pen = pen;
        return s;
    }
    case kGlyphs: {
        TGlyphItem g;
        const QString family = r.Str(), style = r.Str();
        const double pixelSize = r.F64(1e5);
        const qint32 weight = r.I32();
        const quint8 italic = r.U8(), bold = r.U8();
        if (pixelSize < 0 || weight < 1 || weight > 1000 || italic > 1 || bold > 1)
            throw BadData {QStringLiteral("display list: bad font")};
        g.color = QColor::fromRgba(r.U32());
        double m[9];
        for (double& v : m)
            v = r.F64(1e7);
        g.transform = QTransform(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
        const quint32 n = r.Count(20, 10'000'000, "glyph");
        g.glyphs.reserve(n);
        g.positions.reserve(n);
        for (quint32 i = 0; i < n; ++i) {
            g.glyphs.push_back(r.U32());
            const double x = r.F64(), y = r.F64();
            g.positions.emplace_back(x, y);
        }
        g.text = r.Str();
        g.syntheticBold = bold;
        // The face is found again by its names; the glyph numbers assume the
        // same font file, which the recordings that travel with the program
        // (shapes, no text) never need.
        QFont font(family);
        if (!style.isEmpty())
            font.setStyleName(style);
        font.setWeight(QFont::Weight(weight));
        font.setItalic(italic);
        // Loaded as the canvas loads its faces: outlines, no hinting, no
        // kerning, no other family merged in.
        font.setPixelSize(100);
        font.setKerning(false);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
        g.font = QRawFont::fromFont(font);
        if (g.font.isValid())
            g.font.setPixelSize(pixelSize);
        return g;
    }
    case kImage: {
        TImageItem im;
        const qint32 w = r.I32(), h = r.I32();
        const quint8 alpha = r.U8();
        if (w < 0 || h < 0 || alpha > 1 || qint64(w) * h > kMaxImagePixels)
            throw BadData {QStringLiteral("display list: bad picture size")};
        const int bytes = alpha ? 4 : 3;
        r.Need(qint64(w) * h * bytes, "a picture");
        // A picture without pixels has no rows either (a height of millions
        // over a width of 0 must not cost a loop of millions).
        const int rows = w && h ? h : 0;
        QImage img = rows ? QImage(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32) : QImage();
        if (rows && img.isNull())
            throw BadData {QStringLiteral("display list: picture too large")};
        for (int y = 0; y < rows; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const quint8 b = r.U8(), gg = r.U8(), rr = r.U8();
                const quint8 a = alpha ? r.U8() : 255;
                line[x] = qRgba(rr, gg, b, a);
            }
        }
        im.image = img;
        im.target = r.Rect();
        return im;
    }
    default:
        throw BadData {QStringLiteral("display list: unknown item")};
    }
}

} // namespace

QByteArray WriteMetafileBytes(const TMetafileEx& Metafile)
{
    Writer w;
    w.out.append(kMetafileMagic, 4);
    w.U16(kMetafileFormatVersion);
    w.U16(0);
    w.I32(Metafile.Width());
    w.I32(Metafile.Height());
    w.I32(Metafile.DpiX());
    w.I32(Metafile.DpiY());
    w.U32(quint32(Metafile.Items().size()));
    for (const TDrawItem& item : Metafile.Items())
        WriteItem(w, item);
    return w.out;
}

bool ReadMetafileBytes(const QByteArray& Data, TMetafileEx& Metafile, QString* Error)
{
    try {
        Reader r(Data);
        r.Need(4, "the header");
        if (std::memcmp(Data.constData(), kMetafileMagic, 4) != 0)
            throw BadData {QStringLiteral("display list: not a display-list file")};
        for (int i = 0; i < 4; ++i)
            r.U8();
        const quint16 version = r.U16();
        if (version == 0 || version > kMetafileFormatVersion)
            throw BadData {QStringLiteral("display list: version %1 cannot be read").arg(version)};
        r.U16();
        const qint32 width = r.I32(), height = r.I32(), dpiX = r.I32(), dpiY = r.I32();
        if (width < 0 || height < 0 || dpiX <= 0 || dpiY <= 0 || dpiX > 100000 || dpiY > 100000)
            throw BadData {QStringLiteral("display list: bad size or resolution")};
        const quint32 n = r.Count(2, 10'000'000, "item");
        TMetafileEx read;
        read.SetWidth(width);
        read.SetHeight(height);
        read.SetResolution(dpiX, dpiY);
        for (quint32 i = 0; i < n; ++i)
            read.Append(ReadItem(r));
        if (r.Left() != 0)
            throw BadData {QStringLiteral("display list: data after the last item")};
        Metafile = std::move(read);
        return true;
    } catch (const BadData& e) {
        if (Error)
            *Error = e.why;
        return false;
    }
}

bool SaveMetafileFile(const TMetafileEx& Metafile, const QString& FileName, QString* Error)
{
    QString why;
    if (!SaveFileAtomically(FileName, WriteMetafileBytes(Metafile), false, &why)) {
        if (Error)
            *Error = QStringLiteral("%1: %2").arg(FileName, why);
        return false;
    }
    return true;
}

bool LoadMetafileFile(const QString& FileName, TMetafileEx& Metafile, QString* Error)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (Error)
            *Error = QStringLiteral("%1: %2").arg(FileName, file.errorString());
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (Error)
            *Error = QStringLiteral("%1: %2").arg(FileName, file.errorString());
        return false;
    }
    QString why;
    if (!ReadMetafileBytes(data, Metafile, &why)) {
        if (Error)
            *Error = QStringLiteral("%1: %2").arg(FileName, why);
        return false;
    }
    return true;
}
