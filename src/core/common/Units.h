#pragma once
// Rounding and units: the half-up rounding every pixel conversion of the
// drawing objects goes through, dpi scaling of stored window positions, and
// the stored form of colours.

#include <cstdint>

class QColor;

// Trunc(x + 0.5) for x >= 0, else Trunc(x - 0.5): halves round away from zero.
// Every pixel conversion of the drawing objects goes through this.
int64_t RoundHalfUp(long double x);

// Converts between 96-dpi units (as window positions are kept in the
// settings) and screen pixels: toScreen gives Trunc(value * dpi / 96 + 0.5),
// otherwise Trunc(value * 96 / dpi + 0.5), saturated to the int range.
int ScaleForDpi(int value, bool toScreen);
// The screen's pixels per inch: the primary screen's logical dpi (96 without
// a screen). SetScreenPixelsPerInch fixes it (tests); 0 returns to the screen.
int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int dpi);

// Colours are stored as 0x00BBGGRR integers (blue in the high byte).
QColor ColorFromStored(int value);
int ColorToStored(const QColor& color);
