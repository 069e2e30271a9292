#include "SimulatedHIDDevice.h"

#include "WireTrace.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace Tonecrest::Testing
{

SimulatedHIDDevice::SimulatedHIDDevice(uint16_t vendor, uint16_t product)
    : vendorID(vendor), productID(product)
{
}

SimulatedHIDDevice::~SimulatedHIDDevice() = default;

int SimulatedHIDDevice::read(uint8_t* buffer, size_t length, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    const bool waitForever = timeoutMs < 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    auto frontReadable = [this] { return !inputReports.empty() && inputReports.front().readableAt <= Clock::now(); };

    while (!unplugged && !closed && pendingReadError == 0 && !frontReadable())
    {
        if (!waitForever && Clock::now() >= deadline)
            break;
        // A queued report that is still on the wire wakes the reader when its frame ends.
        Clock::time_point wakeAt = waitForever ? Clock::time_point::max() : deadline;
        if (!inputReports.empty())
            wakeAt = std::min(wakeAt, inputReports.front().readableAt);
        if (wakeAt == Clock::time_point::max())
            changed.wait(lock);
        else
            changed.wait_until(lock, wakeAt);
    }

    if (unplugged || closed)
        return -1;
    if (pendingReadError != 0)
    {
        int code = pendingReadError;
        pendingReadError = 0;
        return code;
    }
    if (!frontReadable())
        return 0;

    std::vector<uint8_t> report = std::move(inputReports.front().data);
    inputReports.pop_front();
    size_t count = std::min(length, report.size());
    std::memcpy(buffer, report.data(), count);
    return static_cast<int>(count);
}

int SimulatedHIDDevice::write(const uint8_t* data, size_t length)
{
    const Clock::time_point started = Clock::now();
    OutputHandler handler;
    std::shared_ptr<WireTrace> trace;
    bool timed = false;
    std::vector<uint8_t> reportData;
    {
        std::lock_guard<std::mutex> lock(mutex);
        written.emplace_back(data, data + length);
        changed.notify_all();
        if (unplugged || closed)
            return -1;
        if (overrideWrite)
            return writeResult;
        if (writesUntilFailure > 0 && --writesUntilFailure == 0)
            return failingWriteResult;
        // The pedal has one unnumbered output report: anything else is refused as hidraw would.
        if (length == 0 || data[0] != 0 || length - 1 > kReportSize)
            return -1;
        reportData.assign(data + 1, data + length);
        reportData.resize(kReportSize, 0);
        handler = outputHandler;
        trace = wireTrace;
        timed = timedFrames;
    }
    if (timed)
        std::this_thread::sleep_until(started + std::chrono::milliseconds(1));
    if (trace)
        trace->hostReport(data, length);
    if (handler)
        handler(reportData);
    return static_cast<int>(length);
}

void SimulatedHIDDevice::close()
{
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
    ++closes;
    changed.notify_all();
}

void SimulatedHIDDevice::setOutputHandler(OutputHandler handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    outputHandler = std::move(handler);
}

void SimulatedHIDDevice::pushInputReport(std::vector<uint8_t> data)
{
    data.resize(std::max(data.size(), kReportSize), 0);
    queueInputReport(std::move(data));
}

void SimulatedHIDDevice::pushUnpaddedInputReport(std::vector<uint8_t> data)
{
    queueInputReport(std::move(data));
}

void SimulatedHIDDevice::queueInputReport(std::vector<uint8_t> data)
{
    std::lock_guard<std::mutex> lock(mutex);
    // Traced under the lock, so the trace keeps the order in which the host will read.
    if (wireTrace)
        wireTrace->deviceReport(data.data(), data.size());
    Clock::time_point readableAt {};
    if (timedFrames)
    {
        readableAt = std::max(Clock::now(), lastInputFrame) + std::chrono::milliseconds(1);
        lastInputFrame = readableAt;
    }
    inputReports.push_back({ std::move(data), readableAt });
    changed.notify_all();
}

std::vector<std::vector<uint8_t>> SimulatedHIDDevice::writtenReports() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return written;
}

void SimulatedHIDDevice::clearWrittenReports()
{
    std::lock_guard<std::mutex> lock(mutex);
    written.clear();
}

bool SimulatedHIDDevice::waitForWrittenReports(size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return written.size() >= count; });
}

void SimulatedHIDDevice::unplug()
{
    std::lock_guard<std::mutex> lock(mutex);
    unplugged = true;
    changed.notify_all();
}

void SimulatedHIDDevice::failNextRead(int code)
{
    std::lock_guard<std::mutex> lock(mutex);
    pendingReadError = code < 0 ? code : -1;
    changed.notify_all();
}

void SimulatedHIDDevice::setWriteResult(int result)
{
    std::lock_guard<std::mutex> lock(mutex);
    overrideWrite = true;
    writeResult = result;
}

void SimulatedHIDDevice::clearWriteResult()
{
    std::lock_guard<std::mutex> lock(mutex);
    overrideWrite = false;
}

void SimulatedHIDDevice::failWriteAt(int nth, int result)
{
    std::lock_guard<std::mutex> lock(mutex);
    writesUntilFailure = std::max(nth, 0);
    failingWriteResult = result;
}

void SimulatedHIDDevice::setFrameTiming(bool enabled)
{
    std::lock_guard<std::mutex> lock(mutex);
    timedFrames = enabled;
}

bool SimulatedHIDDevice::frameTiming() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return timedFrames;
}

void SimulatedHIDDevice::setWireTrace(std::shared_ptr<WireTrace> trace)
{
    std::lock_guard<std::mutex> lock(mutex);
    wireTrace = std::move(trace);
}

bool SimulatedHIDDevice::isUnplugged() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return unplugged;
}

bool SimulatedHIDDevice::isClosed() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return closed;
}

int SimulatedHIDDevice::closeCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return closes;
}

} // namespace Tonecrest::Testing
