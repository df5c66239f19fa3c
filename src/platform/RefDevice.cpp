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
    // Without a printer (or without a usable resolution) the screen is the
    // reference, whatever else was passed.
    const bool printer = device.hasPrinter && device.dpiX > 0 && device.dpiY > 0;
    current() = printer ? device : TRefDevice{};
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
