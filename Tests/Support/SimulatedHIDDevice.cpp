#include "SimulatedHIDDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>

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
    auto ready = [this] { return unplugged || closed || pendingReadError != 0 || !inputReports.empty(); };
    if (timeoutMs < 0)
        changed.wait(lock, ready);
    else
        changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);

    if (unplugged || closed)
        return -1;
    if (pendingReadError != 0)
    {
        int code = pendingReadError;
        pendingReadError = 0;
        return code;
    }
    if (inputReports.empty())
        return 0;

    std::vector<uint8_t> report = std::move(inputReports.front());
    inputReports.pop_front();
    size_t count = std::min(length, report.size());
    std::memcpy(buffer, report.data(), count);
    return static_cast<int>(count);
}

int SimulatedHIDDevice::write(const uint8_t* data, size_t length)
{
    OutputHandler handler;
    std::vector<uint8_t> reportData;
    {
        std::lock_guard<std::mutex> lock(mutex);
        written.emplace_back(data, data + length);
        changed.notify_all();
        if (unplugged || closed)
            return -1;
        if (overrideWrite)
            return writeResult;
        // The pedal has one unnumbered output report: anything else is refused as hidraw would.
        if (length == 0 || data[0] != 0 || length - 1 > kReportSize)
            return -1;
        reportData.assign(data + 1, data + length);
        reportData.resize(kReportSize, 0);
        handler = outputHandler;
    }
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
    std::lock_guard<std::mutex> lock(mutex);
    inputReports.push_back(std::move(data));
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
