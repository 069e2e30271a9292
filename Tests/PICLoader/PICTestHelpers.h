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
    char field[16];
    std::snprintf(field, sizeof(field), ":%02X%04X%02X", unsigned(data.size()), address & 0xFFFF, unsigned(type));
    std::string line = field;
    unsigned sum = unsigned(data.size()) + ((address >> 8) & 0xFF) + (address & 0xFF) + unsigned(type);
    for (uint8_t byte : data)
    {
        std::snprintf(field, sizeof(field), "%02X", byte);
        line += field;
        sum += byte;
    }
    std::snprintf(field, sizeof(field), "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + field;
}

/** Lines joined with "\r\n", the way the firmware tools write them, ending in a line break. */
inline std::vector<uint8_t> hexImage(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

/** A 64-byte query reply: echo, packet size, family, then (type, start, size) per region and the
    end marker unless left out. */
inline std::vector<uint8_t> queryReply(int bytesPerPacket, int family,
                                       const std::vector<std::array<uint32_t, 3>>& regions, bool endMarker = true)
{
    std::vector<uint8_t> reply(64, 0);
    reply[0] = 0x02;
    reply[1] = uint8_t(bytesPerPacket);
    reply[2] = uint8_t(family);
    size_t at = 3;
    for (const auto& [type, start, size] : regions)
    {
        reply[at] = uint8_t(type);
        for (size_t i = 0; i < 4; ++i)
        {
            reply[at + 1 + i] = uint8_t(start >> (8 * i));
            reply[at + 5 + i] = uint8_t(size >> (8 * i));
        }
        at += 9;
    }
    if (endMarker)
        reply[at] = 0xFF;
    return reply;
}

} // namespace Tonecrest::Testing
