#include "Comm.h"

#include "Result.h"
#include "Timing.h"

#include <algorithm>
#include <cstring>

namespace Tonecrest::PICLoader
{
namespace
{
constexpr size_t kCommandByte = 1;
constexpr size_t kAddressByte = 2;
constexpr size_t kSizeByte = 6;

constexpr size_t kReplySizeByte = 5;
constexpr size_t kReplyDataEnd = 64; // read-back data ends at byte 63

void putU32(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value >> 16);
    bytes[3] = static_cast<uint8_t>(value >> 24);
}

// The upper byte of each 4-byte word on family 2 is not implemented in flash, so its value
// never makes a packet worth sending.
bool isBlankPayload(const uint8_t* payload, uint32_t size, uint32_t family, uint32_t bytesPerWord)
{
    for (uint32_t i = 0; i < size; ++i)
    {
        if (family == 2 && i % bytesPerWord == 3)
            continue;
        if (payload[i] != 0xFF)
            return false;
    }
    return true;
}
} // namespace

void logCommError(int code, const char* fileName, int line)
{
    log(kLogError, "Comm Error %d, origin at %s:%d", code, fileName, line);
}

void logCommCheck(const char* fileName, int line)
{
    log(kLogError, "Comm Error check at %s:%d", fileName, line);
}

Comm::Comm(USBDevice& usbDevice)
    : device(usbDevice)
{
}

Comm::~Comm() = default;

int Comm::SendPacket(const uint8_t* report, int length)
{
    if (report == nullptr || length <= 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }
    int written = device.write(report, static_cast<size_t>(length));
    if (written == 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommTimeout);
        return kCommTimeout;
    }
    // A partly written report is a command the bootloader never saw whole.
    if (written < length)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }
    return kCommSuccess;
}

int Comm::ReceivePacket(uint8_t* buffer, int length)
{
    if (buffer == nullptr || length <= 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }
    int count = device.read(buffer, static_cast<size_t>(length), Timing::scaled(Timing::picReplyTimeoutMs));
    if (count < 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }
    if (count == 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommTimeout);
        return kCommTimeout;
    }
    return kCommSuccess;
}

int Comm::Query(DeviceDescription& description)
{
    log(kLogDebug, "Getting Query packet...");
    uint8_t report[kReportSize] = {};
    report[kCommandByte] = kCommandQuery;
    int code = SendPacket(report, static_cast<int>(sizeof(report)));
    if (code != kCommSuccess)
        return code;

    uint8_t reply[DeviceDescription::kQueryReplySize] = {};
    code = ReceivePacket(reply, static_cast<int>(sizeof(reply)));
    // The read's own code first: a zeroed buffer after a time-out is no wrong reply.
    if (code != kCommSuccess)
        return code;
    if (reply[0] != kCommandQuery)
    {
        TONECREST_PIC_COMM_ERROR(kCommWrongReply);
        return kCommWrongReply;
    }
    log(kLogDebug, "Successfully received query packet");
    description = DeviceDescription::fromQueryResponse(reply);
    return kCommSuccess;
}

int Comm::Erase()
{
    log(kLogDebug, "Sending Erase Command...");
    uint8_t report[kReportSize] = {};
    report[kCommandByte] = kCommandErase;
    int code = SendPacket(report, static_cast<int>(sizeof(report)));
    if (code == kCommSuccess)
        log(kLogDebug, "Successfully sent erase command");
    else
        TONECREST_PIC_COMM_CHECK();
    return code;
}

