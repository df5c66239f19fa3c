#pragma once
// The sender block in the harness: its configurator (item file fields to the
// block and its children) and what drawprobe notes of its last layout.

#include <QJsonObject>

class TDrawRect;

// Sets a TSenderRect from the item file: "font", "direction", "upsideDown",
// "autoLayout" (default true), "wholeBlock", "title", "posCode", "lines" (the
// address; in the full set one line per address child), "name", "honor",
// "corp", "dptmnt" ([2]), "post", "additions" (texts of the basic, or without
// automatic layout the full, additional items), "hidden" (positions in the
// active list to hide), "frame" (as the free text's). The stored places are
// the defaults of the direction, turned when upside down.
void ConfigureProbeSender(TDrawRect& Item, const QJsonObject& Desc);
// Every shown child in drawing order: class, kind, rect, printRect, and the
// character height it was given.
QJsonObject ProbeSenderDecisions(const TDrawRect& Item);
