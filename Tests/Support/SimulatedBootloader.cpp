#include "SimulatedBootloader.h"

#include "WireTrace.h"

#include <algorithm>

namespace Tonecrest::Testing
{
namespace
{
constexpr uint8_t kQuery = 0x02;
constexpr uint8_t kErase = 0x04;
constexpr uint8_t kProgram = 0x05;
constexpr uint8_t kProgramComplete = 0x06;
constexpr uint8_t kGetData = 0x07;
constexpr uint8_t kReset = 0x08;

constexpr size_t kDataFieldSize = 58;
constexpr size_t kDataEnd = 64; // payloads end at the last byte of the 64-byte report

uint32_t readU32(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8)
           | (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
} // namespace

SimulatedBootloader::SimulatedBootloader(SimulatedHIDDevice& hidDevice, Config initialConfig)
    : device(nullptr), trace(WireTrace::fromEnvironment()), config(std::move(initialConfig))
{
    for (const Region& region : config.regions)
    {
        Memory memory { region, bytesPerAddress(config.family, region.type), {} };
        memory.bytes.assign(static_cast<size_t>(region.size) * memory.bytesPerAddress, config.oldFirmwareByte);
        for (size_t offset = 0; offset < memory.bytes.size(); ++offset)
            if (isPhantom(memory, static_cast<uint32_t>(offset)))
                memory.bytes[offset] = 0x00;
        memories.push_back(std::move(memory));
    }
    attach(hidDevice);
}

SimulatedBootloader::~SimulatedBootloader()
{
    std::lock_guard<std::mutex> lock(mutex);
    device->setOutputHandler(nullptr);
    if (trace)
        device->setWireTrace(nullptr);
}

void SimulatedBootloader::attach(SimulatedHIDDevice& newDevice)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (device != nullptr && device != &newDevice)
    {
        device->setOutputHandler(nullptr);
        if (trace)
            device->setWireTrace(nullptr);
    }
    device = &newDevice;
    if (trace)
    {
        trace->comment("device: bootloader");
        newDevice.setWireTrace(trace);
    }
    // Replies go to the device the command came in on, even if the model moves on meanwhile.
    SimulatedHIDDevice* source = &newDevice;
    newDevice.setOutputHandler([this, source](const std::vector<uint8_t>& report) { onReport(*source, report); });
}

void SimulatedBootloader::setResetHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    resetHandler = std::move(handler);
}

uint32_t SimulatedBootloader::bytesPerAddress(uint8_t family, uint8_t regionType)
{
    if (regionType == 1 || regionType == 3)
        return family == 2 ? 2 : 1;
    return 1;
}

uint32_t SimulatedBootloader::bytesPerFlashWord(uint8_t family)
{
    return family == 1 ? 2 : 4;
}

bool SimulatedBootloader::isPhantom(const Memory& memory, uint32_t offset) const
{
    // A 24-bit instruction in a 4-byte word: the top byte does not exist and reads as zero.
    return config.family == 2 && memory.region.type == 1 && offset % 4 == 3;
}

void SimulatedBootloader::onReport(SimulatedHIDDevice& source, const std::vector<uint8_t>& report)
{
    bool leaveBus = false;
    std::function<void()> afterReset;
    {
        std::lock_guard<std::mutex> lock(mutex);
        uint8_t command = report[0];
        commandLog.push_back(command);
        switch (command)
        {
            case kQuery:
                reply(source, kQuery, queryReply());
                break;
            case kErase:
                ++erases;
                for (Memory& memory : memories)
                    if (memory.region.type == 1)
                        for (size_t offset = 0; offset < memory.bytes.size(); ++offset)
                            memory.bytes[offset] = isPhantom(memory, static_cast<uint32_t>(offset)) ? 0x00 : 0xFF;
                break;
            case kProgram:
                program(report);
                ++programPackets;
                leaveBus = programPackets == unplugAfter;
                break;
            case kProgramComplete:
                ++programCompletes;
                break;
            case kGetData:
                getData(source, report);
                break;
            case kReset:
                ++resets;
                leaveBus = true;
                afterReset = resetHandler;
                break;
            default:
                breaches.push_back("unknown command " + std::to_string(command));
                break;
        }
    }
    if (leaveBus)
        source.unplug();
    if (afterReset)
        afterReset();
}

void SimulatedBootloader::reply(SimulatedHIDDevice& source, uint8_t command, std::vector<uint8_t> data)
{
    auto drop = repliesBeforeDrop.find(command);
    if (drop != repliesBeforeDrop.end())
    {
        if (drop->second <= 0)
            return;
        --drop->second;
    }
    auto wrong = wrongReplies.find(command);
    if (wrong != wrongReplies.end())
        data[0] = wrong->second;
    source.pushInputReport(std::move(data));
}

std::vector<uint8_t> SimulatedBootloader::queryReply() const
{
    if (!rawQueryReply.empty())
        return rawQueryReply;
    const Config& answered = hasConfigAfterErase && erases > 0 ? configAfterErase : config;
    std::vector<uint8_t> data(64, 0);
    data[0] = kQuery;
    data[1] = answered.bytesPerPacket;
    data[2] = answered.family;
    size_t at = 3;
    for (const Region& region : answered.regions)
    {
        if (at + 9 > 3 + 3 * 9)
            break;
        data[at] = region.type;
        putU32(data, at + 1, region.start);
        putU32(data, at + 5, region.size);
        at += 9;
    }
    data[at] = 0xFF;
    return data;
}

