#pragma once

#include "SimulatedHIDDevice.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tonecrest::Testing
{

class WireTrace;

/** The pedal's PIC HID bootloader firmware behind a SimulatedHIDDevice: it answers query and
    get data, takes erase, program, program complete and reset without a reply, and keeps a
    simulated flash per region. Flash programming only clears bits, as real flash does, so a
    write without an erase shows. Faults are injected per command. The device model runs on
    the writing thread; the test reads its record from any thread.

    The flash outlives a visit to the bus: attach() moves the model to the device of its next
    enumeration, so a pedal that comes back into its bootloader finds what it was left with.
    When TONECREST_WIRE_TRACE names a file, every report goes to that trace (see WireTrace),
    each enumeration starting with the comment line "# device: bootloader". */
class SimulatedBootloader
{
public:
    struct Region
    {
        uint8_t type;  // 1 program memory, 2 EEPROM, 3 configuration
        uint32_t start;
        uint32_t size; // in addresses
    };

    struct Config
    {
        uint8_t family = 1;
        uint8_t bytesPerPacket = 56;
        std::vector<Region> regions;
        uint8_t oldFirmwareByte = 0x5A; // flash content before the first erase
    };

    SimulatedBootloader(SimulatedHIDDevice& device, Config config);
    /** Detaches from its device first; the device must outlive that. */
    ~SimulatedBootloader();

    /** From now on the model answers through this device (the bootloader enumerated again);
        the previous device is left without an answering model. */
    void attach(SimulatedHIDDevice& device);
    /** Called after a reset command, once the device has left the bus, on the writing thread
        without the model's lock: the place to script what the pedal does next. */
    void setResetHandler(std::function<void()> handler);
    const Config& configuration() const { return config; }

    SimulatedBootloader(const SimulatedBootloader&) = delete;
    SimulatedBootloader& operator=(const SimulatedBootloader&) = delete;

    // Faults
    /** Replies to this command carry another command byte. */
    void setWrongReplyCommand(uint8_t command, uint8_t replyCommand);
    /** After `repliesFirst` more replies, this command goes unanswered. */
    void dropRepliesTo(uint8_t command, int repliesFirst = 0);
    /** Replaces the whole query reply (first 38 bytes used), e.g. with more regions than fit. */
    void setRawQueryReply(std::vector<uint8_t> reply);
    /** The description answered to every query after the first erase. */
    void setConfigAfterErase(Config config);
    /** Read-back of this device address comes back with its first byte inverted. */
    void corruptReadBackAt(uint32_t address);
    /** Get-data replies claim this many data bytes instead of the true count. */
    void setGetDataReplySize(int size);
    /** The device leaves the bus right after the count-th program packet. */
    void unplugAfterProgramPackets(int count);

    // Record
    std::vector<uint8_t> commands() const;
    /** Flash bytes of the region starting at this address. */
    std::vector<uint8_t> flash(uint32_t regionStart) const;
    int eraseCount() const;
    int programPacketCount() const;
    int programCompleteCount() const;
    int resetCount() const;
    /** Protocol breaches the real bootloader would not accept (payload not whole words, data
        outside flash, programming before an erase). Empty in every good run. */
    std::vector<std::string> violations() const;

    /** Bytes per address of a region type under a family, as the chip stores them. */
    static uint32_t bytesPerAddress(uint8_t family, uint8_t regionType);
    static uint32_t bytesPerFlashWord(uint8_t family);

private:
    struct Memory
    {
        Region region;
        uint32_t bytesPerAddress;
        std::vector<uint8_t> bytes;
    };

    void onReport(SimulatedHIDDevice& source, const std::vector<uint8_t>& report);
    void reply(SimulatedHIDDevice& source, uint8_t command, std::vector<uint8_t> data);
    std::vector<uint8_t> queryReply() const;
    void program(const std::vector<uint8_t>& report);
    void getData(SimulatedHIDDevice& source, const std::vector<uint8_t>& report);
    Memory* memoryAt(uint32_t address, uint32_t& offset);
    bool isPhantom(const Memory& memory, uint32_t offset) const;

    SimulatedHIDDevice* device;
    std::shared_ptr<WireTrace> trace;
    std::function<void()> resetHandler;
    mutable std::mutex mutex;
    Config config;
    Config configAfterErase;
    bool hasConfigAfterErase = false;
    std::vector<Memory> memories;
    std::vector<uint8_t> rawQueryReply;

    std::map<uint8_t, uint8_t> wrongReplies;
    std::map<uint8_t, int> repliesBeforeDrop;
    std::map<uint32_t, bool> corruptAddresses;
    int getDataReplySize = -1;
    int unplugAfter = -1;

    std::vector<uint8_t> commandLog;
    std::vector<std::string> breaches;
    int erases = 0;
    int programPackets = 0;
    int programCompletes = 0;
    int resets = 0;
};

} // namespace Tonecrest::Testing
