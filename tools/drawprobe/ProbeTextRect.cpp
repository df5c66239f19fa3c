#include "ProbeTextRect.h"

#include "core/common/FontUtils.h"
#include "platform/Canvas.h"

#include <QJsonArray>
#include <algorithm>

TProbeTextRect::TProbeTextRect()
{
    TFont f;
    SetFontAttr(&f, SHIFTJIS_CHARSET, QStringLiteral("ＭＳ 明朝"), 12, 0);
    SetFont(f);
    BaseFontHeight = -40;
    ResetFontHeight();
    Direction = 1;
}

void TProbeTextRect::SetLines(const QStringList& lines)
{
    lines_ = lines;
    Valid = false;
}

void TProbeTextRect::RenderContent(TCanvas& Canvas, const QPoint& Size)
{
    decisions_ = QJsonObject{};
    QStringList lines;
    for (const QString& l : lines_)
        if (!l.isEmpty())
            lines << l;
    if (lines.isEmpty())
        return;
    const bool vertical = Direction == 0;
    TFont font = Font;
    if (vertical)
        SetFontVertical(font);
    else
        SetFontHorizontal(font);
    Canvas.SetFont(font);
    SetCanvasFont(Canvas);
    if (vertical)
        SetFontVertical(Canvas.Font());
    decisions_[QStringLiteral("renderHeight")] = Canvas.Font().Height();

    // Along the lines and across them.
    const int along = vertical ? Size.y() : Size.x();
    const int across = vertical ? Size.x() : Size.y();
    const int n = static_cast<int>(lines.size());
    int longest = 0;
    for (const QString& l : lines)
        longest = std::max(longest, GetTextWidthW(Canvas, l));
    const int th = Canvas.TextHeight(QStringLiteral("一"));
    if (!ScaleCanvasFont(Canvas, across, th * n, false) || !ScaleCanvasFont(Canvas, along, longest, false)) {
        decisions_[QStringLiteral("fitted")] = false;
        return;
    }
    decisions_[QStringLiteral("fitted")] = true;
    decisions_[QStringLiteral("fittedHeight")] = Canvas.Font().Height();
    const int cell = Canvas.TextHeight(QStringLiteral("一"));
    const int block = cell * n;
    Canvas.SetBkMode(gdi::TRANSPARENT);
    if (UpsideDown)
        RotateFont180(Canvas.Font());
    QJsonArray placed;
    for (int i = 0; i < n; ++i) {
        QPoint p = vertical ? QPoint(across - (across - block) / 2 - i * cell, 0)
                            : QPoint(0, (across - block) / 2 + i * cell);
        if (UpsideDown)
            p = QPoint(Size.x() - p.x(), Size.y() - p.y());
        Canvas.TextOut(p.x(), p.y(), lines.at(i));
        placed.append(QJsonObject{{QStringLiteral("text"), lines.at(i)},
                                  {QStringLiteral("x"), p.x()},
                                  {QStringLiteral("y"), p.y()},
                                  {QStringLiteral("width"), GetTextWidthW(Canvas, lines.at(i))}});
    }
    decisions_[QStringLiteral("lines")] = placed;
}
