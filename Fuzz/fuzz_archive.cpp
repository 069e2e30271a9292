// Archive reader on arbitrary bytes held in memory, the way the built-in firmware archive is
// read: JUCE's zip reader, the entry dispatch and every entry reader. An archive that reads
// must also write and read back.
#include "BackupArchive.h"
#include "Result.h"

#include <cstddef>
#include <cstdint>

// Every rejected input logs its error; the log would drown the fuzzer's own output.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Tonecrest::setLogCallback([](void*, const char*) {}, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Tonecrest;
    TonecrestData::Archive archive;
    if (!BackupArchive::loadFromMemory(data, size, archive))
        return 0;

    juce::MemoryOutputStream written;
    if (!BackupArchive::writeToStream(archive, written))
        return 0; // an entry that cannot be written (too many parameters) is refused cleanly

    TonecrestData::Archive again;
    const bool empty = written.getDataSize() <= 22; // nothing recognised: the zip has no entries
    if (!empty && !BackupArchive::loadFromMemory(written.getData(), written.getDataSize(), again))
        __builtin_trap();
    if (!empty && (again.presets.size() != archive.presets.size() || again.userCabinets.size() != archive.userCabinets.size()
                   || again.ampModels.size() != archive.ampModels.size()))
        __builtin_trap();
    return 0;
}
