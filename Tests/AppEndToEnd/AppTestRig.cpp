#include "AppTestRig.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace AppTesting
{
namespace
{
juce::JUCEApplicationBase* noApplicationFactory()
{
    return nullptr;
}

// JUCE sets up X for a standalone application (thread support, and an error handler that
// ignores the window-manager atoms a bare X server lacks) only when an application factory is
// set by the time its window system starts; without it the first window on a display with no
// window manager dies of BadAtom. So the factory is set before any test runs, and an
// application object made outside JUCE's main is also accepted as the one instance.
const bool standaloneProcess = [] {
    juce::JUCEApplicationBase::createInstance = &noApplicationFactory;
    return true;
}();
} // namespace

int refusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::vector<int> StateRecorder::states() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return seen;
}

void StateRecorder::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    seen.clear();
}

void StateRecorder::onEditorServiceStateChanged(int state)
{
    std::lock_guard<std::mutex> lock(mutex);
    seen.push_back(state);
}

bool containsInOrder(const std::vector<int>& states, const std::vector<int>& wanted)
{
    auto next = states.begin();
    for (int state : wanted)
    {
        next = std::find(next, states.end(), state);
        if (next == states.end())
            return false;
        ++next;
    }
    return true;
}

void AppTest::SetUp()
{
    // The application's settings and log go to ~/.config: give every test a home of its own.
    char folder[] = "/tmp/tonecrest-app-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    home = folder;
    if (std::getenv("TONECREST_SCREENSHOT_DIR") == nullptr)
        ::setenv("TONECREST_SCREENSHOT_DIR", (std::filesystem::temp_directory_path() / "tonecrest-screenshots").c_str(), 1);
    ::setenv("HOME", folder, 1);
    ::setenv("no_proxy", "127.0.0.1,localhost", 1);
    ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    const auto refused = "http://127.0.0.1:" + std::to_string(refusedPort());
    ::setenv("TONECREST_UPDATE_URL", refused.c_str(), 1);
    ASSERT_TRUE(standaloneProcess);
}

void AppTest::TearDown()
{
    stopApplication();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
}

void AppTest::startApplication()
{
    app = std::make_unique<TonecrestApplication>(backend);
    app->initialise({});
    app->getEditorService()->addListener(&recorder);
}

void AppTest::stopApplication()
{
    if (app == nullptr)
        return;
    if (auto* editorService = app->getEditorService())
        editorService->removeListener(&recorder);
    app->shutdown();
    app.reset();
}

Tonecrest::Testing::SimulatedPedalBus& AppTest::addPedal(const std::string& path)
{
    Tonecrest::Testing::SimulatedPedalBus::Options options;
    options.path = path;
    options.initialMode = Tonecrest::Testing::SimulatedPedalBus::Mode::Absent;
    return addPedal(options);
}

Tonecrest::Testing::SimulatedPedalBus& AppTest::addPedal(Tonecrest::Testing::SimulatedPedalBus::Options options)
{
    pedals.push_back(std::make_unique<Tonecrest::Testing::SimulatedPedalBus>(backend, options));
    return *pedals.back();
}

bool AppTest::plugInReady(Tonecrest::Testing::SimulatedPedalBus& pedal)
{
    using Service = Tonecrest::TonecrestEditorService;
    pedal.plugIn(Tonecrest::Testing::SimulatedPedalBus::Mode::Normal);
    if (!pedal.waitForMode(Tonecrest::Testing::SimulatedPedalBus::Mode::Normal, std::chrono::seconds(5)))
        return false;
    return pumpUntil([&] {
        Service::PresetInfo last;
        return serviceState() == Service::kStateReady && app->getConnectedDevice() != nullptr
            && service().getPresetInfo(127, last).ok && last.state == Service::PresetInfo::kValid;
    });
}

void AppTest::pump(int ms)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(ms);
}

bool AppTest::pumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + juce::uint32(timeoutMs);
    while (!done())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return done();
        pump(5);
    }
    return true;
}

juce::File AppTest::logFile() const
{
    return juce::File(home.string()).getChildFile(".config/Tonecrest/Tonecrest Log.txt");
}

juce::File AppTest::settingsFile() const
{
    return juce::File(home.string()).getChildFile(".config/Tonecrest/Tonecrest.settings");
}

juce::StringArray AppTest::logLines() const
{
    juce::StringArray lines;
    lines.addLines(logFile().loadFileAsString());
    return lines;
}

int AppTest::findLogLine(const juce::String& text, int from) const
{
    const auto lines = logLines();
    for (int i = std::max(from, 0); i < lines.size(); ++i)
        if (lines[i].contains(text))
            return i;
    return -1;
}

} // namespace AppTesting
