#pragma once

#include "IUSBHIDDevice.h"
#include "USBDevice.h"

namespace Tonecrest
{

/** The bootloader client's device over an opened HID device (not owned, must outlive this).
    Reads and writes pass straight through; called on the firmware-update task's worker. */
class PICLoaderHIDDevice : public PICLoader::USBDevice
{
public:
    explicit PICLoaderHIDDevice(IUSBHIDDevice* device);
    ~PICLoaderHIDDevice() override;

    int read(uint8_t* buffer, size_t length, int timeoutMs) override;
    int write(const uint8_t* data, size_t length) override;

private:
    IUSBHIDDevice* device;
};

} // namespace Tonecrest
