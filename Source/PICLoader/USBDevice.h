#pragma once

#include <cstddef>
#include <cstdint>

namespace Tonecrest::PICLoader
{

/** The bootloader client's view of the pedal in bootloader mode: one HID device that takes
    65-byte output reports (report ID 0 first) and gives input reports without a report ID.
    Used by one thread at a time: the firmware-update task's worker. */
class USBDevice
{
public:
    virtual ~USBDevice() = default;

    /** Bytes read, 0 on time-out, negative on error or disconnection. */
    virtual int read(uint8_t* buffer, size_t length, int timeoutMs) = 0;

    /** data[0] is the report ID. Returns length on success, -1 on failure. */
    virtual int write(const uint8_t* data, size_t length) = 0;
};

} // namespace Tonecrest::PICLoader