SimulatedBootloader::Memory* SimulatedBootloader::memoryAt(uint32_t address, uint32_t& offset)
{
    for (Memory& memory : memories)
    {
        if (address >= memory.region.start && address - memory.region.start < memory.region.size)
        {
            offset = (address - memory.region.start) * memory.bytesPerAddress;
            return &memory;
        }
    }
    return nullptr;
}

void SimulatedBootloader::program(const std::vector<uint8_t>& report)
{
    const uint32_t address = readU32(report, 1);
    size_t size = report[5];
    if (erases == 0)
        breaches.push_back("program before erase at " + std::to_string(address));
    if (size > kDataFieldSize)
    {
        breaches.push_back("payload larger than the data field: " + std::to_string(size));
        size = kDataFieldSize;
    }
    if (size % bytesPerFlashWord(config.family) != 0)
        breaches.push_back("payload not whole words: " + std::to_string(size));

    uint32_t offset = 0;
    Memory* memory = memoryAt(address, offset);
    const uint8_t* payload = report.data() + kDataEnd - size;
    for (size_t k = 0; k < size; ++k)
    {
        size_t at = offset + k;
        if (memory == nullptr || at >= memory->bytes.size())
        {
            // Word padding past the end of a region is blank and harmless.
            if (payload[k] != 0xFF)
                breaches.push_back("data outside flash at " + std::to_string(address));
            continue;
        }
        if (memory->region.type != 1)
            breaches.push_back("program packet into a non-program region at " + std::to_string(address));
        if (!isPhantom(*memory, static_cast<uint32_t>(at)))
            memory->bytes[at] &= payload[k];
    }
}

void SimulatedBootloader::getData(SimulatedHIDDevice& source, const std::vector<uint8_t>& report)
{
    const uint32_t address = readU32(report, 1);
    size_t size = report[5];
    if (size > kDataFieldSize)
    {
        breaches.push_back("read-back larger than the data field: " + std::to_string(size));
        size = kDataFieldSize;
    }

    std::vector<uint8_t> data(64, 0);
    data[0] = kGetData;
    putU32(data, 1, address);
    uint32_t offset = 0;
    Memory* memory = memoryAt(address, offset);
    for (size_t k = 0; k < size; ++k)
    {
        size_t at = offset + k;
        uint8_t value = 0;
        if (memory != nullptr && at < memory->bytes.size())
        {
            value = memory->bytes[at];
            uint32_t byteAddress = memory->region.start + static_cast<uint32_t>(at / memory->bytesPerAddress);
            if (at % memory->bytesPerAddress == 0 && corruptAddresses.count(byteAddress) != 0)
                value = static_cast<uint8_t>(~value);
        }
        else
        {
            breaches.push_back("read-back outside memory at " + std::to_string(address));
        }
        data[kDataEnd - size + k] = value;
    }
    data[5] = static_cast<uint8_t>(getDataReplySize >= 0 ? getDataReplySize : static_cast<int>(size));
    reply(source, kGetData, std::move(data));
}

void SimulatedBootloader::setWrongReplyCommand(uint8_t command, uint8_t replyCommand)
{
    std::lock_guard<std::mutex> lock(mutex);
    wrongReplies[command] = replyCommand;
}

void SimulatedBootloader::dropRepliesTo(uint8_t command, int repliesFirst)
{
    std::lock_guard<std::mutex> lock(mutex);
    repliesBeforeDrop[command] = repliesFirst;
}

void SimulatedBootloader::setRawQueryReply(std::vector<uint8_t> reply)
{
    reply.resize(std::max<size_t>(reply.size(), 64), 0);
    std::lock_guard<std::mutex> lock(mutex);
    rawQueryReply = std::move(reply);
}

void SimulatedBootloader::setConfigAfterErase(Config newConfig)
{
    std::lock_guard<std::mutex> lock(mutex);
    configAfterErase = std::move(newConfig);
    hasConfigAfterErase = true;
}

void SimulatedBootloader::corruptReadBackAt(uint32_t address)
{
    std::lock_guard<std::mutex> lock(mutex);
    corruptAddresses[address] = true;
}

void SimulatedBootloader::setGetDataReplySize(int size)
{
    std::lock_guard<std::mutex> lock(mutex);
    getDataReplySize = size;
}

void SimulatedBootloader::unplugAfterProgramPackets(int count)
{
    std::lock_guard<std::mutex> lock(mutex);
    unplugAfter = count;
}

std::vector<uint8_t> SimulatedBootloader::commands() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return commandLog;
}

std::vector<uint8_t> SimulatedBootloader::flash(uint32_t regionStart) const
{
    std::lock_guard<std::mutex> lock(mutex);
    for (const Memory& memory : memories)
        if (memory.region.start == regionStart)
            return memory.bytes;
    return {};
}

int SimulatedBootloader::eraseCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return erases;
}

int SimulatedBootloader::programPacketCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return programPackets;
}

int SimulatedBootloader::programCompleteCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return programCompletes;
}

int SimulatedBootloader::resetCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return resets;
}

std::vector<std::string> SimulatedBootloader::violations() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return breaches;
}

} // namespace Tonecrest::Testing
