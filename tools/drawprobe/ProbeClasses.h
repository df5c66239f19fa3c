#pragma once
// The item classes drawprobe knows how to fill from an item file: one
// configurator per class, and what each notes of its last rendering.

#include "platform/Font.h"

#include <QImage>
#include <QJsonObject>
#include <string_view>
#include <vector>

class TDrawRect;
struct TRect;

struct TProbeClass {
    const char* Name;
    // Fills the item from the item file (the fields its class reads).
    void (*Configure)(TDrawRect& Item, const QJsonObject& Desc);
    // The layout decisions of the last rendering.
    QJsonObject (*Decisions)(const TDrawRect& Item);
};

// Registers the program's item classes and the harness's own text item.
void RegisterProbeClasses();
// nullptr when drawprobe has no configurator for the class.
const TProbeClass* FindProbeClass(std::string_view Name);

// The font of an item file's "font" object (charset, name, size, style,
// colour), ＭＳ 明朝 12 pt by default.
TFont ProbeFont(const QJsonObject& Desc);

// The pictures' sides stop here: an item far out (rectangles come from files
// and reach the Int32 range) is cut off rather than make a picture nobody
// can allocate.
inline constexpr int kProbeMaxPictureSide = 20000;
// A rectangle of qint64 corners (Right and Bottom exclusive) held within a
// margin around the largest picture, so no side or corner overflows an int.
QRect ProbeSaturatedRect(qint64 Left, qint64 Top, qint64 Right, qint64 Bottom);
// A page of colour Page big enough for every frame (40 pixels beyond the
// farthest, at most kProbeMaxPictureSide a side; a frame that begins beyond
// that does not count), with a light blue frame where each item should land.
QImage ProbeBlankPage(const std::vector<TRect>& Frames, QRgb Page = 0xFFFFFFFF);
