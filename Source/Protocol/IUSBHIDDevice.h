#pragma once

#include <cstddef>
#include <cstdint>

namespace Tonecrest
{

/** One open HID device, as the transport and the bootloader client see it.
    read runs on one reader thread at a time and takes no lock; write and close may run on
    other threads and are serialised by the device. */
class IUSBHIDDevice
{
public:
    virtual ~IUSBHIDDevice() = default;

    /** Bytes read (without report ID), 0 on time-out, negative on error or disconnection. */
    virtual int read(uint8_t* buffer, size_t length, int timeoutMs) = 0;

    /** data[0] is the report ID. Returns length on success, -1 on failure. */
    virtual int write(const uint8_t* data, size_t length) = 0;

    /** Idempotent. The reader thread must have stopped before this is called. */
    virtual void close() = 0;

    virtual uint16_t getVendorID() const = 0;
    virtual uint16_t getProductID() const = 0;
};

} // namespace Tonecrest
