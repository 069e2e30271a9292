#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Tonecrest::Testing
{

/** One Intel HEX record with its checksum, without a line ending. */
inline std::string hexRecord(int type, uint32_t address, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> fields { uint8_t(data.size()), uint8_t(address >> 8), uint8_t(address), uint8_t(type) };
    fields.insert(fields.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : fields)
        sum += byte;
    fields.push_back(uint8_t(0x100 - sum % 0x100));
    std::string line = ":";
    char digits[3];
    for (uint8_t byte : fields)
    {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        line += digits;
    }
    return line;
}

/** Lines joined with "\r\n", the way the firmware tools write them, ending in a line break. */
inline std::vector<uint8_t> hexImage(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

/** A 64-byte query reply: echo, packet size, family, then {type, start, size} per region and the
    end marker unless left out. */
inline std::vector<uint8_t> queryReply(int bytesPerPacket, int family, const std::vector<std::array<uint32_t, 3>>& regions,
                                       bool endMarker = true)
{
    std::vector<uint8_t> reply { 0x02, uint8_t(bytesPerPacket), uint8_t(family) };
    for (const auto& [type, start, size] : regions)
        for (uint32_t field : { type, start, start >> 8, start >> 16, start >> 24, size, size >> 8, size >> 16, size >> 24 })
            reply.push_back(uint8_t(field));
    if (endMarker)
        reply.push_back(0xFF);
    reply.resize(64, 0);
    return reply;
}

} // namespace Tonecrest::Testing
