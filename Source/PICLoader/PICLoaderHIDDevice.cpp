#include "PICLoaderHIDDevice.h"

namespace Tonecrest
{

PICLoaderHIDDevice::PICLoaderHIDDevice(IUSBHIDDevice* hidDevice)
    : device(hidDevice)
{
}

PICLoaderHIDDevice::~PICLoaderHIDDevice() = default;

int PICLoaderHIDDevice::read(uint8_t* buffer, size_t length, int timeoutMs)
{
    return device != nullptr ? device->read(buffer, length, timeoutMs) : -1;
}

int PICLoaderHIDDevice::write(const uint8_t* data, size_t length)
{
    return device != nullptr ? device->write(data, length) : -1;
}

} // namespace Tonecrest
