// Data-file reader on arbitrary bytes: the generic reader, the four converters and the version
// text must neither crash nor allocate without bound, and whatever the reader accepts must
// come back unchanged through the writer.
#include "ByteInputStream.h"
#include "ByteOutputStream.h"
#include "Result.h"
#include "TonecrestDataFile.h"

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
    DataFile file;
    ByteInputStream fileStream(data, size);
    if (file.read(fileStream))
    {
        ByteOutputStream written;
        if (!file.write(written))
            __builtin_trap();
        DataFile again;
        ByteInputStream writtenStream(written.bytes().data(), written.bytes().size());
        if (!again.read(writtenStream) || again.type != file.type || again.index != file.index || again.segments != file.segments)
            __builtin_trap();
    }

    TonecrestData::Preset preset;
    ByteInputStream presetStream(data, size);
    readPresetFile(presetStream, preset, nullptr);

    TonecrestData::Cabinet cabinet;
    ByteInputStream cabinetStream(data, size);
    readCabinetFile(cabinetStream, cabinet, nullptr);

    TonecrestData::ParameterMap globals;
    ByteInputStream globalsStream(data, size);
    readGlobalsFile(globalsStream, globals);

    TonecrestData::AmpModel model;
    uint32_t index = 0;
    ByteInputStream ampStream(data, size);
    readAmpModelFile(ampStream, model, &index);

    TonecrestData::FirmwareVersionInfo info;
    ByteInputStream versionStream(data, size);
    parseFirmwareVersionText(versionStream, info);
    return 0;
}
