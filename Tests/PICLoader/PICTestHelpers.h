#pragma once

#include "Result.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace Tonecrest::Testing
{

/** Collects every log line while alive; lines are matched by substring. */
class PICLogCapture
{
public:
    PICLogCapture()
    {
        std::lock_guard<std::mutex> lock(mutex());
        lines().clear();
        setLogCallback(&PICLogCapture::sink, nullptr);
    }
    ~PICLogCapture() { setLogCallback(nullptr, nullptr); }

    bool contains(const std::string& text) const
    {
        std::lock_guard<std::mutex> lock(mutex());
        for (const auto& line : lines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

private:
    static void sink(void*, const char* line)
    {
        std::lock_guard<std::mutex> lock(mutex());
        lines().emplace_back(line);
    }
    static std::mutex& mutex()
    {
        static std::mutex instance;
        return instance;
    }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> instance;
        return instance;
    }
};

/** A 65-byte output report: report ID 0, then the given bytes from byte 1, zero padded. */
inline std::vector<uint8_t> outputReport(std::initializer_list<int> fromByteOne)
{
    std::vector<uint8_t> report(65, 0);
    size_t at = 1;
    for (int value : fromByteOne)
        report[at++] = static_cast<uint8_t>(value);
    return report;
}

/** One Intel HEX record with its checksum, without a line ending. */
inline std::string hexRecord(int type, uint32_t address, const std::vector<uint8_t>& data)
{
    char field[16];
    std::string line = ":";
    unsigned sum = static_cast<unsigned>(data.size()) + ((address >> 8) & 0xFF) + (address & 0xFF) + static_cast<unsigned>(type);
    std::snprintf(field, sizeof(field), "%02X%04X%02X", static_cast<unsigned>(data.size()), address & 0xFFFF,
                  static_cast<unsigned>(type));
    line += field;
    for (uint8_t byte : data)
    {
        std::snprintf(field, sizeof(field), "%02X", byte);
        line += field;
        sum += byte;
    }
    std::snprintf(field, sizeof(field), "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    line += field;
    return line;
}

/** A 64-byte query reply: echo, packet size, family, then (type, start, size) per region and the
    end marker unless left out. */
inline std::vector<uint8_t> queryReply(int bytesPerPacket, int family,
                                       const std::vector<std::array<uint32_t, 3>>& regions, bool endMarker = true)
{
    std::vector<uint8_t> reply(64, 0);
    reply[0] = 0x02;
    reply[1] = static_cast<uint8_t>(bytesPerPacket);
    reply[2] = static_cast<uint8_t>(family);
    size_t at = 3;
    for (const auto& [type, start, size] : regions)
    {
        reply[at] = static_cast<uint8_t>(type);
        for (size_t i = 0; i < 4; ++i)
        {
            reply[at + 1 + i] = static_cast<uint8_t>(start >> (8 * i));
            reply[at + 5 + i] = static_cast<uint8_t>(size >> (8 * i));
        }
        at += 9;
    }
    if (endMarker)
        reply[at] = 0xFF;
    return reply;
}

/** Lines joined with "\r\n", the way the firmware tools write them, ending in a line break. */
inline std::vector<uint8_t> hexImage(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace Tonecrest::Testing
