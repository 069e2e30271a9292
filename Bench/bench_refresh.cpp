// A full refresh of the editor service (amp list, globals, 128 preset names, 32 cabinet names,
// the current preset) against the simulated pedal.
//
// With frame timing off the figure is the host's own cost for the whole refresh. With frame
// timing on every report takes one 1 ms USB frame each way; every request waits for its reply,
// so the wire's floor is (host reports + device reports) x 1 ms and the ratio counter shows
// what the host adds on top.

#include "SimulatedPedalConnection.h"
#include "TonecrestEditorService.h"

#include <benchmark/benchmark.h>

#include <sys/prctl.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace
{
using namespace Tonecrest;
using namespace Tonecrest::Testing;

struct Done
{
    std::mutex mutex;
    std::condition_variable changed;
    bool finished = false;

    TonecrestEditorService::Completion callback()
    {
        finished = false;
        return [this] {
            std::lock_guard<std::mutex> lock(mutex);
            finished = true;
            changed.notify_all();
        };
    }
    void wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return finished; });
    }
};

void fullRefresh(benchmark::State& state, bool frameTiming)
{
    // Coarse timer slack would add tens of microseconds to every simulated frame.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    setLogCallback([](void*, const char*) {}, nullptr);

    SimulatedPedalConnection link;
    for (unsigned i = 0; i < 128; ++i)
        link.pedal.setPresetName(i, "Preset " + std::to_string(i));
    for (unsigned i = 0; i < 8; ++i)
        link.pedal.setAmpModelInfo(i, { i + 1, "Amp " + std::to_string(i) });

    TonecrestEditorService service(nullptr);
    service.connect(link.protocol.get());
    Done done;
    service.beginWaitForReady(done.callback());
    done.wait();
    if (!service.isReady())
    {
        state.SkipWithError("pedal not ready");
        return;
    }

    link.device.setFrameTiming(frameTiming);
    link.device.clearWrittenReports();
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state)
    {
        if (!service.beginRefreshAll(done.callback()).ok)
        {
            state.SkipWithError("refresh refused");
            break;
        }
        done.wait();
        if (!service.isReady())
        {
            state.SkipWithError("refresh failed");
            break;
        }
    }
    const double elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    service.disconnect();
    setLogCallback(nullptr, nullptr);
    if (state.iterations() == 0)
        return;

    const double iterations = static_cast<double>(state.iterations());
    const double hostReports = static_cast<double>(link.device.writtenReports().size()) / iterations;
    const double reports = 2.0 * hostReports; // one device report answers each host report
    state.counters["reports"] = reports;
    if (frameTiming)
    {
        state.counters["floor_ms"] = reports;
        state.counters["ratio_to_floor"] = elapsedMs / iterations / reports;
    }
}

void BM_FullRefresh(benchmark::State& state)
{
    fullRefresh(state, false);
}
BENCHMARK(BM_FullRefresh)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FullRefreshOnTheWire(benchmark::State& state)
{
    fullRefresh(state, true);
}
BENCHMARK(BM_FullRefreshOnTheWire)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
