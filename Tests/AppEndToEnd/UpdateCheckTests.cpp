#include "AppTestRig.h"
#include "LoopbackHTTPServer.h"

#include "AboutDialog.h"
#include "Result.h"
#include "UpdateCheck.h"

#include <chrono>
#include <string>

namespace AppTesting
{
namespace
{
using namespace std::chrono_literals;

TEST(UpdateCheckParse, ReadsTheServerTextTheWayTheFormatDoesKeepingTheLowByteOfEachComponent)
{
    const std::pair<const char*, uint32_t> replies[] = {
        { "LATEST_VERSION = 6.2.0.2", 0x06020002u },
        { "  \n LATEST_VERSION=6 . 3 .0. 0\n<br>", 0x06030000u },
        { "LATEST_VERSION = +7.1.2.3", 0x07010203u },
        // Components the text does not supply stay 0.
        { "LATEST_VERSION = 6.2", 0x06020000u },
        { "LATEST_VERSION = 7.x.5.5", 0x07000000u },
        { "LATEST_VERSION 6.2.0.2", 0u },
        { "<html>LATEST_VERSION = 9.9.9.9", 0u },
        { "", 0u },
        { nullptr, 0u },
        { "LATEST_VERSION = 262.258.256.257", 0x06020001u },
        { "LATEST_VERSION = 99999999999999999999.1.2.3", 0xFF010203u },
        { "LATEST_VERSION = 2147483648.0.0.0", 0x00000000u },
        { "LATEST_VERSION = -1.0.0.0", 0xFF000000u },
        { "LATEST_VERSION = 6.2.0.2.9.9.9.9", 0x06020002u },
    };
    for (const auto& [reply, version] : replies)
        EXPECT_EQ(UpdateCheck::parseLatestVersion(reply), version) << (reply != nullptr ? reply : "(null)");
    EXPECT_EQ(UpdateCheck::packVersion(0x106, 2, 0, 0x102), 0x06020002u);
}

/** Runs the check's thread body on the test's thread, collecting what it logs. */
class UpdateCheckBody : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("no_proxy", "127.0.0.1,localhost", 1);
        ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
        Tonecrest::setLogCallback(&collect, &lines);
    }
    void TearDown() override { Tonecrest::setLogCallback(nullptr, nullptr); }

    static void collect(void* context, const char* line)
    {
        static_cast<std::vector<std::string>*>(context)->push_back(line);
    }

    bool check(const std::string& address)
    {
        auto outcome = std::make_shared<UpdateCheck::Outcome>();
        TonecrestApplication::checkForUpdate(outcome, juce::URL(juce::String(address) + UpdateCheck::requestPath));
        return outcome->takeNewerVersion();
    }

    bool logged(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

    std::vector<std::string> lines;
};

TEST_F(UpdateCheckBody, LogsWhatTheServerSaidAndReportsOnlyVersionsFrom6202Up)
{
    const std::string longReply = std::string(300, 'x') + "LATEST_VERSION = 9.0.0.0";
    const struct
    {
        std::string reply; // empty: nobody listens
        bool newer;
        std::string loggedResponse; // only the first 255 bytes of an answer are looked at
    } cases[] = {
        { "LATEST_VERSION = 6.2.0.1\n", false, "LATEST_VERSION = 6.2.0.1\n" },
        { "LATEST_VERSION = 6.2.0.2", true, "LATEST_VERSION = 6.2.0.2" },
        { "LATEST_VERSION = 6.2.0.3", true, "LATEST_VERSION = 6.2.0.3" },
        { "LATEST_VERSION = 6.3.0.0", true, "LATEST_VERSION = 6.3.0.0" },
        { "<html><body>Not Found</body></html>", false, "<html><body>Not Found</body></html>" },
        { longReply, false, std::string(255, 'x') },
        { "", false, "" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.reply);
        lines.clear();
        std::unique_ptr<LoopbackHTTPServer> server;
        if (!c.reply.empty())
            server = std::make_unique<LoopbackHTTPServer>(c.reply);
        EXPECT_EQ(check(server ? server->address() : "http://127.0.0.1:" + std::to_string(refusedPort())), c.newer);
        EXPECT_EQ(lines, (std::vector<std::string> { "DEBUG: Checking for update...", "DEBUG: Update check response: " + c.loggedResponse,
                                                     c.newer ? "DEBUG: There is a newer application version available!"
                                                             : "DEBUG: Application is up-to-date." }));
        if (server)
            EXPECT_EQ(server->requestLines(), std::vector<std::string> { "GET /tonecrest/latest_version.php HTTP/1.1" });
    }
}

/** Counts the modal alerts titled "Update" and dismisses each one, from the message loop
    (which runs on inside the alert's own modal loop). */
class UpdateNoticeWatcher : private juce::Timer
{
public:
    UpdateNoticeWatcher() { startTimer(5); }
    ~UpdateNoticeWatcher() override { stopTimer(); }

