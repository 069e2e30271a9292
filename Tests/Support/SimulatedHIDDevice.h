#pragma once

#include "IUSBHIDDevice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Tonecrest::Testing
{

class WireTrace;

/** A HID device as the pedal presents it over hidraw: input reports are 64 bytes without a
    report ID, output reports are report ID 0 followed by the data. A pedal model (normal or
    bootloader firmware) answers through setOutputHandler and pushInputReport; tests inject
    faults (unplug, read errors, failed or short writes).

    Optionally it keeps the pace of a full-speed USB interrupt endpoint: one report per 1 ms
    frame in each direction, in real time (benchmarks compare against that floor). It can
    also append every report to a WireTrace. Thread-safe. */
class SimulatedHIDDevice : public IUSBHIDDevice
{
public:
    static constexpr size_t kReportSize = 64;

    /** Receives the 64 data bytes of each output report (report ID removed, zero padded) on
        the writing thread, outside the device lock, so it may push replies at once. */
    using OutputHandler = std::function<void(const std::vector<uint8_t>& reportData)>;

    SimulatedHIDDevice(uint16_t vendorID, uint16_t productID);
    ~SimulatedHIDDevice() override;

    // IUSBHIDDevice
    int read(uint8_t* buffer, size_t length, int timeoutMs) override;
    int write(const uint8_t* data, size_t length) override;
    void close() override;
    uint16_t getVendorID() const override { return vendorID; }
    uint16_t getProductID() const override { return productID; }

    // Pedal side
    void setOutputHandler(OutputHandler handler);
    /** Queues one input report; shorter data is zero padded to 64 bytes. */
    void pushInputReport(std::vector<uint8_t> data);
    /** Queues the data as one report without padding (a short report, as a broken device
        might send). */
    void pushUnpaddedInputReport(std::vector<uint8_t> data);

    // Test side
    std::vector<std::vector<uint8_t>> writtenReports() const;
    void clearWrittenReports();
    /** Waits (real time, not scaled) until at least count reports were written. */
    bool waitForWrittenReports(size_t count, int timeoutMs) const;

    /** From now on reads and writes fail, as they do once the pedal has gone. */
    void unplug();
    /** The next read returns this (negative) code; the device stays plugged in. */
    void failNextRead(int code = -1);
    /** Every later write returns this value instead of succeeding (-1: failure, short count). */
    void setWriteResult(int result);
    void clearWriteResult();
    /** The nth write from now (1 = the next) returns result and never reaches the pedal;
        the writes around it go through. */
    void failWriteAt(int nth, int result = -1);

    /** On: every output report takes one 1 ms frame before the pedal sees it, and input
        reports become readable one per 1 ms frame after they are queued. Real time, never
        scaled. Off (the default): reports pass at once. */
    void setFrameTiming(bool enabled);
    bool frameTiming() const;

    /** Every output report that reaches the pedal and every queued input report is appended
        to the trace (null: none). The host report is traced before the pedal sees it and an
        input report before the host can read it. */
    void setWireTrace(std::shared_ptr<WireTrace> trace);

    bool isUnplugged() const;
    bool isClosed() const;
    int closeCount() const;

private:
    using Clock = std::chrono::steady_clock;

    struct InputReport
    {
        std::vector<uint8_t> data;
        Clock::time_point readableAt;
    };

    void queueInputReport(std::vector<uint8_t> data);

    const uint16_t vendorID;
    const uint16_t productID;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::deque<InputReport> inputReports;
    std::vector<std::vector<uint8_t>> written;
    OutputHandler outputHandler;
    bool unplugged = false;
    bool closed = false;
    int closes = 0;
    int pendingReadError = 0;
    bool overrideWrite = false;
    int writeResult = 0;
    int writesUntilFailure = 0;
    int failingWriteResult = -1;
    bool timedFrames = false;
    Clock::time_point lastInputFrame {};
    std::shared_ptr<WireTrace> wireTrace;
};

} // namespace Tonecrest::Testing
