#include "TonecrestData.h"

#include <algorithm>
#include <cstring>

namespace Tonecrest::TonecrestData
{
namespace
{
// Byte by byte, so the block layout does not depend on the host's byte order.
void putWord(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t getWord(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8)
         | (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

uint32_t floatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatFromBits(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Word `index` of the data, or 0 when the data ends before it.
uint32_t wordAt(const uint8_t* data, size_t size, size_t index)
{
    if (data == nullptr || index >= size / wordBytes)
        return 0;
    return getWord(data + index * wordBytes);
}

Result checkBlock(const uint8_t* block, size_t blockBytes, size_t requiredBytes)
{
    if (block == nullptr || blockBytes < requiredBytes)
        return TONECREST_ERROR("Block too small");
    return kSuccess;
}

// The data from `offset` on, as a (possibly empty) range that stays inside the data.
std::pair<const uint8_t*, size_t> tail(const uint8_t* data, size_t size, size_t offset, size_t length)
{
    if (data == nullptr || offset >= size)
        return { nullptr, 0 };
    return { data + offset, std::min(length, size - offset) };
}
} // namespace

Cabinet::Cabinet()
{
    samples.fill(0.0f);
    samples[0] = 1.0f;
    samples[cabinetChannelSamples] = 1.0f;
}

Preset::Preset(const Preset& other)
    : params(other.params),
      name(other.name),
      cabinet(other.cabinet ? std::make_unique<Cabinet>(*other.cabinet) : nullptr)
{
}

Preset& Preset::operator=(const Preset& other)
{
    if (this != &other)
    {
        Preset copy(other);
        *this = std::move(copy);
    }
    return *this;
}

AmpModel::AmpModel()
{
    dataWords1.fill(0);
    dataWords2.fill(0);
}

AmpModel::AmpModel(const AmpModel& other)
    : AmpModelParams(other),
      info(other.info),
      dataWords1(other.dataWords1),
      dataWords2(other.dataWords2),
      alternate(other.alternate ? std::make_unique<AmpModelParams>(*other.alternate) : nullptr)
{
}

AmpModel& AmpModel::operator=(const AmpModel& other)
{
    if (this != &other)
    {
        AmpModel copy(other);
        *this = std::move(copy);
    }
    return *this;
}

uint32_t FirmwareVersionInfo::versionNumber(const std::array<uint8_t, 4>& version)
{
    return (static_cast<uint32_t>(version[0]) << 24) | (static_cast<uint32_t>(version[1]) << 16)
         | (static_cast<uint32_t>(version[2]) << 8) | static_cast<uint32_t>(version[3]);
}

// ---------------------------------------------------------------------------------------

std::vector<std::pair<uint32_t, float>> toSortedParameterPairs(const ParameterMap& params)
{
    // std::map iterates in key order already.
    return { params.begin(), params.end() };
}

Result encodeParamList(const ParameterMap& params, uint8_t* block, size_t blockBytes)
{
    const size_t pairCount = blockBytes / paramPairBytes;
    if (params.size() > pairCount)
        return TONECREST_ERROR("Too many params");
    if (pairCount > 0 && block == nullptr)
        return TONECREST_ERROR("Block too small");

    size_t pair = 0;
    for (const auto& [key, value] : toSortedParameterPairs(params))
    {
        putWord(block + pair * paramPairBytes, key);
        putWord(block + pair * paramPairBytes + wordBytes, floatBits(value));
        ++pair;
    }
    for (; pair < pairCount; ++pair)
    {
        putWord(block + pair * paramPairBytes, paramListEndKey);
        putWord(block + pair * paramPairBytes + wordBytes, 0);
    }
    return kSuccess;
}

Result encodePresetParams(const ParameterMap& params, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, presetParamBlockBytes); !checked)
        return checked;
    return encodeParamList(params, block, presetParamBlockBytes);
}

Result encodeAmpParams(const ParameterMap& params, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, ampParamBlockBytes); !checked)
        return checked;
    return encodeParamList(params, block, ampParamBlockBytes);
}

Result encodeGlobals(const ParameterMap& params, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, globalsParamBlockBytes); !checked)
        return checked;
    return encodeParamList(params, block, globalsParamBlockBytes);
}

Result decodeParamList(const uint8_t* data, size_t size, ParameterMap& params)
{
    params.clear();
    if (data == nullptr)
        return kSuccess;

    const size_t pairCount = size / paramPairBytes;
    for (size_t pair = 0; pair < pairCount; ++pair)
    {
        const uint8_t* at = data + pair * paramPairBytes;
        const uint32_t key = getWord(at);
        if (key == paramListEndKey)
            break;
        params[key] = floatFromBits(getWord(at + wordBytes));
    }
    return kSuccess;
}

// ---------------------------------------------------------------------------------------

Result encodeCharacterWords(const std::string& text, size_t slots, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, slots * wordBytes); !checked)
        return checked;

    std::memset(block, 0, blockBytes);
    const size_t length = std::min(text.size(), slots);
    for (size_t i = 0; i < length && text[i] != '\0'; ++i)
        block[i * wordBytes] = static_cast<uint8_t>(text[i]);
    return kSuccess;
}

Result decodeCharacterWords(const uint8_t* data, size_t size, size_t slots, std::string& text)
{
    text.clear();
    if (data == nullptr)
        return kSuccess;

    const size_t words = std::min(slots, size / wordBytes);
    for (size_t i = 0; i < words; ++i)
    {
        const uint8_t character = data[i * wordBytes];
        if (character == 0)
            break;
        text.push_back(static_cast<char>(character));
    }
    return kSuccess;
}

