#pragma once
// The harness's own text item: lines of text fitted into the item, written
// horizontally (one line under the other) or vertically (columns from right
// to left), turned by 180 degrees on request. It notes its layout decisions
// so the harness can print them.

#include "drawing/objects/MetaRect.h"

#include <QJsonObject>
#include <QStringList>

class TProbeTextRect : public TMetaRect {
public:
    TProbeTextRect();
    quint8 GetKind() const override { return ikWord; }
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