int Comm::Program(uint32_t address, uint32_t bytesPerPacket, uint32_t bytesPerAddress, uint32_t bytesPerWord,
                  uint32_t family, uint32_t endAddress, const uint8_t* data, size_t dataSize)
{
    if (bytesPerAddress == 0 || bytesPerWord == 0 || endAddress < address)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }
    if (address == endAddress)
        return kCommSuccess;

    const uint64_t regionBytes = static_cast<uint64_t>(endAddress - address) * bytesPerAddress;
    const uint32_t packetLimit = std::min(bytesPerPacket, kDataFieldSize);
    const uint32_t fullPacket = packetLimit - packetLimit % bytesPerWord;
    // A packet must cover whole addresses, or the address and the data would drift apart.
    if (data == nullptr || regionBytes > dataSize || fullPacket == 0 || fullPacket % bytesPerAddress != 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }

    bool sentData = false;
    uint8_t lastCommand = kCommandProgram;
    uint64_t current = address;
    size_t dataOffset = 0;

    while (current < endAddress)
    {
        const uint64_t remainingBytes = (endAddress - current) * bytesPerAddress;
        uint32_t dataBytes = fullPacket;
        uint32_t size = fullPacket;
        if (remainingBytes < fullPacket)
        {
            dataBytes = static_cast<uint32_t>(remainingBytes);
            // The bootloader writes whole words: the final word is completed with blank bytes.
            size = (dataBytes + bytesPerWord - 1) / bytesPerWord * bytesPerWord;
            log(kLogDebug, "Preparing short packet of final program data with payload: 0x%x", size);
        }

        const uint32_t packetAddress = static_cast<uint32_t>(current);
        uint8_t report[kReportSize] = {};
        report[kCommandByte] = kCommandProgram;
        putU32(report + kAddressByte, packetAddress);
        report[kSizeByte] = static_cast<uint8_t>(size);
        uint8_t* payload = report + kReportSize - size;
        std::memcpy(payload, data + dataOffset, dataBytes);
        std::memset(payload + dataBytes, 0xFF, size - dataBytes);

        if (!isBlankPayload(payload, size, family, bytesPerWord))
        {
            log(kLogDebug, "Sending program data packet with address: 0x%x", packetAddress);
            int code = SendPacket(report, static_cast<int>(sizeof(report)));
            if (code != kCommSuccess)
            {
                log(kLogError, "Error during program sending packet with address: 0x%x", packetAddress);
                TONECREST_PIC_COMM_CHECK();
                return code;
            }
            sentData = true;
            lastCommand = kCommandProgram;
        }
        else if (sentData)
        {
            // Closes the run of data before the gap, so the bootloader flushes what it holds.
            report[kCommandByte] = kCommandProgramComplete;
            report[kSizeByte] = 0;
            std::memset(report + kSizeByte + 1, 0, kReportSize - kSizeByte - 1);
            log(kLogDebug, "Sending program complete data packet to skip a packet with address: 0x%x", packetAddress);
            int code = SendPacket(report, static_cast<int>(sizeof(report)));
            if (code != kCommSuccess)
            {
                log(kLogError, "Error during program sending packet with address: 0x%x", packetAddress);
                TONECREST_PIC_COMM_CHECK();
                return code;
            }
            sentData = false;
            lastCommand = kCommandProgramComplete;
        }
        else
        {
            log(kLogDebug, "Skipping data packet with all 0xFF with address: 0x%x", packetAddress);
        }

        current += fullPacket / bytesPerAddress;
        dataOffset += dataBytes;

        if (current >= endAddress)
        {
            if (lastCommand == kCommandProgramComplete)
                return kCommSuccess;
            uint8_t complete[kReportSize] = {};
            complete[kCommandByte] = kCommandProgramComplete;
            log(kLogDebug, "Sending final program complete command for this region.");
            int code = SendPacket(complete, static_cast<int>(sizeof(complete)));
            if (code != kCommSuccess)
                TONECREST_PIC_COMM_CHECK();
            return code;
        }
    }
    return kCommSuccess;
}

int Comm::GetData(uint32_t address, uint32_t bytesPerPacket, uint32_t bytesPerAddress, uint32_t bytesPerWord,
                  uint32_t endAddress, uint8_t* out, size_t outSize)
{
    if (endAddress < address || bytesPerPacket == 0 || bytesPerAddress == 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }
    if (address == endAddress)
        return kCommSuccess;

    const uint64_t regionBytes = static_cast<uint64_t>(endAddress - address) * bytesPerAddress;
    const uint32_t packetLimit = std::min(bytesPerPacket, kDataFieldSize);
    // Whole addresses per request, so each reply starts on the address asked for next.
    const uint32_t largestRequest = packetLimit - packetLimit % bytesPerAddress;
    if (out == nullptr || regionBytes > outSize || largestRequest == 0)
    {
        TONECREST_PIC_COMM_ERROR(kCommFailure);
        return kCommFailure;
    }

    uint64_t current = address;
    size_t outOffset = 0;
    while (current < endAddress)
    {
        const uint32_t packetAddress = static_cast<uint32_t>(current);
        const uint32_t wanted = static_cast<uint32_t>(
            std::min<uint64_t>((endAddress - current) * bytesPerAddress, largestRequest));

        log(kLogDebug, "Comm::GetData: Fetching packet with address: 0x%x", packetAddress);
        uint8_t report[kReportSize] = {};
        report[kCommandByte] = kCommandGetData;
        putU32(report + kAddressByte, packetAddress);
        report[kSizeByte] = static_cast<uint8_t>(wanted);
        int code = SendPacket(report, static_cast<int>(sizeof(report)));
        if (code != kCommSuccess)
        {
            log(kLogError, "Comm::GetData: Error during verify sending packet with address: 0x%x", packetAddress);
            return code;
        }

        uint8_t reply[kGetDataReplySize] = {};
        code = ReceivePacket(reply, static_cast<int>(sizeof(reply)));
        if (code != kCommSuccess)
        {
            log(kLogError, "Comm::GetData: Error reading packet with address: 0x%x", packetAddress);
            return code;
        }

        const uint32_t received = reply[kReplySizeByte];
        // An empty or part-address reply would stall the loop or shift every later byte, and
        // one larger than asked for is out of step with the request (its data would not even
        // fit the reply past 58 bytes).
        if (received == 0 || received > wanted || received % bytesPerAddress != 0)
        {
            log(kLogError, "Comm::GetData: Error reading packet with address: 0x%x", packetAddress);
            TONECREST_PIC_COMM_ERROR(kCommFailure);
            return kCommFailure;
        }
        std::memcpy(out + outOffset, reply + kReplyDataEnd - received, received);
        outOffset += received;
        current += received / bytesPerAddress;
    }
    return kCommSuccess;
}

int Comm::ResetDevice()
{
    log(kLogDebug, "Sending Reset Command...");
    uint8_t report[kReportSize] = {};
    report[kCommandByte] = kCommandReset;
    return SendPacket(report, static_cast<int>(sizeof(report)));
}

} // namespace Tonecrest::PICLoader
