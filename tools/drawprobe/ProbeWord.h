#pragma once
// The free text in the harness: its configurator (item file fields to the
// item) and the layout decisions drawprobe notes.

#include <QJsonObject>
#include <QString>

class TDrawRect;

// Sets a TWordRect from the item file: lines, font, direction, upsideDown,
// sizeIndex, align, wordWrap, lineSpace, aspectRatio and frame (frame, back,
// lineCount, corner, lineWidth, frameColor, backColor).
void ConfigureProbeWord(TDrawRect& item, const QJsonObject& desc);
// The layout the last rendering decided.
QJsonObject ProbeWordDecisions(const TDrawRect& item);
