// The impulse importer's resampler measured as a filter, beside sox's `rate` effect (Debian's
// sox, run here on the same signals): passband gain range, the -0.1 dB and -3 dB band edges,
// and stop-band attenuation (aliases of tones above the new Nyquist frequency when going down,
// images of passband tones when going up). Each measurement runs once; the figures are the
// benchmark's counters and a table printed after the run. Also times one second of audio.
//
// A tone is a 0.25 s sine of amplitude 0.5; its output is fitted, away from both ends, with a
// sine and cosine at the tone's frequency plus a constant: the fitted amplitude gives the gain,
// what the fit leaves gives the images, aliases and noise. sox runs as
//   sox -D -t raw -r <rate> -c <tones> -e floating-point -b 64 -L in.raw -t raw -e floating-point -b 64 out.raw rate [-v] 48000

#include "Resampler.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

using Tonecrest::Resampler;

namespace
{

namespace fs = std::filesystem;

constexpr double pi = 3.14159265358979323846;
constexpr double targetRate = 48000.0;
constexpr double toneAmplitude = 0.5;
constexpr double toneSeconds = 0.25;
constexpr size_t edgeSkip = 2000; // output samples left out at each end
constexpr int tonesPerSoxRun = 32;

using Signal = std::vector<double>;

Signal tone(double frequency, double rate)
{
    Signal signal(size_t(toneSeconds * rate));
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = toneAmplitude * std::sin(2 * pi * frequency * double(i) / rate + 0.3);
    return signal;
}

/** The importer's set-up, fed the whole signal as its last block. */
Signal resampleOurs(Resampler& resampler, const Signal& in, double factor)
{
    resampler.reset();
    Signal out(size_t(double(in.size()) * factor) + 64);
    int used = 0;
    const int count = resampler.process(in.data(), int(in.size()), 1, &used, out.data(), int(out.size()), factor);
    out.resize(size_t(std::max(count, 0)));
    return out;
}

bool haveSox()
{
    static const bool found = std::system("command -v sox >/dev/null 2>&1") == 0;
    return found;
}

/** Every tone through one sox `rate` run per group of tones, one tone per channel. */
std::vector<Signal> resampleSox(const std::vector<Signal>& tones, double rate, const std::string& quality)
{
    const fs::path folder = fs::temp_directory_path() / ("tonecrest-bench-sox-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::vector<Signal> outputs;
    for (size_t first = 0; first < tones.size(); first += tonesPerSoxRun)
    {
        const size_t channels = std::min<size_t>(tonesPerSoxRun, tones.size() - first);
        const size_t frames = tones[first].size();
        Signal interleaved(frames * channels);
        for (size_t c = 0; c < channels; ++c)
            for (size_t i = 0; i < frames; ++i)
                interleaved[i * channels + c] = tones[first + c][i];
        const fs::path in = folder / "in.raw", out = folder / "out.raw";
        std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(interleaved.data()),
                                                  std::streamsize(interleaved.size() * sizeof(double)));
        const std::string command = "sox -D -t raw -r " + std::to_string(int(rate)) + " -c " + std::to_string(channels)
                                    + " -e floating-point -b 64 -L '" + in.string() + "' -t raw -e floating-point -b 64 '"
                                    + out.string() + "' rate " + quality + " 48000";
        if (std::system(command.c_str()) != 0)
            break;
        std::ifstream result(out, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(result)), std::istreambuf_iterator<char>());
        const size_t outFrames = bytes.size() / sizeof(double) / channels;
        for (size_t c = 0; c < channels; ++c)
        {
            Signal signal(outFrames);
            for (size_t i = 0; i < outFrames; ++i)
                std::memcpy(&signal[i], bytes.data() + (i * channels + c) * sizeof(double), sizeof(double));
            outputs.push_back(std::move(signal));
        }
    }
    fs::remove_all(folder);
    return outputs;
}

double toDb(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-300)); }

struct Fit
{
    double gainDb;
    double residualDb; // what the fit leaves, against the tone's level
};

