#pragma once
// The reference device: the printer that text is laid out for, or the screen
// when no printer is installed. Text objects record their drawing at its
// resolution and position pages by its physical offsets. The printer object
// sets it when the current printer changes; tests and the harness set it
// directly. Without a printer it is the screen at 96 dots per inch.

struct TRefDevice {
    bool hasPrinter = false;
    int dpiX = 96;            // LOGPIXELSX
    int dpiY = 96;            // LOGPIXELSY
    int physicalOffsetX = 0;  // PHYSICALOFFSETX, device pixels
    int physicalOffsetY = 0;  // PHYSICALOFFSETY
};

const TRefDevice& RefDevice();
void SetRefDevice(const TRefDevice& device);
// No printer: the screen at 96 dpi.
void ResetRefDevice();

// Sets a reference device for the life of the object and puts the previous
// one back afterwards (tests, harness, a print run on another printer).
class TRefDeviceScope {
public:
    explicit TRefDeviceScope(const TRefDevice& device);
    ~TRefDeviceScope();
    TRefDeviceScope(const TRefDeviceScope&) = delete;
    TRefDeviceScope& operator=(const TRefDeviceScope&) = delete;

private:
    TRefDevice previous_;
};
