// The WAV/AIFF reader and the user-cabinet import on arbitrary bytes. The reader takes a path,
// so each input is written to one temporary file per process first.
//
// Invariants checked beyond the sanitizers: a read either fails or returns a supported rate and
// finite samples, never more frames than the file has bytes; a header-only read accepts what a
// full read accepts; an import either succeeds with finite samples or leaves the unit impulse.
//
// Seeds in Fuzz/corpus/fuzz_audiofile were written by sox from 8 frames of raw noise, e.g.
//   head -c 48 /dev/urandom > in.raw
//   sox -D -t raw -r 44100 -c 2 -e signed-integer -b 24 -L in.raw -t wav w24s.wav

#include "AudioFileReader.h"
#include "Result.h"
#include "UserCabinetImporter.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

using namespace Tonecrest;

namespace
{

std::string inputPath;

void ignoreLogLine(void*, const char*) {}

void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool isSupportedRate(int rate)
{
    return rate == 44100 || rate == 48000 || rate == 88200 || rate == 96000 || rate == 176400 || rate == 192000;
}

/** A full read, then a header-only read of the same file. */
void checkReader(waverror (*reader)(const char*, double**, double**, int*, int*, bool*), size_t fileBytes)
{
    double* left = nullptr;
    double* right = nullptr;
    int frames = -1, rate = -1;
    bool mono = false;
    const waverror code = reader(inputPath.c_str(), &left, &right, &frames, &rate, &mono);
    if (code == kWavErrorNone)
    {
        check(frames >= 1 && size_t(frames) <= fileBytes, "frame count within the file");
        check(isSupportedRate(rate), "supported rate");
        for (int i = 0; i < frames; ++i)
            check(std::isfinite(left[i]) && std::isfinite(right[i]), "finite samples");
        if (mono)
            for (int i = 0; i < frames; ++i)
                check(left[i] == right[i], "mono fills both channels alike");
    }
    else
    {
        check(left == nullptr && right == nullptr && frames == -1 && rate == -1, "failure touches nothing");
    }
    delete[] left;
    delete[] right;

    int headerRate = -1;
    bool headerMono = !mono;
    const waverror headerCode = reader(inputPath.c_str(), nullptr, nullptr, nullptr, &headerRate, &headerMono);
    if (code == kWavErrorNone)
        check(headerCode == kWavErrorNone && headerRate == rate && headerMono == mono, "header read agrees");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setLogCallback(&ignoreLogLine, nullptr);
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    inputPath = std::string(folder) + "/tonecrest-fuzz-audiofile-" + std::to_string(getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(inputPath.c_str(), "wb");
    if (file == nullptr)
        return 0;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        return 0;

    checkReader(&readWavFileCode, size);
    checkReader(&readAiffFileCode, size);

    float cabinet[2 * UserCabinetImporter::channelSamples];
    for (float& sample : cabinet)
        sample = 0.5f;
    if (UserCabinetImporter::importUserCabinet(inputPath.c_str(), cabinet).ok)
    {
        for (float sample : cabinet)
            check(std::isfinite(sample), "finite cabinet");
    }
    else
    {
        for (int i = 0; i < 2 * UserCabinetImporter::channelSamples; ++i)
            check(cabinet[i] == (i % UserCabinetImporter::channelSamples == 0 ? 1.0f : 0.0f), "unit impulse after failure");
    }
    std::remove(inputPath.c_str());
    return 0;
}