/** Least squares of a sin + b cos + c at the frequency over the interior of the output. */
Fit fitTone(const Signal& out, double frequency)
{
    if (out.size() < 3 * edgeSkip)
        return { NAN, NAN };
    double m[3][4] = {};
    for (size_t k = edgeSkip; k + edgeSkip < out.size(); ++k)
    {
        const double phase = 2 * pi * frequency * double(k) / targetRate;
        const double basis[3] = { std::sin(phase), std::cos(phase), 1.0 };
        for (int r = 0; r < 3; ++r)
        {
            for (int c = 0; c < 3; ++c)
                m[r][c] += basis[r] * basis[c];
            m[r][3] += basis[r] * out[k];
        }
    }
    for (int pivot = 0; pivot < 3; ++pivot) // Gauss-Jordan; the matrix is well conditioned
        for (int r = 0; r < 3; ++r)
            if (r != pivot)
            {
                const double scale = m[r][pivot] / m[pivot][pivot];
                for (int c = 0; c < 4; ++c)
                    m[r][c] -= scale * m[pivot][c];
            }
    const double a = m[0][3] / m[0][0], b = m[1][3] / m[1][1], dc = m[2][3] / m[2][2];
    double residualEnergy = 0.0;
    size_t count = 0;
    for (size_t k = edgeSkip; k + edgeSkip < out.size(); ++k, ++count)
    {
        const double phase = 2 * pi * frequency * double(k) / targetRate;
        const double r = out[k] - a * std::sin(phase) - b * std::cos(phase) - dc;
        residualEnergy += r * r;
    }
    const double toneRms = toneAmplitude / std::sqrt(2.0);
    return { toDb(std::hypot(a, b) / toneAmplitude), toDb(std::sqrt(residualEnergy / double(count)) / toneRms) };
}

/** Everything above the new Nyquist frequency is alias: its level against the tone's. */
double aliasDb(const Signal& out)
{
    if (out.size() < 3 * edgeSkip)
        return NAN;
    double energy = 0.0;
    for (size_t k = edgeSkip; k + edgeSkip < out.size(); ++k)
        energy += out[k] * out[k];
    return toDb(std::sqrt(energy / double(out.size() - 2 * edgeSkip)) / (toneAmplitude / std::sqrt(2.0)));
}

struct Figures
{
    double gainMinDb = INFINITY, gainMaxDb = -INFINITY; // over the passband
    double edge01Hz = NAN, edge3Hz = NAN;               // where the gain first falls below -0.1 / -3 dB
    double stopBandDb = -INFINITY;                      // worst image or alias level
    double stopBandAtHz = NAN;
};

struct ToneSet
{
    std::vector<double> passband, edge, stop;
};

ToneSet tonesFor(double sourceRate)
{
    const double nyquistLow = std::min(sourceRate, targetRate) / 2;
    ToneSet set;
    set.passband.push_back(100.0);
    for (double f = 500.0; f <= 0.8 * nyquistLow; f += 500.0)
        set.passband.push_back(f);
    for (double f = 0.8 * nyquistLow; f < 0.995 * nyquistLow; f += 50.0)
        set.edge.push_back(f);
    if (sourceRate > targetRate)
        for (double f = 1.05 * targetRate / 2; f <= 0.95 * sourceRate / 2; f += 1000.0)
            set.stop.push_back(f);
    return set;
}

/** outputs[i] is the resampled tone i of passband, then edge, then stop tones. */
Figures measure(const ToneSet& set, const std::vector<Signal>& outputs, bool upsampling)
{
    Figures figures;
    if (outputs.size() != set.passband.size() + set.edge.size() + set.stop.size())
        return { NAN, NAN, NAN, NAN, NAN, NAN };
    size_t index = 0;
    for (double f : set.passband)
    {
        const Fit fit = fitTone(outputs[index++], f);
        figures.gainMinDb = std::min(figures.gainMinDb, fit.gainDb);
        figures.gainMaxDb = std::max(figures.gainMaxDb, fit.gainDb);
        // Going up, the images of passband tones lie in the stop band.
        if (upsampling && fit.residualDb > figures.stopBandDb)
            figures.stopBandDb = fit.residualDb, figures.stopBandAtHz = f;
    }
    for (double f : set.edge)
    {
        const Fit fit = fitTone(outputs[index++], f);
        if (std::isnan(figures.edge01Hz) && fit.gainDb < -0.1)
            figures.edge01Hz = f;
        if (std::isnan(figures.edge3Hz) && fit.gainDb < -3.0)
            figures.edge3Hz = f;
    }
    for (double f : set.stop)
    {
        const double level = aliasDb(outputs[index++]);
        if (level > figures.stopBandDb)
            figures.stopBandDb = level, figures.stopBandAtHz = f;
    }
    return figures;
}