    int notices = 0;
    juce::StringArray buttons;
    juce::String linkText;

private:
    void timerCallback() override
    {
        auto* alert = dynamic_cast<juce::AlertWindow*>(juce::Component::getCurrentlyModalComponent());
        if (alert == nullptr || alert->getName() != "Update")
            return;
        ++notices;
        for (auto* child : alert->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*>(child))
                buttons.add(button->getButtonText());
        if (alert->getNumCustomComponents() == 1)
            if (auto* link = dynamic_cast<juce::HyperlinkButton*>(alert->getCustomComponent(0)))
                linkText = link->getButtonText();
        alert->exitModalState(1);
    }
};

class UpdateCheckInApp : public AppTest
{
};

TEST_F(UpdateCheckInApp, NewerVersionShowsTheNoticeOnce)
{
    LoopbackHTTPServer server("LATEST_VERSION = 6.3.0.0");
    ::setenv("TONECREST_UPDATE_URL", server.address().c_str(), 1);
    UpdateNoticeWatcher watcher;
    startApplication();

    ASSERT_TRUE(pumpUntil([&] { return watcher.notices > 0; }));
    pump(300);
    EXPECT_EQ(watcher.notices, 1);
    EXPECT_EQ(watcher.buttons, juce::StringArray("OK"));
    EXPECT_EQ(watcher.linkText, AboutDialog::getSupportPageAddress());
    EXPECT_EQ(server.requestLines().size(), 1u) << "one check per start";
}

// An unreachable server counts as up to date in the check itself (the table above).
TEST_F(UpdateCheckInApp, UpToDateServerShowsNothing)
{
    LoopbackHTTPServer server("LATEST_VERSION = 6.2.0.1");
    ::setenv("TONECREST_UPDATE_URL", server.address().c_str(), 1);
    UpdateNoticeWatcher watcher;
    startApplication();
    ASSERT_TRUE(pumpUntil([&] { return findLogLine("Application is up-to-date.") >= 0; }));
    pump(200);
    EXPECT_EQ(watcher.notices, 0);
}

/** Collects log lines after the application has gone. Never destroyed: a late line from the
    detached check may still be on its way through it. */
class LateLineLogger : public juce::Logger
{
public:
    bool hasLine(const juce::String& text)
    {
        const juce::ScopedLock lock(linesLock);
        return lines.contains(text);
    }

private:
    void logMessage(const juce::String& message) override
    {
        const juce::ScopedLock lock(linesLock);
        lines.add(message);
    }

    juce::CriticalSection linesLock;
    juce::StringArray lines;
};

TEST_F(UpdateCheckInApp, SlowServerAnsweringAfterQuitFindsTheApplicationGone)
{
    LoopbackHTTPServer server("LATEST_VERSION = 9.0.0.0", true);
    ::setenv("TONECREST_UPDATE_URL", server.address().c_str(), 1);
    startApplication();
    ASSERT_TRUE(server.waitForRequests(1, 20s));

    stopApplication();
    static auto* lateLines = new LateLineLogger();
    juce::Logger::setCurrentLogger(lateLines);

    server.release();
    ASSERT_TRUE(server.waitForReplies(1, 20s));
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!lateLines->hasLine("DEBUG: There is a newer application version available!")
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(lateLines->hasLine("DEBUG: There is a newer application version available!"));
    juce::Logger::setCurrentLogger(nullptr);
}

} // namespace
} // namespace AppTesting
