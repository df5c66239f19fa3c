#include "core/common/Units.h"

#include <QColor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>

// ---------------------------------------------------------------------------
// Rounding and dpi

int64_t RoundHalfUp(long double x)
{
    // Converting a value outside the integer range is undefined (x86 gives
    // the most negative integer even for huge positive values): saturate.
    if (std::isnan(x))
        return 0;
    const long double r = x >= 0 ? std::trunc(x + 0.5L) : std::trunc(x - 0.5L);
    if (r >= 9223372036854775808.0L)
        return std::numeric_limits<int64_t>::max();
    if (r < -9223372036854775808.0L)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(r);
}

namespace {
int g_fixedDpi = 0;
}

int ScreenPixelsPerInch()
{
    if (g_fixedDpi > 0)
        return g_fixedDpi;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            int dpi = qRound(screen->logicalDotsPerInch());
            if (dpi > 0)
                return dpi;
        }
    }
    return 96;
}

void SetScreenPixelsPerInch(int dpi) { g_fixedDpi = dpi > 0 ? dpi : 0; }

int ScaleForDpi(int value, bool toScreen)
{
    const double dpi = ScreenPixelsPerInch();
    const double scaled = toScreen ? value * dpi / 96.0 : value * 96.0 / dpi;
    // Stored positions can hold any int: beyond the int range they saturate.
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::trunc(scaled + 0.5), lo, hi));
}

// ---------------------------------------------------------------------------
// Colours

QColor ColorFromStored(int value)
{
    const auto v = static_cast<uint32_t>(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int ColorToStored(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}
