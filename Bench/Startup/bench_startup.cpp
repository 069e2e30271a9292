// How long the editor takes from the start of its initialise to the first frame of its main
// window being painted, and how much memory the idle editor keeps resident. Runs the real
// application object (fake USB bus, no pedal, an update server that refuses) on a display.

#include "FakeHIDBackend.h"
#include "TonecrestApplication.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace
{
using Clock = std::chrono::steady_clock;

juce::JUCEApplicationBase* noApplicationFactory()
{
    return nullptr;
}

std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;

/** Sits over the whole main component and notes when the window first paints it. */
class FirstPaintProbe : public juce::Component
{
public:
    FirstPaintProbe() { setInterceptsMouseClicks(false, false); }
    void paint(juce::Graphics&) override
    {
        if (!painted)
            paintedAt = Clock::now();
        painted = true;
    }

    bool painted = false;
    Clock::time_point paintedAt;
};

double residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0.0;
}

void pumpFor(int ms)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(ms);
}

/** Starts the editor and returns the seconds to its first painted frame. */
double startEditor(std::unique_ptr<TonecrestApplication>& app, Tonecrest::Testing::FakeHIDBackend& backend,
                   FirstPaintProbe& probe, Clock::time_point start)
{
    app = std::make_unique<TonecrestApplication>(backend);
    app->initialise({});
    auto* main = app->getMainWindow()->getMainComponent();
    probe.setBounds(main->getLocalBounds());
    main->addAndMakeVisible(probe);
    while (!probe.painted)
        pumpFor(1);
    return std::chrono::duration<double>(probe.paintedAt - start).count();
}

void stopEditor(std::unique_ptr<TonecrestApplication>& app, FirstPaintProbe& probe)
{
    if (auto* parent = probe.getParentComponent())
        parent->removeChildComponent(&probe);
    app->shutdown();
    app.reset();
}

/** The first start in the process: JUCE's GUI side, the display connection and fonts included. */
void BM_ColdStartToFirstPaint(benchmark::State& state)
{
    for (auto _ : state)
    {
        Tonecrest::Testing::FakeHIDBackend backend;
        std::unique_ptr<TonecrestApplication> app;
        FirstPaintProbe probe;
        const auto start = Clock::now();
        gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        state.SetIterationTime(startEditor(app, backend, probe, start));
        stopEditor(app, probe);
    }
}
BENCHMARK(BM_ColdStartToFirstPaint)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

/** Later starts in the same process. */
void BM_WarmStartToFirstPaint(benchmark::State& state)
{
    for (auto _ : state)
    {
        Tonecrest::Testing::FakeHIDBackend backend;
        std::unique_ptr<TonecrestApplication> app;
        FirstPaintProbe probe;
        state.SetIterationTime(startEditor(app, backend, probe, Clock::now()));
        stopEditor(app, probe);
    }
}
BENCHMARK(BM_WarmStartToFirstPaint)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

/** The editor left idle for two seconds after its first frame, no pedal attached. */
void BM_IdleEditorResidentMemory(benchmark::State& state)
{
    for (auto _ : state)
    {
        Tonecrest::Testing::FakeHIDBackend backend;
        std::unique_ptr<TonecrestApplication> app;
        FirstPaintProbe probe;
        startEditor(app, backend, probe, Clock::now());
        pumpFor(2000);
        state.counters["rss_MiB"] = residentMiB();
        stopEditor(app, probe);
    }
}
BENCHMARK(BM_IdleEditorResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

int refusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}
} // namespace

int main(int argc, char** argv)
{
    // Settings and log in a home of their own; the update check refused at once.
    char home[] = "/tmp/tonecrest-bench-XXXXXX";
    if (::mkdtemp(home) == nullptr)
        return 1;
    ::setenv("HOME", home, 1);
    ::setenv("TONECREST_UPDATE_URL", ("http://127.0.0.1:" + std::to_string(refusedPort())).c_str(), 1);
    juce::JUCEApplicationBase::createInstance = &noApplicationFactory;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gui.reset();
    juce::File(home).deleteRecursively();
    return 0;
}
