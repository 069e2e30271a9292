#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tonecrest
{

/** The few HID library calls the device manager needs, so the manager can run against
    hidapi in the product and against a scripted backend in tests. */
class IHIDBackend
{
public:
    struct Entry
    {
        std::string path;
        uint16_t vendorID = 0;
        uint16_t productID = 0;
    };

    /** Opaque open-device handle; null means "not open". */
    using Handle = void*;

    virtual ~IHIDBackend() = default;

    virtual std::vector<Entry> enumerate() = 0;
    virtual Handle open(const std::string& path) = 0;
    /** Bytes read, 0 on time-out, negative on error. */
    virtual int read(Handle handle, uint8_t* buffer, size_t length, int timeoutMs) = 0;
    /** data[0] is the report ID. Count written or negative on error. */
    virtual int write(Handle handle, const uint8_t* data, size_t length) = 0;
    virtual void close(Handle handle) = 0;
};

/** The process-wide hidapi backend. The application initialises and shuts down hidapi. */
IHIDBackend& hidapiBackend();

} // namespace Tonecrest
