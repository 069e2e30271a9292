// Writes the synthetic firmware archive: the layout of a firmware update archive (".tfu"),
// filled with the test firmware of Tests/Support/SyntheticFirmware. The build runs it to give
// the tests and the simulated pedal an archive; it is never firmware for a pedal.
//
// Usage: TonecrestMakeFirmwareArchive OUTPUT.tfu [--system X.Y.Z] [--dsp X.Y.Z]

#include "ByteOutputStream.h"
#include "SyntheticFirmware.h"
#include "TonecrestDataFile.h"

#include <juce_core/juce_core.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Tonecrest;
namespace Synthetic = Tonecrest::Testing::SyntheticFirmware;

namespace
{
struct Entry
{
    juce::String name;
    std::vector<uint8_t> content;
};

bool parseVersion(const char* text, Synthetic::Version& version)
{
    unsigned major = 0, minor = 0, patch = 0;
    char end = 0;
    if (std::sscanf(text, "%u.%u.%u%c", &major, &minor, &patch, &end) != 3 || major > 255 || minor > 255 || patch > 255)
        return false;
    version = { static_cast<uint8_t>(major), static_cast<uint8_t>(minor), static_cast<uint8_t>(patch) };
    return true;
}

std::vector<std::string> splitLines(const std::vector<uint8_t>& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t byte : text)
    {
        if (byte == '\n')
        {
            lines.push_back(line);
            line.clear();
        }
        else
        {
            line.push_back(static_cast<char>(byte));
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::vector<uint8_t> joinLines(const std::vector<std::string>& lines)
{
    std::vector<uint8_t> text;
    for (const std::string& line : lines)
    {
        text.insert(text.end(), line.begin(), line.end());
        text.push_back('\n');
    }
    return text;
}

// The firmware archives the pedal's maker ships name the DSP version first.
Result versionText(const TonecrestData::FirmwareVersionInfo& info, std::vector<uint8_t>& text)
{
    ByteOutputStream out;
    if (Result written = formatFirmwareVersionText(info, out); !written)
        return written;
    std::vector<std::string> lines = splitLines(out.bytes());
    std::vector<std::string> dspFirst;
    for (const std::string& line : lines)
        if (line.rfind("DSP_FW_VERSION", 0) == 0)
            dspFirst.push_back(line);
    for (const std::string& line : lines)
        if (line.rfind("DSP_FW_VERSION", 0) != 0)
            dspFirst.push_back(line);
    text = joinLines(dspFirst);
    return kSuccess;
}

// Amp files in firmware archives give the segment size line once, before the first segment,
// and carry no checksum lines; the data-file reader takes them as they are.
Result ampModelText(const TonecrestData::AmpModel& model, uint32_t slot, std::vector<uint8_t>& text)
{
    ByteOutputStream out;
    if (Result written = writeAmpModelFile(model, out, slot); !written)
        return written;
    std::vector<std::string> kept;
    bool sizeLineSeen = false;
    for (const std::string& line : splitLines(out.bytes()))
    {
        if (line.rfind("CRC = ", 0) == 0)
            continue;
        if (line.rfind("Data Segment ", 0) == 0)
        {
            if (sizeLineSeen)
                continue;
            sizeLineSeen = true;
        }
        kept.push_back(line);
    }
    text = joinLines(kept);
    return kSuccess;
}

Result buildEntries(const TonecrestData::Archive& archive, std::vector<Entry>& entries)
{
    Entry info { "ArchiveInfo.txt", {} };
    if (Result made = versionText(*archive.versionInfo, info.content); !made)
        return made;
    entries.push_back(std::move(info));
    entries.push_back({ "System.hex", *archive.systemFirmware });

    const std::pair<const char*, const std::vector<uint8_t>*> dspImages[] = {
        { "FerroxAmp.ldr", &*archive.dspFirmware },
        { "FerroxAmp_QV6.ldr", &*archive.dspFirmwareQV6 },
        { "FerroxAmp2.ldr", &*archive.dspFirmware2 },
    };
    for (const auto& [name, image] : dspImages)
    {
        ByteOutputStream out;
        if (Result written = writeReversedStream(*image, out); !written)
            return written;
        entries.push_back({ name, out.bytes() });
    }

    for (const auto& amp : archive.ampModels)
    {
        Entry entry { juce::File::createLegalFileName(juce::String(amp.index) + " - " + juce::String(amp.model.info.name) + ".amp"), {} };
        if (Result made = ampModelText(amp.model, static_cast<uint32_t>(amp.index), entry.content); !made)
            return made;
        entries.push_back(std::move(entry));
    }
    return kSuccess;
}

Result writeZip(const std::vector<Entry>& entries, juce::OutputStream& stream)
{
    // A fixed date keeps the archive the same from build to build.
    const juce::Time date(2020, 0, 1, 0, 0, 0, 0, false);
    juce::ZipFile::Builder builder;
    for (const Entry& entry : entries)
        builder.addEntry(new juce::MemoryInputStream(entry.content.data(), entry.content.size(), false), 9, entry.name, date);
    if (!builder.writeToStream(stream, nullptr))
        return TONECREST_ERROR("Failed to write zip file");
    return kSuccess;
}
} // namespace

int main(int argc, char** argv)
{
    Synthetic::Options options;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--system") == 0 && hasValue && parseVersion(argv[i + 1], options.system))
            ++i;
        else if (std::strcmp(argv[i], "--dsp") == 0 && hasValue && parseVersion(argv[i + 1], options.dsp))
            ++i;
        else if (output == nullptr && argv[i][0] != '-')
            output = argv[i];
        else
            output = nullptr, i = argc;
    }
    if (output == nullptr)
    {
        std::fprintf(stderr, "Usage: %s OUTPUT.tfu [--system X.Y.Z] [--dsp X.Y.Z]\n", argv[0]);
        return 2;
    }

    std::vector<Entry> entries;
    Result result = buildEntries(Synthetic::makeArchive(options), entries);
    if (result)
    {
        // Written beside the target and moved over it, so a failed run leaves no half archive.
        const juce::File target = juce::File::getCurrentWorkingDirectory().getChildFile(juce::String::fromUTF8(output));
        const juce::File partial = target.getSiblingFile(target.getFileName() + ".part");
        partial.deleteFile();
        {
            juce::FileOutputStream stream(partial);
            result = stream.openedOk() ? writeZip(entries, stream) : TONECREST_ERROR("Failed to overwrite file");
            stream.flush();
            if (result && stream.getStatus().failed())
                result = TONECREST_ERROR("Failed to write zip file");
        }
        if (result && !partial.moveFileTo(target))
            result = TONECREST_ERROR("Failed to overwrite file");
        if (!result)
            partial.deleteFile();
    }
    if (!result)
    {
        std::fprintf(stderr, "%s: %s\n", output, result.error);
        return 1;
    }
    return 0;
}
