#pragma once

#include "Result.h"

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

/** Lines joined with "\r\n", the way the firmware tools write them, ending in a line break. */
inline std::vector<uint8_t> hexImage(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace Tonecrest::Testing
