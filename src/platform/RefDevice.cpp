#include "platform/RefDevice.h"

namespace {
TRefDevice& current()
{
    static TRefDevice device;
    return device;
}
} // namespace

const TRefDevice& RefDevice()
{
    return current();
}

void SetRefDevice(const TRefDevice& device)
{
    TRefDevice d = device;
    if (!d.hasPrinter || d.dpiX <= 0 || d.dpiY <= 0) {
        // Without a printer the screen is the reference, whatever was passed.
        const bool printer = d.hasPrinter && d.dpiX > 0 && d.dpiY > 0;
        if (!printer)
            d = TRefDevice{};
    }
    current() = d;
}

void ResetRefDevice()
{
    current() = TRefDevice{};
}

TRefDeviceScope::TRefDeviceScope(const TRefDevice& device) : previous_(RefDevice())
{
    SetRefDevice(device);
}

TRefDeviceScope::~TRefDeviceScope()
{
    current() = previous_;
}
