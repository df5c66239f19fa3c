#pragma once
// The free text in the harness: its configurator (item file fields to the
// item) and, until the harness picks every class through the registry, a
// run of its own for items naming "class": "TWordRect".

#include <QJsonObject>
#include <QString>

class TDrawRect;

// Sets a TWordRect from the item file: lines, font, direction, upsideDown,
// sizeIndex, align, wordWrap, lineSpace, aspectRatio and frame (frame, back,
// lineCount, corner, lineWidth, frameColor, backColor).
void ConfigureProbeWord(TDrawRect& item, const QJsonObject& desc);
// The layout the last rendering decided.
QJsonObject ProbeWordDecisions(const TDrawRect& item);
// Renders screen.png and print.png and writes dump.json (with the stored
// fields by name when the item file asks for a round trip); the exit status.
int RunProbeWord(const QJsonObject& desc, const QString& outDir);
