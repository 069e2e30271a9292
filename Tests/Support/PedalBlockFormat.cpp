#include "PedalBlockFormat.h"

#include <cstring>

namespace Tonecrest::Testing::PedalBlockFormat
{

uint16_t getU16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t getU32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16)
         | (static_cast<uint32_t>(at[3]) << 24);
}

void putU16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void putU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
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

uint16_t checksum(const uint8_t* data, size_t length)
{
    uint16_t sum = 0;
    for (size_t i = 0; i < length; ++i)
    {
        sum = static_cast<uint16_t>((sum >> 1) | (sum << 15));
        sum = static_cast<uint16_t>(sum + data[i]);
    }
    return sum;
}

bool encodeParameterList(const std::map<uint32_t, float>& params, size_t pairCount, std::vector<uint8_t>& out)
{
    if (params.size() > pairCount)
        return false;
    std::vector<uint8_t> block(pairCount * 8, 0);
    size_t pair = 0;
    for (const auto& [key, value] : params) // std::map iterates in key order
    {
        putU32(&block[pair * 8], key);
        putU32(&block[pair * 8 + 4], floatBits(value));
        ++pair;
    }
    for (; pair < pairCount; ++pair)
        putU32(&block[pair * 8], kListEndKey);
    out = std::move(block);
    return true;
}

std::map<uint32_t, float> decodeParameterList(const std::vector<uint8_t>& block, size_t offset, size_t pairCount)
{
    std::map<uint32_t, float> params;
    for (size_t pair = 0; pair < pairCount; ++pair)
    {
        const size_t at = offset + pair * 8;
        if (at + 8 > block.size())
            break;
        const uint32_t key = getU32(&block[at]);
        if (key == kListEndKey)
            break;
        params[key] = floatFromBits(getU32(&block[at + 4]));
    }
    return params;
}

void putName(std::vector<uint8_t>& block, size_t offset, const std::string& name, size_t slots)
{
    for (size_t slot = 0; slot < slots; ++slot)
    {
        const uint8_t character = slot < name.size() ? static_cast<uint8_t>(name[slot]) : 0;
        putU32(&block[offset + slot * 4], character);
    }
}

std::string getName(const std::vector<uint8_t>& block, size_t offset, size_t slots)
{
    std::string name;
    for (size_t slot = 0; slot < slots && offset + slot * 4 < block.size(); ++slot)
    {
        const uint8_t character = block[offset + slot * 4];
        if (character == 0)
            break;
        name += static_cast<char>(character);
    }
    return name;
}

void putWords(std::vector<uint8_t>& block, size_t offset, const uint32_t* words, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        putU32(&block[offset + i * 4], words[i]);
}

void getWords(const std::vector<uint8_t>& block, size_t offset, uint32_t* words, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        const size_t at = offset + i * 4;
        words[i] = at + 4 <= block.size() ? getU32(&block[at]) : 0;
    }
}

void putFloats(std::vector<uint8_t>& block, size_t offset, const float* values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        putU32(&block[offset + i * 4], floatBits(values[i]));
}

void getFloats(const std::vector<uint8_t>& block, size_t offset, float* values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        const size_t at = offset + i * 4;
        values[i] = floatFromBits(at + 4 <= block.size() ? getU32(&block[at]) : 0);
    }
}

} // namespace Tonecrest::Testing::PedalBlockFormat