Result encodePresetName(const std::string& name, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, presetNameBlockBytes); !checked)
        return checked;
    return encodeCharacterWords(name, presetNameChars, block, presetNameBlockBytes);
}

Result decodePresetName(const uint8_t* data, size_t size, std::string& name)
{
    return decodeCharacterWords(data, size, presetNameChars, name);
}

Result encodeCabinetName(const std::string& name, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, cabinetNameBlockBytes); !checked)
        return checked;
    return encodeCharacterWords(name, cabinetNameChars, block, cabinetNameBlockBytes);
}

Result decodeCabinetName(const uint8_t* data, size_t size, std::string& name)
{
    return decodeCharacterWords(data, size, cabinetNameChars, name);
}

Result encodeLongName(const std::string& name, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, longNameBlockBytes); !checked)
        return checked;
    return encodeCharacterWords(name, longNameChars, block, longNameBlockBytes);
}

Result decodeLongName(const uint8_t* data, size_t size, std::string& name)
{
    return decodeCharacterWords(data, size, longNameChars, name);
}

Result encodeAmpModelInfo(const AmpModelInfo& info, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, ampInfoBlockBytes); !checked)
        return checked;
    putWord(block, info.id);
    return encodeCharacterWords(info.name, ampInfoNameChars, block + wordBytes, ampInfoBlockBytes - wordBytes);
}

Result decodeAmpModelInfo(const uint8_t* data, size_t size, AmpModelInfo& info)
{
    info.id = wordAt(data, size, 0);
    const auto [nameData, nameSize] = tail(data, size, wordBytes, ampInfoNameChars * wordBytes);
    return decodeCharacterWords(nameData, nameSize, ampInfoNameChars, info.name);
}

// ---------------------------------------------------------------------------------------

Result encodeWords(const uint32_t* words, size_t count, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, count * wordBytes); !checked)
        return checked;
    for (size_t i = 0; i < count; ++i)
        putWord(block + i * wordBytes, words[i]);
    return kSuccess;
}

Result decodeWords(const uint8_t* data, size_t size, uint32_t* words, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        words[i] = wordAt(data, size, i);
    return kSuccess;
}

Result encodeCabinetSamples(const Cabinet& cabinet, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, cabinetDataBlockBytes); !checked)
        return checked;
    for (size_t i = 0; i < cabinetSampleCount; ++i)
        putWord(block + i * wordBytes, floatBits(cabinet.samples[i]));
    return kSuccess;
}

Result copyCabinetSamples(const uint8_t* data, size_t size, Cabinet& cabinet)
{
    for (size_t i = 0; i < cabinetSampleCount; ++i)
        cabinet.samples[i] = floatFromBits(wordAt(data, size, i));
    return kSuccess;
}

Result encodeAmpModelData(const AmpModel& model, uint8_t* block, size_t blockBytes)
{
    return encodeWords(model.dataWords1.data(), model.dataWords1.size(), block, blockBytes);
}

Result decodeAmpModelData(const uint8_t* data, size_t size, AmpModel& model)
{
    return decodeWords(data, size, model.dataWords1.data(), model.dataWords1.size());
}

Result encodeAmpModelExtra(const AmpModel& model, uint8_t* block, size_t blockBytes)
{
    return encodeWords(model.dataWords2.data(), model.dataWords2.size(), block, blockBytes);
}

Result decodeAmpModelExtra(const uint8_t* data, size_t size, AmpModel& model)
{
    return decodeWords(data, size, model.dataWords2.data(), model.dataWords2.size());
}

Result encodeAmpModelParams(const AmpModelParams& model, uint8_t* block, size_t blockBytes)
{
    if (Result checked = checkBlock(block, blockBytes, ampModelBlockBytes); !checked)
        return checked;
    // Check the list before zeroing, so a refused model leaves the block as it was.
    if (model.params.size() > ampParamPairs)
        return TONECREST_ERROR("Too many params");

    std::memset(block, 0, ampModelBlockBytes);
    if (Result encoded = encodeParamList(model.params, block, ampParamBlockBytes); !encoded)
        return encoded;
    if (Result encoded = encodeLongName(model.longName1, block + ampModelLongName1Offset, longNameBlockBytes); !encoded)
        return encoded;
    return encodeLongName(model.longName2, block + ampModelLongName2Offset, longNameBlockBytes);
}

Result decodeAmpModelParams(const uint8_t* data, size_t size, AmpModelParams& model)
{
    const auto [paramData, paramSize] = tail(data, size, 0, ampParamBlockBytes);
    decodeParamList(paramData, paramSize, model.params);
    const auto [name1Data, name1Size] = tail(data, size, ampModelLongName1Offset, longNameBlockBytes);
    decodeLongName(name1Data, name1Size, model.longName1);
    const auto [name2Data, name2Size] = tail(data, size, ampModelLongName2Offset, longNameBlockBytes);
    return decodeLongName(name2Data, name2Size, model.longName2);
}

// ---------------------------------------------------------------------------------------

uint16_t dataChecksum(const uint8_t* data, size_t size, uint16_t start)
{
    uint16_t sum = start;
    if (data == nullptr)
        return sum;
    for (size_t i = 0; i < size; ++i)
    {
        sum = static_cast<uint16_t>((sum >> 1) | (sum << 15));
        sum = static_cast<uint16_t>(sum + data[i]);
    }
    return sum;
}

} // namespace Tonecrest::TonecrestData
