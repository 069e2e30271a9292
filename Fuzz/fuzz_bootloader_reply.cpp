// The bootloader's replies are untrusted: the query reply's description and the read-back
// replies of a whole programming run come from the fuzzer. The run must end (no request sent
// for ever, no buffer sized by a reply beyond the client's limit) and never touch memory it
// does not own.
#include "DeviceDescription.h"
#include "HexImport.h"
#include "PICProgrammer.h"
#include "Result.h"
#include "Timing.h"
#include "USBDevice.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace Tonecrest::PICLoader;

namespace
{
// Far more reports than any run within the memory limit needs.
constexpr int kMostWrites = 2000000;

/** Answers each read with the next bytes of the fuzzer's input; silence once it runs out. */
class ScriptedBootloader : public USBDevice
{
public:
    ScriptedBootloader(const uint8_t* data, size_t size) : data(data), size(size) {}

    int read(uint8_t* buffer, size_t length, int) override
    {
        if (offset >= size)
            return 0;
        const size_t count = std::min(length, size - offset);
        std::memset(buffer, 0, length);
        std::memcpy(buffer, data + offset, count);
        offset += count;
        return static_cast<int>(count);
    }

    int write(const uint8_t*, size_t length) override
    {
        if (++writes > kMostWrites)
            __builtin_trap();
        return static_cast<int>(length);
    }

private:
    const uint8_t* data;
    size_t size;
    size_t offset = 0;
    int writes = 0;
};

std::vector<uint8_t> image()
{
    // Data in the places chips usually have memory, so most descriptions get something.
    const std::string text = ":020000040000FA\r\n"
                             ":100800000102030405060708090A0B0C0D0E0F1060\r\n"
                             ":10100000FFFFFFFF11223344FFFFFFFF5566778884\r\n"
                             ":020000040001F9\r\n"
                             ":04000000DEADBEEFC4\r\n"
                             ":020000040030CA\r\n"
                             ":02000000AABB99\r\n"
                             ":00000001FF\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Tonecrest::setLogCallback([](void*, const char*) {}, nullptr);
    Tonecrest::Timing::setScale(0.0001);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The description alone, from a zero-padded reply.
    uint8_t reply[DeviceDescription::kQueryReplySize] = {};
    std::memcpy(reply, data, std::min(size, sizeof reply));
    const DeviceDescription description = DeviceDescription::fromQueryResponse(reply);
    if (description.regions.size() > DeviceDescription::kMaxRegions || description.bytesPerPacket > 58)
        __builtin_trap();

    // A whole run against replies from the input.
    static const std::vector<uint8_t> hex = image();
    ScriptedBootloader device(data, size);
    const int code = programPicDevice(device, makeLineReader(hex), nullptr);
    if (code < kProgramSuccess || code > kProgramImageRejected)
        __builtin_trap();
    return 0;
}
