#include "SyntheticFirmware.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace Tonecrest::Testing::SyntheticFirmware
{
namespace
{
constexpr uint8_t kVersionMarker[4] = { 'T', 'C', 'S', 'V' };

uint8_t versionCheck(const Version& version)
{
    return static_cast<uint8_t>(version[0] ^ version[1] ^ version[2] ^ 0x5A);
}

/** Every byte the image holds, by HEX byte address. */
std::map<uint32_t, uint8_t> imageContent(const Version& version)
{
    std::map<uint32_t, uint8_t> content;
    // A small generator seeded by the version, so two versions differ all through the code.
    uint32_t state = 0x9E3779B9u ^ (static_cast<uint32_t>(version[0]) << 16) ^ (version[1] << 8) ^ version[2];
    for (uint32_t offset = 0; offset < kCodeBytes; ++offset)
    {
        state = state * 1664525u + 1013904223u;
        const uint32_t address = kCodeAddress + offset;
        const bool blank = address >= kBlankGapAddress && address < kBlankGapAddress + kBlankGapBytes;
        content[address] = blank ? 0xFF : static_cast<uint8_t>(state >> 24);
    }

    const uint8_t values[8] = { kVersionMarker[0], kVersionMarker[1], kVersionMarker[2], kVersionMarker[3],
                                version[0], version[1], version[2], versionCheck(version) };
    for (uint32_t word = 0; word < 8; ++word)
        for (uint32_t byte = 0; byte < 4; ++byte)
            content[kVersionAddress + word * 4 + byte] = byte == 0 ? values[word] : 0;

    for (uint32_t offset = 0; offset < kConfigBytes; ++offset)
        content[kConfigAddress + offset] = static_cast<uint8_t>(0xC0 + offset);
    return content;
}

std::string record(unsigned type, uint32_t address, const std::vector<uint8_t>& data)
{
    char field[16];
    std::snprintf(field, sizeof field, ":%02X%04X%02X", static_cast<unsigned>(data.size()), address & 0xFFFF, type);
    std::string line = field;
    unsigned sum = static_cast<unsigned>(data.size()) + ((address >> 8) & 0xFF) + (address & 0xFF) + type;
    for (uint8_t byte : data)
    {
        std::snprintf(field, sizeof field, "%02X", byte);
        line += field;
        sum += byte;
    }
    std::snprintf(field, sizeof field, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + field;
}
} // namespace

std::vector<uint8_t> makeSystemHex(const Version& version)
{
    const std::map<uint32_t, uint8_t> content = imageContent(version);
    std::string text;
    uint32_t upper = 0;
    auto at = content.begin();
    while (at != content.end())
    {
        // One record: up to 16 consecutive bytes that share the upper address half.
        const uint32_t start = at->first;
        std::vector<uint8_t> data;
        while (at != content.end() && at->first == start + data.size() && data.size() < 16
               && (at->first >> 16) == (start >> 16))
        {
            data.push_back(at->second);
            ++at;
        }
        if ((start >> 16) != upper)
        {
            upper = start >> 16;
            text += record(4, 0, { static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper) });
        }
        text += record(0, start, data);
    }
    text += record(1, 0, {});
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> systemImageBytes(const Version& version, uint32_t address, size_t count)
{
    const std::map<uint32_t, uint8_t> content = imageContent(version);
    std::vector<uint8_t> bytes(count, 0xFF);
    for (size_t i = 0; i < count; ++i)
    {
        auto found = content.find(address + static_cast<uint32_t>(i));
        if (found != content.end())
            bytes[i] = found->second;
    }
    return bytes;
}

std::optional<Version> versionInFlash(const std::vector<uint8_t>& flash, uint32_t regionStart, uint32_t bytesPerAddress)
{
    const uint64_t regionByteStart = static_cast<uint64_t>(regionStart) * bytesPerAddress;
    if (bytesPerAddress == 0 || kVersionAddress < regionByteStart
        || kVersionAddress - regionByteStart + kVersionBlockBytes > flash.size())
        return std::nullopt;
    const size_t offset = static_cast<size_t>(kVersionAddress - regionByteStart);
    uint8_t values[8];
    for (size_t word = 0; word < 8; ++word)
        values[word] = flash[offset + word * 4];
    if (std::memcmp(values, kVersionMarker, 4) != 0)
        return std::nullopt;
    Version version { values[4], values[5], values[6] };
    if (values[7] != versionCheck(version))
        return std::nullopt;
    return version;
}

std::vector<uint8_t> makeDSPImage(const std::string& name, const Version& dspVersion, size_t length)
{
    char header[128];
    std::snprintf(header, sizeof header, "SYNTHETIC DSP IMAGE %s %u.%u.%u - TEST DATA, NOT FIRMWARE FOR ANY DEVICE\n",
                  name.c_str(), dspVersion[0], dspVersion[1], dspVersion[2]);
    std::vector<uint8_t> image(header, header + std::strlen(header));
    uint32_t seed = 0;
    for (char c : name)
        seed = seed * 31 + static_cast<uint8_t>(c);
    while (image.size() < length)
        image.push_back(static_cast<uint8_t>((image.size() * 7 + seed) ^ (image.size() >> 5)));
    image.resize(length);
    return image;
}

TonecrestData::AmpModel makeAmpModel(int slot)
{
    TonecrestData::AmpModel model;
    char name[32];
    std::snprintf(name, sizeof name, "Synth Amp %02d", slot + 1);
    model.info.id = 100 + static_cast<uint32_t>(slot);
    model.info.name = name;
    model.longName1 = std::string("Synthetic amp model ") + name;
    model.longName2 = "Test data";
    for (uint32_t key = 0; key < 12; ++key)
        model.params[key] = static_cast<float>(slot) + static_cast<float>(key) / 16.0f;
    for (size_t i = 0; i < model.dataWords1.size(); ++i)
        model.dataWords1[i] = static_cast<uint32_t>(slot) << 24 | static_cast<uint32_t>(i * 2654435761u >> 12);
    for (size_t i = 0; i < model.dataWords2.size(); ++i)
        model.dataWords2[i] = static_cast<uint32_t>(slot * 0x01000193u) ^ static_cast<uint32_t>(i);
    return model;
}

TonecrestData::Archive makeArchive(const Options& options)
{
    TonecrestData::Archive archive;
    TonecrestData::FirmwareVersionInfo info;
    info.system = { options.system[0], options.system[1], options.system[2], 0 };
    info.dsp = { options.dsp[0], options.dsp[1], options.dsp[2], 0 };
    archive.versionInfo = info;
    archive.systemFirmware = makeSystemHex(options.system);
    // Lengths that are no multiple of a 62-byte chunk, so the last chunk is always short.
    archive.dspFirmware = makeDSPImage("QV3", options.dsp, 6001);
    archive.dspFirmwareQV6 = makeDSPImage("QV6", options.dsp, 6203);
    archive.dspFirmware2 = makeDSPImage("DSP2", options.dsp, 4097);
    for (size_t slot = 0; slot < kAmpModelCount; ++slot)
        archive.ampModels.push_back({ static_cast<int32_t>(slot), makeAmpModel(static_cast<int>(slot)) });
    return archive;
}

} // namespace Tonecrest::Testing::SyntheticFirmware
