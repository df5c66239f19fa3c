#pragma once
// The harness's own text item: lines of text fitted into the item, written
// horizontally (one line under the other) or vertically (columns from right
// to left), turned by 180 degrees on request. It notes its layout decisions
// so the harness can print them.

#include "drawing/objects/MetaRect.h"

#include <QJsonObject>
#include <QStringList>

// The harness's own kind, outside the kinds the layouts use (kind 11, the
// free text, belongs to the program's text item).
inline constexpr quint8 kProbeTextKind = 0xFF;

class TProbeTextRect : public TMetaRect {
public:
    TProbeTextRect();
    quint8 GetKind() const override { return kProbeTextKind; }
    void RenderContent(TCanvas& Canvas, const QPoint& Size) override;

    void SetLines(const QStringList& lines);
    void SetBaseFontHeight(qint32 h) { BaseFontHeight = h; }
    void SetFontHeight(qint32 h) { FontHeight = h; }
    // What the last rendering decided: font heights and line positions.
    const QJsonObject& Decisions() const { return decisions_; }

private:
    QStringList lines_;
    QJsonObject decisions_;
};
