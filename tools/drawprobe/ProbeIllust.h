#pragma once
// drawprobe for pictures ("class": "TIllustRect"). Fields of the item file:
//   picture: a BMP or JPEG file to load, or pattern: [width, height] for a
//   generated picture (left half blue, right half green);
//   resolution, maskIndex (into Common/Mask of the program folder),
//   transparentColor (0x00BBGGRR), maskRect [l, t, r, b], maskTurned,
//   reverse: list of "lr" / "tb", rotate: list of 0 / 1 / 2,
//   clipPrinting, highQuality, frame (as for TWordRect).

#include <QJsonObject>

class TDrawRect;

void ConfigureProbeIllust(TDrawRect& Item, const QJsonObject& Desc);
QJsonObject ProbeIllustDecisions(const TDrawRect& Item);
