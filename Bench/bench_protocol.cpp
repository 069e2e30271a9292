// The packet protocol's cost against the simulated pedal, through the real transport and its
// reader thread.
//
// With frame timing off the pedal answers inside the host's write, so the time per operation
// is the host's own cost (protocol, transport, thread hand-over) plus the simulator's small
// share: ping, set-parameter (no reply awaited) and a 4096-byte block read.
//
// With frame timing on every report takes one 1 ms USB frame each way, as a full-speed
// interrupt endpoint does. The wire's floor for an operation is (host reports + device
// reports) x 1 ms, because every request waits for its reply; the ratio counter is the
// measured time over that floor, so 1.0 means the host adds nothing the wire does not.

#include "SimulatedPedalConnection.h"

#include <benchmark/benchmark.h>

#include <sys/prctl.h>

#include <array>
#include <chrono>
#include <cstdint>

namespace
{
using namespace Tonecrest;
using namespace Tonecrest::Testing;

constexpr unsigned kPresetListType = 3;
constexpr size_t kPresetListBytes = 4096;

void fillPreset(SimulatedPedal& pedal)
{
    TonecrestData::ParameterMap params;
    for (uint32_t key = 0; key < 512; ++key)
        params[key] = static_cast<float>(key) * 0.25f;
    pedal.setPresetParams(1, params);
}

void BM_Ping(benchmark::State& state)
{
    SimulatedPedalConnection link;
    for (auto _ : state)
    {
        bool responded = false;
        if (!link.protocol->ping(responded).ok || !responded)
        {
            state.SkipWithError("ping not answered");
            break;
        }
    }
}
BENCHMARK(BM_Ping)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_SetParameter(benchmark::State& state)
{
    SimulatedPedalConnection link;
    float value = 0.0f;
    for (auto _ : state)
    {
        value += 0.001f;
        if (!link.protocol->setParameter(3, value).ok)
        {
            state.SkipWithError("set-parameter not sent");
            break;
        }
    }
}
BENCHMARK(BM_SetParameter)->UseRealTime()->Unit(benchmark::kMicrosecond);

/** Reads preset 1's 4096-byte parameter list per iteration; counts the reports each way. */
void readPresetList(benchmark::State& state, bool frameTiming)
{
    // Coarse timer slack would add tens of microseconds to every simulated frame.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    SimulatedPedalConnection link;
    fillPreset(link.pedal);
    link.device.setFrameTiming(frameTiming);
    std::array<uint8_t, kPresetListBytes> buffer {};

    link.device.clearWrittenReports();
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state)
    {
        size_t bytesRead = 0;
        if (!link.protocol->readData(kPresetListType, 1, buffer.data(), buffer.size(), bytesRead).ok
            || bytesRead != kPresetListBytes)
        {
            state.SkipWithError("block read failed");
            break;
        }
    }
    const double elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    if (state.iterations() == 0)
        return;

    // Every host report of a block read is answered by exactly one device report.
    const double hostReports = static_cast<double>(link.device.writtenReports().size()) / static_cast<double>(state.iterations());
    const double deviceReports = hostReports;
    const double floorMs = (hostReports + deviceReports) * 1.0;
    state.counters["host_reports"] = hostReports;
    state.counters["device_reports"] = deviceReports;
    state.counters["bytes"] = benchmark::Counter(static_cast<double>(kPresetListBytes) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
    if (frameTiming)
    {
        state.counters["floor_ms"] = floorMs;
        state.counters["ratio_to_floor"] = elapsedMs / static_cast<double>(state.iterations()) / floorMs;
    }
}

void BM_ReadBlock4096(benchmark::State& state)
{
    readPresetList(state, false);
}
BENCHMARK(BM_ReadBlock4096)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ReadBlock4096OnTheWire(benchmark::State& state)
{
    readPresetList(state, true);
}
BENCHMARK(BM_ReadBlock4096OnTheWire)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
