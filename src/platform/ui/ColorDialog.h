#pragma once
// The colour dialog every window of the system shows, with the 16 shared
// custom colours of CustomColors.h.

#include "platform/CustomColors.h"

#include <QColor>
#include <functional>

class QWidget;

// The colour dialog, replaceable by tests: given the owner, the colour to
// start with and the custom colours (which it may change), it answers
// whether a colour was chosen and stores it in `chosen`.
using TColorDialogHandler =
    std::function<bool(QWidget* owner, const QColor& initial, TCustomColors& custom, QColor& chosen)>;
// An empty handler restores the real dialog; returns the handler that was in place.
TColorDialogHandler SetColorDialogHandler(TColorDialogHandler handler);

// Shows the colour dialog on `initial` with the stored custom colours, and
// writes the custom colours back after OK only. Returns the
// chosen colour, or `initial` when cancelled; *ok tells which.
QColor ChooseColor(QWidget* owner, const QColor& initial, bool* ok = nullptr);