std::map<std::pair<int, std::string>, Figures> table; // (source rate, resampler) -> figures, printed after the run

void publish(benchmark::State& state, int rate, const std::string& name, const Figures& figures)
{
    table[{ rate, name }] = figures;
    state.counters["pass_min_dB"] = figures.gainMinDb;
    state.counters["pass_max_dB"] = figures.gainMaxDb;
    state.counters["edge_0.1dB_Hz"] = figures.edge01Hz;
    state.counters["edge_3dB_Hz"] = figures.edge3Hz;
    state.counters["stop_dB"] = figures.stopBandDb;
    state.counters["stop_at_Hz"] = figures.stopBandAtHz;
}

std::vector<Signal> allTones(const ToneSet& set, double rate)
{
    std::vector<Signal> tones;
    for (const auto* list : { &set.passband, &set.edge, &set.stop })
        for (double f : *list)
            tones.push_back(tone(f, rate));
    return tones;
}

void BM_ResponseOurs(benchmark::State& state)
{
    const double rate = double(state.range(0));
    const ToneSet set = tonesFor(rate);
    Resampler resampler(35, 1, 1.0 / 12, 12.0, 4096.0);
    Figures figures;
    for (auto _ : state)
    {
        std::vector<Signal> outputs;
        for (const Signal& in : allTones(set, rate))
            outputs.push_back(resampleOurs(resampler, in, targetRate / rate));
        figures = measure(set, outputs, rate < targetRate);
    }
    publish(state, int(rate), "ours", figures);
}

void responseSox(benchmark::State& state, const std::string& quality)
{
    if (!haveSox())
    {
        state.SkipWithError("sox is not installed");
        return;
    }
    const double rate = double(state.range(0));
    const ToneSet set = tonesFor(rate);
    Figures figures;
    for (auto _ : state)
        figures = measure(set, resampleSox(allTones(set, rate), rate, quality), rate < targetRate);
    publish(state, int(rate), "sox rate " + (quality.empty() ? std::string("(default -h)") : quality), figures);
}

void BM_ResponseSoxDefault(benchmark::State& state) { responseSox(state, ""); }
void BM_ResponseSoxVeryHigh(benchmark::State& state) { responseSox(state, "-v"); }

/** One second of a mono signal converted to 48 kHz by the importer's resampler. */
void BM_ResampleOneSecond(benchmark::State& state)
{
    const double rate = double(state.range(0));
    const Signal in = tone(1000.0, rate * 4); // 4 x 0.25 s
    Resampler resampler(35, 1, 1.0 / 12, 12.0, 4096.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(resampleOurs(resampler, in, targetRate / rate).data());
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}

void BM_ResamplerConstruction(benchmark::State& state)
{
    for (auto _ : state)
    {
        Resampler resampler(35, 1, 1.0 / 12, 12.0, 4096.0);
        benchmark::DoNotOptimize(resampler.getFilter());
    }
}

void rates(benchmark::internal::Benchmark* benchmark)
{
    for (int rate : { 44100, 88200, 96000, 176400, 192000 })
        benchmark->Arg(rate);
}

} // namespace

BENCHMARK(BM_ResponseOurs)->Apply(rates)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResponseSoxDefault)->Apply(rates)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResponseSoxVeryHigh)->Apply(rates)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleOneSecond)->Apply(rates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResamplerConstruction)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (!table.empty())
    {
        std::printf("\nConversion to 48000 Hz: passband gain (100 Hz .. 0.8 x lower Nyquist), band edges, stop band\n");
        std::printf("%-30s %10s %10s %12s %12s %10s %10s\n", "source rate, resampler", "pass min", "pass max", "-0.1 dB at",
                    "-3 dB at", "stop band", "worst at");
        for (const auto& [key, f] : table)
        {
            const std::string name = std::to_string(key.first) + " " + key.second;
            std::printf("%-30s %8.4f dB %7.4f dB %9.0f Hz %9.0f Hz %7.1f dB %7.0f Hz\n", name.c_str(), f.gainMinDb, f.gainMaxDb,
                        f.edge01Hz, f.edge3Hz, f.stopBandDb, f.stopBandAtHz);
        }
    }
    return 0;
}
