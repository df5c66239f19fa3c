#pragma once
// The settings dialogs show their work copy of an item fitted into 90 % of
// the preview and centred there; a box without area keeps zoom 1.

#include "core/common/Units.h"
#include "drawing/objects/DrawRect.h"

#include <QSize>
#include <algorithm>

inline void FitIntoPreview(TDrawRect& item, const QSize& preview)
{
    const TRect r = item.GetRect();
    const double cw = preview.width(), ch = preview.height();
    const qint32 w = r.Width(), h = r.Height();
    const double z = w > 0 && h > 0 ? std::min(cw * 0.9 / w, ch * 0.9 / h) : 1.0;
    item.SetZoom(z);
    const qint64 dx = (RoundHalfUp(cw / z) - w) / 2;
    const qint64 dy = (RoundHalfUp(ch / z) - h) / 2;
    item.SetRect(TRect(qint32(dx), qint32(dy), qint32(dx + w), qint32(dy + h)));
}
