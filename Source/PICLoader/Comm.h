#pragma once

#include "DeviceDescription.h"
#include "Result.h"
#include "USBDevice.h"

#include <cstddef>
#include <cstdint>

namespace Tonecrest::PICLoader
{

/** Result codes of the bootloader client. */
enum CommResult : int
{
    kCommSuccess = 0,
    kCommFailure = 2,   // I/O error or bad arguments
    kCommWrongReply = 3, // the reply's command byte is not the request's
    kCommTimeout = 4     // nothing transferred
};

/** Command bytes of the bootloader (byte 1 of an output report, byte 0 of a reply). */
enum CommCommand : uint8_t
{
    kCommandQuery = 0x02,
    kCommandErase = 0x04,
    kCommandProgram = 0x05,
    kCommandProgramComplete = 0x06,
    kCommandGetData = 0x07,
    kCommandReset = 0x08
};

/** Logs "Comm Error %d, origin at %s:%d" at the error level. */
void logCommError(int code, const char* fileName, int line);
/** Logs "Comm Error check at %s:%d" at the error level. */
void logCommCheck(const char* fileName, int line);

/** Client for the PIC HID bootloader's command set: one command in flight at a time, each in
    one 65-byte output report. Every call runs on the firmware-update task's worker thread and
    blocks until its report is written and, where the command has one, its reply is read.
    The device is owned by the caller and must outlive this object. */
class Comm
{
public:
    static constexpr size_t kReportSize = 65;          // report ID 0 + 64 bytes
    static constexpr uint32_t kDataFieldSize = 58;     // program payload field, bytes 7..64
    static constexpr size_t kGetDataReplySize = 65;

    explicit Comm(USBDevice& device);
    ~Comm();

    Comm(const Comm&) = delete;
    Comm& operator=(const Comm&) = delete;

    /** Writes one report: 0 on success, 2 on an error or a short write, 4 when nothing went. */
    int SendPacket(const uint8_t* report, int length);
    /** Reads one reply within the reply time-out: 0, 2 on an error, 4 on time-out. */
    int ReceivePacket(uint8_t* buffer, int length);

    /** Asks the chip for its description; fills description only on 0. */
    int Query(DeviceDescription& description);
    /** Sends the erase command; the bootloader does not answer it. */
    int Erase();
    /** Writes [address, endAddress) from data, which must hold (endAddress - address) x
        bytesPerAddress bytes within dataSize. Blank (all 0xFF) packets are not sent. */
    int Program(uint32_t address, uint32_t bytesPerPacket, uint32_t bytesPerAddress, uint32_t bytesPerWord,
                uint32_t family, uint32_t endAddress, const uint8_t* data, size_t dataSize);
    /** Reads [address, endAddress) back into out, which must have room for (endAddress - address)
        x bytesPerAddress bytes within outSize. A reply with no data, part of an address or
        more than was asked for ends the read with 2. */
    int GetData(uint32_t address, uint32_t bytesPerPacket, uint32_t bytesPerAddress, uint32_t bytesPerWord,
                uint32_t endAddress, uint8_t* out, size_t outSize);
    /** Sends the reset command; the chip then leaves the bus. */
    int ResetDevice();

private:
    USBDevice& device;
};

} // namespace Tonecrest::PICLoader

#define TONECREST_PIC_COMM_ERROR(code) \
    ::Tonecrest::PICLoader::logCommError((code), ::Tonecrest::fileNameFromPath(__FILE__), __LINE__)
#define TONECREST_PIC_COMM_CHECK() \
    ::Tonecrest::PICLoader::logCommCheck(::Tonecrest::fileNameFromPath(__FILE__), __LINE__)
