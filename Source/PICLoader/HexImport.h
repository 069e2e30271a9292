#pragma once

#include "DeviceDescription.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tonecrest::PICLoader
{

/** Gives the next line of an image without its line ending. Returns false when it cannot read;
    sets atEnd when the image has ended (line then holds any unterminated last line). */
using ReadLine = std::function<bool(std::string& line, bool& atEnd)>;

/** A line reader over an image in memory: carriage returns are dropped, line feeds end lines.
    The image must outlive the reader. */
ReadLine makeLineReader(const std::vector<uint8_t>& image);

/** The image bytes meant for one device region, 0xFF where the image has nothing. */
struct HexBlock
{
    MemoryRegion region;
    std::vector<uint8_t> data; // region.sizeBytes bytes
};

enum HexImportResult : int
{
    kHexImported = 0,
    kHexReadFailed = 1,
    kHexNoData = 2,    // no byte of the image lies in any region
    kHexMalformed = 3  // a bad record, or an image without its end-of-file record
};

/** Reads an Intel HEX image into one block per region of the description, in region order.
    configFound tells whether any byte landed in a configuration region. Any thread. */
int importHexFile(const ReadLine& readLine, const DeviceDescription& description, std::vector<HexBlock>& blocks,
                  bool& configFound);

} // namespace Tonecrest::PICLoader
