#include "BackupArchive.h"

#include "IOUtils.h"
#include "TonecrestDataFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Tonecrest
{
using namespace TonecrestData;

namespace
{
const char* const kVersionInfoName = "ArchiveInfo.txt";
const char* const kSystemFirmwareName = "System.hex";
const char* const kDspFirmwareName = "FerroxAmp.ldr";
const char* const kDspFirmwareQV6Name = "FerroxAmp_QV6.ldr";
const char* const kDspFirmware2Name = "FerroxAmp2.ldr";
const char* const kDataFilePrefix = "Ferrox_Tonecrest_";

// ---------------------------------------------------------------------------------------
// Reading

// Entry names are handled as the raw bytes the zip holds: a name that is not valid UTF-8 is
// not safe to pass through juce::String's character operations.
bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool endsWithIgnoringCase(const std::string& text, const char* suffix)
{
    const size_t length = std::strlen(suffix);
    if (text.size() < length)
        return false;
    return std::equal(text.end() - static_cast<std::ptrdiff_t>(length), text.end(), suffix, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// Desktop systems add resource forks ("__MACOSX/...", "._name") and hidden files (".DS_Store"),
// at the top or inside folders; none of them is archive content.
bool isHiddenEntry(const std::string& name)
{
    const size_t separator = name.find_last_of("/\\");
    const std::string baseName = separator == std::string::npos ? name : name.substr(separator + 1);
    return startsWith(name, ".") || startsWith(name, "__MACOSX") || startsWith(baseName, ".");
}

/** Appends an entry and reads a data file into it; its slot is the one the file names. */
template <typename Entry, typename Record>
Result appendDataFile(std::vector<Entry>& entries, Record Entry::*record,
                      Result (*readFile)(IInputStream&, Record&, uint32_t*), IInputStream& stream)
{
    Entry& entry = entries.emplace_back();
    uint32_t index = 0;
    Result result = readFile(stream, entry.*record, &index);
    entry.index = static_cast<int32_t>(index);
    return result;
}

Result readEntry(const std::string& name, IInputStream& stream, Archive& archive)
{
    if (endsWithIgnoringCase(name, kVersionInfoName))
    {
        archive.versionInfo.emplace();
        return parseFirmwareVersionText(stream, *archive.versionInfo);
    }
    if (endsWithIgnoringCase(name, kSystemFirmwareName))
    {
        archive.systemFirmware.emplace();
        return readStream(stream, *archive.systemFirmware);
    }
    using FirmwarePart = std::optional<std::vector<uint8_t>> Archive::*;
    const std::pair<const char*, FirmwarePart> dspImages[] = { { kDspFirmwareName, &Archive::dspFirmware },
                                                               { kDspFirmwareQV6Name, &Archive::dspFirmwareQV6 },
                                                               { kDspFirmware2Name, &Archive::dspFirmware2 } };
    for (const auto& [imageName, part] : dspImages)
    {
        if (endsWithIgnoringCase(name, imageName))
        {
            (archive.*part).emplace();
            return readReversedStream(stream, *(archive.*part));
        }
    }

    if (endsWithIgnoringCase(name, ".cab"))
        return appendDataFile(archive.userCabinets, &Archive::CabinetEntry::cabinet, readCabinetFile, stream);
    if (endsWithIgnoringCase(name, ".amp"))
        return appendDataFile(archive.ampModels, &Archive::AmpModelEntry::model, readAmpModelFile, stream);
    if (endsWithIgnoringCase(name, ".pre"))
        return appendDataFile(archive.presets, &Archive::PresetEntry::preset, readPresetFile, stream);
    if (endsWithIgnoringCase(name, ".glo"))
    {
        archive.globals.emplace();
        return readGlobalsFile(stream, *archive.globals);
    }

    log(kLogWarning, "Unrecognized entry in backup archive: '%s'", name.c_str());
    return kSuccess;
}

// ---------------------------------------------------------------------------------------
// Writing

// Names are bytes; anything above 127 is taken as Latin-1 rather than guessed at as UTF-8.
juce::String stringFromBytes(const std::string& bytes)
{
    juce::String text;
    for (const char character : bytes)
        text += static_cast<juce::juce_wchar>(static_cast<unsigned char>(character));
    return text;
}

/** One entry being built: its name and its content in memory. */
struct PendingEntry
{
    explicit PendingEntry(const juce::String& name) : name(name) {}

    juce::String name;
    juce::MemoryOutputStream content { 256 };
};

using EntryWriter = std::function<Result(IOutputStream&)>;

class PendingEntries
{
public:
    ~PendingEntries()
    {
        while (!entries.empty())
            entries.pop_back();
    }

    Result add(const juce::String& name, const EntryWriter& writeContent)
    {
        entries.push_back(std::make_unique<PendingEntry>(name));
        OutStreamWrapper stream(&entries.back()->content);
        return writeContent(stream);
    }

    const std::vector<std::unique_ptr<PendingEntry>>& all() const { return entries; }

private:
    std::vector<std::unique_ptr<PendingEntry>> entries;
};

juce::String dataFileEntryName(int32_t slot, const char* extension)
{
    return juce::String(kDataFilePrefix) + juce::String(slot) + extension;
}

Result buildEntries(const Archive& archive, PendingEntries& entries)
{
    std::vector<std::pair<juce::String, EntryWriter>> writers;
    if (archive.versionInfo)
        writers.emplace_back(kVersionInfoName, [&](IOutputStream& out) { return formatFirmwareVersionText(*archive.versionInfo, out); });
    if (archive.systemFirmware)
        writers.emplace_back(kSystemFirmwareName, [&](IOutputStream& out) { return writeStream(*archive.systemFirmware, out); });
    if (archive.dspFirmware)
        writers.emplace_back(kDspFirmwareName, [&](IOutputStream& out) { return writeReversedStream(*archive.dspFirmware, out); });
    if (archive.dspFirmwareQV6)
        writers.emplace_back(kDspFirmwareQV6Name, [&](IOutputStream& out) { return writeReversedStream(*archive.dspFirmwareQV6, out); });
    if (archive.dspFirmware2)
        writers.emplace_back(kDspFirmware2Name, [&](IOutputStream& out) { return writeReversedStream(*archive.dspFirmware2, out); });
    for (const auto& entry : archive.ampModels)
    {
        const juce::String name = juce::File::createLegalFileName(juce::String(entry.index) + " - "
                                                                   + stringFromBytes(entry.model.info.name) + ".amp");
        writers.emplace_back(name, [&](IOutputStream& out) { return writeAmpModelFile(entry.model, out, static_cast<uint32_t>(entry.index)); });
    }
    for (const auto& entry : archive.presets)
        writers.emplace_back(dataFileEntryName(entry.index, ".pre"),
                             [&](IOutputStream& out) { return writePresetFile(entry.preset, out, static_cast<uint32_t>(entry.index)); });
    for (const auto& entry : archive.userCabinets)
        writers.emplace_back(dataFileEntryName(entry.index, ".cab"),
                             [&](IOutputStream& out) { return writeCabinetFile(entry.cabinet, out, static_cast<uint32_t>(entry.index)); });
    if (archive.globals)
        writers.emplace_back(dataFileEntryName(0, ".glo"), [&](IOutputStream& out) { return writeGlobalsFile(*archive.globals, out); });

    for (const auto& [name, writeContent] : writers)
        if (Result added = entries.add(name, writeContent); !added)
            return added;
    return kSuccess;
}

/** Forwards to a stream and remembers whether any write was refused: the zip builder does not
    look at the results of its own writes. */
class CheckedOutputStream : public juce::OutputStream
{
public:
    explicit CheckedOutputStream(juce::OutputStream& target) : target(target) {}

    void flush() override { target.flush(); }
    bool setPosition(juce::int64 position) override { return target.setPosition(position); }
    juce::int64 getPosition() override { return target.getPosition(); }

    bool write(const void* data, size_t size) override
    {
        const bool written = target.write(data, size);
        failed = failed || !written;
        return written;
    }

    bool anyWriteFailed() const { return failed; }

private:
    juce::OutputStream& target;
    bool failed = false;
};

Result writeZip(const PendingEntries& entries, juce::OutputStream& stream)
{
    juce::ZipFile::Builder builder;
    const juce::Time now = juce::Time::getCurrentTime();
    for (const auto& entry : entries.all())
        builder.addEntry(new juce::MemoryInputStream(entry->content.getData(), entry->content.getDataSize(), false),
                         0, entry->name, now);

    CheckedOutputStream checked(stream);
    if (!builder.writeToStream(checked, nullptr) || checked.anyWriteFailed())
        return TONECREST_ERROR("Failed to write zip file");
    return kSuccess;
}
} // namespace

// ---------------------------------------------------------------------------------------

Result BackupArchive::loadFromFile(const juce::File& file, Archive& archive)
{
    juce::ZipFile zip(file);
    return read(zip, archive);
}

Result BackupArchive::loadFromMemory(const void* data, size_t size, Archive& archive)
{
    juce::MemoryInputStream input(data, size, false);
    juce::ZipFile zip(input);
    return read(zip, archive);
}

Result BackupArchive::read(juce::ZipFile& zip, Archive& archive)
{
    const int entryCount = zip.getNumEntries();
    if (entryCount == 0)
        return TONECREST_ERROR("Not a valid backup file");
    if (entryCount > maxEntries)
        return TONECREST_ERROR("Too many entries in backup file: %d", entryCount);

    for (int i = 0; i < entryCount; ++i)
    {
        const std::string name = zip.getEntry(i)->filename.toRawUTF8();
        if (isHiddenEntry(name))
            continue;
        std::unique_ptr<juce::InputStream> entryStream(zip.createStreamForEntry(i));
        if (entryStream == nullptr)
        {
            log(kLogWarning, "Failed to open stream for archive entry - skipping");
            continue;
        }
        InStreamWrapper stream(entryStream.get());
        if (Result entryRead = readEntry(name, stream, archive); !entryRead)
            return entryRead;
    }
    return kSuccess;
}

Result BackupArchive::write(const Archive& archive, const juce::File& file)
{
    PendingEntries entries;
    if (Result built = buildEntries(archive, entries); !built)
        return built;
    return writeFileSafely(file, [&](juce::OutputStream& stream) { return writeZip(entries, stream); }, "Failed to write zip file");
}

Result BackupArchive::writeToStream(const Archive& archive, juce::OutputStream& stream)
{
    PendingEntries entries;
    if (Result built = buildEntries(archive, entries); !built)
        return built;
    return writeZip(entries, stream);
}

} // namespace Tonecrest
