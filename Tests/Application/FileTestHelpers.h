#pragma once

#include "Result.h"

#include <juce_core/juce_core.h>

#include <sys/resource.h>

#include <csignal>
#include <string>

namespace Tonecrest::Testing
{

inline std::string errorText(Result result)
{
    return result.ok ? "(success)" : result.error;
}

/** A JUCE output stream whose device is full: every write is refused. */
class FullOutputStream : public juce::OutputStream
{
public:
    void flush() override {}
    bool setPosition(juce::int64) override { return false; }
    juce::int64 getPosition() override { return 0; }
    bool write(const void*, size_t) override { return false; }
};

/** A fresh folder in the system's temporary folder for one test, removed with everything in
    it afterwards. Random names keep test processes that run at once apart. */
class ScratchFolder
{
public:
    ScratchFolder()
        : folder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getNonexistentChildFile("tonecrest-test-" + juce::String::toHexString(juce::Random::getSystemRandom().nextInt64()), ""))
    {
        folder.createDirectory();
    }
    ~ScratchFolder() { folder.deleteRecursively(); }

    const juce::File& path() const { return folder; }
    juce::File child(const char* name) const { return folder.getChildFile(name); }
    int fileCount() const { return folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories); }

private:
    juce::File folder;
};

/** While it lives, no file of this process grows past `bytes`: a full disk without a mount. */
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes) : previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited { bytes, saved.rlim_max };
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    void (*previousHandler)(int);
    rlimit saved {};
};

} // namespace Tonecrest::Testing
