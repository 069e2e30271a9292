#include "ResourceFileLocator.h"

#include "Result.h"

#include <cstdio>
#include <memory>

juce::File locateResourcePack()
{
    const auto executable = juce::File::getSpecialLocation(juce::File::currentExecutableFile);
    if (executable == juce::File())
        return {};
    return executable.getSiblingFile("resources.bin");
}

ResourcePack::Reader openResourcePackReader(const juce::File& packFile)
{
    juce::String path;
    if (packFile.existsAsFile())
        path = packFile.getFullPathName();
    else
        Tonecrest::log(Tonecrest::kLogDebug, "Failed to get fs path for resource");

    std::shared_ptr<FILE> file(std::fopen(path.toRawUTF8(), "rb"), [](FILE* f) {
        if (f != nullptr)
            std::fclose(f);
    });
    if (file == nullptr)
    {
        Tonecrest::log(Tonecrest::kLogDebug, "Failed to open resource file '%s'", path.toRawUTF8());
        Tonecrest::log(Tonecrest::kLogDebug, "URL: %s", juce::URL(packFile).toString(false).toRawUTF8());
    }

    return [file](uint32_t offset, uint64_t size, void* dest) -> bool {
        if (file == nullptr)
            return false;
        if (size == 0)
            return true;
        if (fseeko(file.get(), off_t(offset), SEEK_SET) != 0)
            return false;
        return std::fread(dest, 1, size_t(size), file.get()) == size;
    };
}
