#include "UpdateCheck.h"

#include <cctype>
#include <cstdlib>

#ifndef TONECREST_UPDATE_HOST
#define TONECREST_UPDATE_HOST "http://updates.ferroxamps.example"
#endif

namespace UpdateCheck
{
namespace
{
void skipBlanks(const char*& p)
{
    while (*p != 0 && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
}

/** One literal of the format; blanks before it are skipped like the format's own blank. */
bool expect(const char*& p, const char* literal)
{
    skipBlanks(p);
    for (; *literal != 0; ++literal, ++p)
        if (*p != *literal)
            return false;
    return true;
}

/** One %d, kept modulo 256: enough for a byte-wide component, and no overflow whatever the
    digit count. */
bool readComponent(const char*& p, uint32_t& out)
{
    skipBlanks(p);
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    uint32_t value = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)))
        value = (value * 10u + uint32_t(*p++ - '0')) & 0xFFu;
    out = negative ? (0u - value) & 0xFFu : value;
    return true;
}
} // namespace

uint32_t parseLatestVersion(const char* text)
{
    uint32_t components[4] = { 0, 0, 0, 0 };
    if (text != nullptr)
    {
        const char* p = text;
        if (expect(p, "LATEST_VERSION") && expect(p, "="))
        {
            for (int i = 0; i < 4; ++i)
            {
                if ((i > 0 && !expect(p, ".")) || !readComponent(p, components[i]))
                    break;
            }
        }
    }
    return packVersion(components[0], components[1], components[2], components[3]);
}

juce::String getServerAddress()
{
    if (const char* overridden = std::getenv("TONECREST_UPDATE_URL"); overridden != nullptr && *overridden != 0)
        return juce::String::fromUTF8(overridden);
    return TONECREST_UPDATE_HOST;
}

juce::URL getRequestURL()
{
    return juce::URL(getServerAddress().trimCharactersAtEnd("/") + requestPath);
}

juce::String fetch(const juce::URL& url)
{
    const auto options = juce::URL::InputStreamOptions(juce::URL::ParameterHandling::inAddress)
                             .withConnectionTimeoutMs(connectionTimeoutMs);
    if (auto stream = url.createInputStream(options))
        return stream->readEntireStreamAsString();
    return {};
}

void Outcome::attach(juce::AsyncUpdater* newTarget)
{
    std::lock_guard<std::mutex> lock(updateMutex);
    target = newTarget;
}

bool Outcome::reportNewerVersion()
{
    std::lock_guard<std::mutex> lock(updateMutex);
    newerVersionAvailable = true;
    // Under the lock, so the target cannot detach and go away between the test and the call.
    if (target == nullptr)
        return false;
    target->triggerAsyncUpdate();
    return true;
}

bool Outcome::takeNewerVersion()
{
    std::lock_guard<std::mutex> lock(updateMutex);
    const bool wasSet = newerVersionAvailable;
    newerVersionAvailable = false;
    return wasSet;
}

} // namespace UpdateCheck
