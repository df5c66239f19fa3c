#pragma once
// Configurators of the name-side item classes: each reads its fields from
// the item file onto an item of its class (created through the registry).

#include <QJsonObject>

class TDrawRect;

// "name", "honor", "note", "joints" ([{"name","honor","note"}]), "nameKind",
// "nameAlign", "ignoreName", "corp", "dptmnt" ([2]), "post", the three
// ratios, "charSpace", "corpBreak", "showHonor", "sizeStep", "sender".
void ConfigureProbeNameRect(TDrawRect& Item, const QJsonObject& Desc);
// The runs the last rendering laid out: text, role, point, advances, ratio.
QJsonObject DescribeProbeNameRect(const TDrawRect& Item);
// "corp", "honor", "corpBreak", "showHonor", "sizeStep", "sender".
void ConfigureProbeCorpRect(TDrawRect& Item, const QJsonObject& Desc);
// "text", "caption", "fieldId", "sizeStep".
void ConfigureProbeAdditionRect(TDrawRect& Item, const QJsonObject& Desc);
