// Time to import an impulse file as a user cabinet: a 10-second 96 kHz stereo 24-bit WAV (the
// reader decodes all of it, the resampler makes the first 1024 samples at 48 kHz), with the
// steps taken apart, and a typical short impulse for comparison.

#include "AudioFileBuilder.h"
#include "AudioFileReader.h"
#include "Resampler.h"
#include "UserCabinetImporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{

/** Interleaved stereo: a decaying noise burst per channel, like a long room impulse. */
std::vector<double> decayingNoise(double rate, double seconds)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.9, 0.9);
    const size_t frames = size_t(rate * seconds);
    std::vector<double> interleaved(2 * frames);
    for (size_t i = 0; i < frames; ++i)
    {
        const double envelope = std::exp(-double(i) / (0.5 * rate));
        interleaved[2 * i] = envelope * noise(random);
        interleaved[2 * i + 1] = envelope * noise(random);
    }
    return interleaved;
}

TempFile& longFile()
{
    static TempFile file(wavFile({ 1, 2, 96000, 24 }, wavPcmData(decayingNoise(96000, 10.0), 24)), "bench-96k-10s");
    return file;
}

TempFile& shortFile()
{
    static TempFile file(wavFile({ 1, 2, 44100, 24 }, wavPcmData(decayingNoise(44100, 2048 / 44100.0), 24)), "bench-44k-short");
    return file;
}

void importFile(benchmark::State& state, TempFile& file)
{
    if (!file.ok())
    {
        state.SkipWithError("could not write the test file");
        return;
    }
    std::vector<float> cabinet(2 * UserCabinetImporter::channelSamples);
    for (auto _ : state)
    {
        const Result result = UserCabinetImporter::importUserCabinet(file.path(), cabinet.data());
        if (!result.ok)
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(cabinet.data());
    }
}

void BM_ImportUserCabinet_96kStereo24_10s(benchmark::State& state) { importFile(state, longFile()); }
void BM_ImportUserCabinet_44kStereo24_2048Frames(benchmark::State& state) { importFile(state, shortFile()); }

/** The reader alone on the long file: parse, read 5.76 MB, decode 1.92 million samples. */
void BM_ReadAudioFile_96kStereo24_10s(benchmark::State& state)
{
    for (auto _ : state)
    {
        double* left = nullptr;
        double* right = nullptr;
        int frames = 0;
        if (!loadAudioFile(longFile().path(), &left, &right, &frames, nullptr, nullptr))
            state.SkipWithError("read failed");
        delete[] left;
        delete[] right;
    }
}

/** The resampler alone: two channels, the first 1024 samples each from 96 kHz. */
void BM_ResampleFirst1024_96k(benchmark::State& state)
{
    const std::vector<double> in = decayingNoise(96000, 10.0);
    std::vector<double> channel(in.size() / 2);
    for (size_t i = 0; i < channel.size(); ++i)
        channel[i] = in[2 * i];
    Resampler resampler(35, 1, 1.0 / 12, 12.0, 4096.0);
    double out[1024];
    for (auto _ : state)
    {
        for (int pass = 0; pass < 2; ++pass)
        {
            resampler.reset();
            int used = 0;
            benchmark::DoNotOptimize(resampler.process(channel.data(), int(channel.size()), 1, &used, out, 1024, 0.5));
        }
    }
}

} // namespace

BENCHMARK(BM_ImportUserCabinet_96kStereo24_10s)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAudioFile_96kStereo24_10s)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleFirst1024_96k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportUserCabinet_44kStereo24_2048Frames)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
