#include "UserCabinetImporter.h"

#include "AudioFileReader.h"
#include "Resampler.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace Tonecrest
{
namespace
{

// The converter: 35 zero crossings, interpolated table of 4096 entries per crossing, and a
// factor range that covers every supported rate (48000 / 192000 up to 48000 / 44100).
constexpr int filterZeroCrossings = 35;
constexpr int interpolateTable = 1;
constexpr double minFactor = 1.0 / 12;
constexpr double maxFactor = 12.0;
constexpr double entriesPerZeroCrossing = 4096.0;

void writeUnitImpulse(float* left, float* right)
{
    std::fill(left, left + UserCabinetImporter::channelSamples, 0.0f);
    std::fill(right, right + UserCabinetImporter::channelSamples, 0.0f);
    left[0] = 1.0f;
    right[0] = 1.0f;
}

} // namespace

bool UserCabinetImporter::loadImpulseResponse(const char* path, float* left, float* right)
{
    constexpr int outLength = channelSamples;
    double* readLeft = nullptr;
    double* readRight = nullptr;
    int frames = 0;
    int rate = 0;
    const bool loaded = loadAudioFile(path, &readLeft, &readRight, &frames, &rate, nullptr);
    const std::unique_ptr<double[]> sourceLeft(readLeft);
    const std::unique_ptr<double[]> sourceRight(readRight);
    // Every failure leaves the unit impulse and nothing else.
    const auto fail = [left, right] {
        writeUnitImpulse(left, right);
        return false;
    };
    if (!loaded)
        return fail();

    double resampled[2][outLength];
    const double* sources[2] = { sourceLeft.get(), sourceRight.get() };
    int produced[2] = { 0, 0 };
    if (rate != cabinetRate)
    {
        Resampler resampler(filterZeroCrossings, interpolateTable, minFactor, maxFactor, entriesPerZeroCrossing);
        const double factor = double(cabinetRate) / rate;
        for (int channel = 0; channel < 2; ++channel)
        {
            resampler.reset();
            int consumed = 0;
            // Only the first 1024 samples are kept: the rest of a longer impulse is never made.
            produced[channel] =
                resampler.process(sources[channel], frames, 1, &consumed, resampled[channel], outLength, factor);
            sources[channel] = resampled[channel];
        }
        if (produced[0] < 0 || produced[1] < 0)
            return fail();
    }
    else
    {
        produced[0] = produced[1] = std::min(frames, outLength);
    }

    // Float files may hold any finite value; one the cabinet's floats cannot hold makes the
    // impulse useless (and its conversion undefined).
    for (int channel = 0; channel < 2; ++channel)
    {
        const auto outOfRange = [](double sample) { return !(std::fabs(sample) <= std::numeric_limits<float>::max()); };
        if (std::any_of(sources[channel], sources[channel] + produced[channel], outOfRange))
            return fail();
    }

    float* outputs[2] = { left, right };
    for (int channel = 0; channel < 2; ++channel)
    {
        std::transform(sources[channel], sources[channel] + produced[channel], outputs[channel],
                       [](double sample) { return float(sample); });
        std::fill(outputs[channel] + produced[channel], outputs[channel] + outLength, 0.0f);
    }
    return true;
}

Result UserCabinetImporter::importUserCabinet(const char* path, float* out)
{
    if (!loadImpulseResponse(path, out, out + channelSamples))
        return TONECREST_ERROR("Error loading impulse file");
    return kSuccess;
}

double UserCabinetImporter::kaiserWindow(int n, int N, double beta)
{
    if (n < 0 || n >= N)
        return 0.0;
    if (N == 1)
        return 1.0;
    const double ratio = double(n) / (N - 1);
    return besselI0(beta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) / besselI0(beta);
}

double UserCabinetImporter::besselI0(double x)
{
    return Resampler::besselI0(x);
}

} // namespace Tonecrest
