// Intel HEX reader on arbitrary text: it must neither crash nor write outside the blocks it
// was given, and every block keeps the size of its region whatever the image says.
#include "HexImport.h"
#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace Tonecrest::PICLoader;

namespace
{
DeviceDescription chip(uint8_t selector)
{
    DeviceDescription description;
    if (selector % 2 == 0)
    {
        description.family = 1;
        description.regions = { { kRegionProgram, 0x100, 0x900, 0x800 },
                                { kRegionEEPROM, 0xF00000, 0xF00100, 0x100 },
                                { kRegionConfig, 0x300000, 0x30000E, 0x0E } };
    }
    else
    {
        description.family = 2;
        description.bytesPerWordFlash = 4;
        description.bytesPerWordConfig = 4;
        description.bytesPerAddressFlash = 2;
        description.bytesPerAddressConfig = 2;
        description.regions = { { kRegionProgram, 0x800, 0x1000, 0x1000 }, { kRegionConfig, 0xF80000, 0xF80010, 0x20 } };
    }
    return description;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Tonecrest::setLogCallback([](void*, const char*) {}, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const DeviceDescription description = chip(data[0]);
    const std::vector<uint8_t> image(data + 1, data + size);

    std::vector<HexBlock> blocks;
    bool configFound = false;
    const int code = importHexFile(makeLineReader(image), description, blocks, configFound);
    if (code != kHexImported && code != kHexNoData && code != kHexMalformed)
        __builtin_trap();
    if (blocks.size() != description.regions.size())
        __builtin_trap();
    for (size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].data.size() != description.regions[i].sizeBytes || blocks[i].region != description.regions[i])
            __builtin_trap();
    return 0;
}
