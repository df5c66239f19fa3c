#include "platform/Metafile.h"

#include <QJsonArray>
#include <QJsonObject>

void TMetafileEx::Clear()
{
    items_.clear();
    width_ = height_ = 0;
}

namespace {

QRectF glyphBounds(const TGlyphItem& g)
{
    QRectF box;
    for (size_t i = 0; i < g.glyphs.size(); ++i) {
        const QRectF b = g.font.boundingRect(g.glyphs[i]).translated(g.positions[i]);
        box = box.united(g.transform.mapRect(b));
    }
    return box;
}

QJsonArray rectJson(const QRectF& r)
{
    return QJsonArray{r.left(), r.top(), r.right(), r.bottom()};
}

} // namespace

QRectF TMetafileEx::InkBounds() const
{
    QRectF ink;
    std::optional<QRectF> clip;
    for (const TDrawItem& item : items_) {
        QRectF b;
        if (const auto* c = std::get_if<TClipItem>(&item)) {
            clip = c->clip ? std::optional<QRectF>(c->clip->boundingRect()) : std::nullopt;
            continue;
        } else if (const auto* f = std::get_if<TFillItem>(&item)) {
            b = f->path.boundingRect();
        } else if (const auto* s = std::get_if<TStrokeItem>(&item)) {
            const qreal w = s->pen.widthF() / 2;
            b = s->path.boundingRect().adjusted(-w, -w, w, w);
        } else if (const auto* g = std::get_if<TGlyphItem>(&item)) {
            b = glyphBounds(*g);
        } else if (const auto* i = std::get_if<TImageItem>(&item)) {
            b = i->target;
        }
        if (clip)
            b = b.intersected(*clip);
        if (!b.isEmpty())
            ink = ink.united(b);
    }
    return ink;
}

QJsonArray TMetafileEx::ToJson() const
{
    QJsonArray out;
    for (const TDrawItem& item : items_) {
        QJsonObject o;
        if (const auto* c = std::get_if<TClipItem>(&item)) {
            o[QStringLiteral("kind")] = QStringLiteral("clip");
            if (c->clip)
                o[QStringLiteral("bounds")] = rectJson(c->clip->boundingRect());
        } else if (const auto* f = std::get_if<TFillItem>(&item)) {
            o[QStringLiteral("kind")] = QStringLiteral("fill");
            o[QStringLiteral("bounds")] = rectJson(f->path.boundingRect());
            o[QStringLiteral("color")] = f->brush.color().name();
        } else if (const auto* s = std::get_if<TStrokeItem>(&item)) {
            o[QStringLiteral("kind")] = QStringLiteral("stroke");
            o[QStringLiteral("bounds")] = rectJson(s->path.boundingRect());
            o[QStringLiteral("width")] = s->pen.widthF();
            o[QStringLiteral("color")] = s->pen.color().name();
        } else if (const auto* g = std::get_if<TGlyphItem>(&item)) {
            o[QStringLiteral("kind")] = QStringLiteral("text");
            o[QStringLiteral("text")] = g->text;
            o[QStringLiteral("family")] = g->font.familyName();
            o[QStringLiteral("pixelSize")] = g->font.pixelSize();
            o[QStringLiteral("bounds")] = rectJson(glyphBounds(*g));
            o[QStringLiteral("color")] = g->color.name();
            const QPointF origin = g->transform.map(QPointF(0, 0));
            o[QStringLiteral("origin")] = QJsonArray{origin.x(), origin.y()};
        } else if (const auto* i = std::get_if<TImageItem>(&item)) {
            o[QStringLiteral("kind")] = QStringLiteral("image");
            o[QStringLiteral("bounds")] = rectJson(i->target);
            o[QStringLiteral("size")] = QJsonArray{i->image.width(), i->image.height()};
        }
        out.append(o);
    }
    return out;
}
