#pragma once

#include "Comm.h"
#include "HexImport.h"
#include "Result.h"
#include "USBDevice.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace Tonecrest::PICLoader
{

/** Codes of programPicDevice. */
enum ProgramResult : int
{
    kProgramSuccess = 0,
    kProgramFailed = 1,       // erase, programming or verify failed
    kProgramQueryFailed = 2,  // query failed (or described unusable memory), or reset failed
    kProgramQueryTimedOut = 3,
    kProgramImageRejected = 4
};

/** Largest total of region bytes a query reply may ask us to hold; far above any chip this
    bootloader runs on, far below what a corrupt reply could otherwise make us allocate. */
constexpr uint64_t kMaxDeviceMemoryBytes = 16u * 1024u * 1024u;

/** Comm::Query plus the description's sanity checks: 0, 3 on time-out, 2 on anything else. */
int queryPicDevice(Comm& comm, DeviceDescription& description);

/** The whole update: query, HEX import, erase, query, program, verify by read-back, reset.
    Progress (may be empty) gets 0, 0, 2/3 and 1. Runs on the calling thread (the
    firmware-update task's worker) and blocks for the whole sequence. */
int programPicDevice(USBDevice& device, const ReadLine& readLine, const std::function<void(double)>& progress);

/** programPicDevice over an image in memory, as one Result: "PIC update failed!" for any
    non-zero code (the code itself goes to the log). */
Result programHexImage(USBDevice& device, const std::vector<uint8_t>& hexImage,
                       const std::function<void(double)>& progress);

} // namespace Tonecrest::PICLoader
