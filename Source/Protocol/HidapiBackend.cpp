#include "HIDBackend.h"

#include <hidapi.h>

#include <algorithm>
#include <cstring>

namespace Tonecrest
{
namespace
{
// The pedal's output report is 64 bytes after the report ID. hidraw sends only the bytes it
// is given, so shorter reports are padded here and the pedal always sees a whole report.
constexpr size_t kOutputReportSize = 65;

class HidapiBackend : public IHIDBackend
{
public:
    std::vector<Entry> enumerate() override
    {
        std::vector<Entry> entries;
        hid_device_info* list = hid_enumerate(0, 0);
        for (hid_device_info* info = list; info != nullptr; info = info->next)
            entries.push_back({ info->path != nullptr ? info->path : "", info->vendor_id, info->product_id });
        hid_free_enumeration(list);
        return entries;
    }

    Handle open(const std::string& path) override
    {
        return hid_open_path(path.c_str());
    }

    int read(Handle handle, uint8_t* buffer, size_t length, int timeoutMs) override
    {
        return hid_read_timeout(static_cast<hid_device*>(handle), buffer, length, timeoutMs);
    }

    int write(Handle handle, const uint8_t* data, size_t length) override
    {
        if (length >= kOutputReportSize)
            return hid_write(static_cast<hid_device*>(handle), data, length);
        uint8_t report[kOutputReportSize] = {};
        std::memcpy(report, data, length);
        return hid_write(static_cast<hid_device*>(handle), report, kOutputReportSize);
    }

    void close(Handle handle) override
    {
        hid_close(static_cast<hid_device*>(handle));
    }
};
} // namespace

IHIDBackend& hidapiBackend()
{
    static HidapiBackend backend;
    return backend;
}

} // namespace Tonecrest
