#pragma once
// TMetafileEx: a display list recorded through a TCanvas and played back onto
// any canvas, stretched or at its natural size.
//
// What it keeps is already laid out: text as positioned glyphs (playback never
// measures text again), shapes as filled or stroked paths, pictures as
// images, clips as paths. A clip recorded in the list is intersected with the
// clip of the canvas it is played on and ends with the playback. The list
// remembers the resolution it was recorded at, so its owner can tell when a
// new reference device needs a new recording.

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <optional>
#include <variant>
#include <vector>

class QJsonArray;

// Every later item draws inside this clip (canvas coordinates); no path means
// no clip of the recording's own.
struct TClipItem {
    std::optional<QPainterPath> clip;
};
struct TFillItem {
    QPainterPath path;
    QBrush brush;
};
struct TStrokeItem {
    QPainterPath path;
    QPen pen;
};
// Glyphs positioned in a frame of their own; transform maps the frame onto
// the canvas (escapement, width ratio, upright characters).
struct TGlyphItem {
    QRawFont font;
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    QTransform transform;
    QColor color;
    bool syntheticBold = false;
    QString text; // what was drawn, for dumps
};
struct TImageItem {
    QImage image; // ARGB32 when masked: the mask lives in alpha
    QRectF target;
};

using TDrawItem = std::variant<TClipItem, TFillItem, TStrokeItem, TGlyphItem, TImageItem>;

class TMetafileEx {
public:
    void Clear();
    bool Empty() const { return items_.empty(); }

    // The recording area in recording pixels; playback stretches it onto
    // the destination rectangle.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int w) { width_ = w; }
    void SetHeight(int h) { height_ = h; }

    // The resolution of the device the recording was made for.
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    void SetResolution(int dpiX, int dpiY)
    {
        dpiX_ = dpiX;
        dpiY_ = dpiY;
    }

    const std::vector<TDrawItem>& Items() const { return items_; }
    void Append(TDrawItem item) { items_.push_back(std::move(item)); }

    // The bounds of everything drawn, clipped by the recorded clips, in
    // recording coordinates (empty when nothing is drawn).
    QRectF InkBounds() const;

    // The items as JSON, one object per item, for the test harness.
    QJsonArray ToJson() const;

private:
    std::vector<TDrawItem> items_;
    int width_ = 0;
    int height_ = 0;
    int dpiX_ = 96;
    int dpiY_ = 96;
};
