#pragma once
// The item classes drawprobe knows how to fill from an item file: one
// configurator per class, and what each notes of its last rendering.

#include "platform/Font.h"

#include <QJsonObject>
#include <string_view>

class TDrawRect;

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
