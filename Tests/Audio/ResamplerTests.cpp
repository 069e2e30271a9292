#include "Resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Tonecrest;

namespace
{

constexpr double pi = 3.14159265358979323846;

using Signal = std::vector<double>;

/** The importer's set-up: 35 zero crossings, interpolated, factors 1/12 to 12, 4096 per crossing. */
class ResamplerTest : public ::testing::Test
{
protected:
    Resampler resampler { 35, 1, 1.0 / 12, 12.0, 4096.0 };

    /** Resets, then feeds the whole input as the last block and collects everything, taking
        at most outChunk samples per call. */
    Signal resampleAll(const Signal& in, double factor, int outChunk = 1 << 20)
    {
        resampler.reset();
        int used = 0;
        Signal out;
        Signal buffer(static_cast<size_t>(outChunk));
        for (;;)
        {
            const int count = resampler.process(in.data(), int(in.size()), 1, &used, buffer.data(), outChunk, factor);
            EXPECT_GE(count, 0);
            if (count <= 0)
                break;
            out.insert(out.end(), buffer.begin(), buffer.begin() + count);
        }
        EXPECT_EQ(used, int(in.size()));
        return out;
    }
};

Signal sine(double frequency, double rate, int length)
{
    Signal signal(size_t(length), 0.0);
    for (int i = 0; i < length; ++i)
        signal[size_t(i)] = std::sin(2 * pi * frequency * i / rate);
    return signal;
}

/** Largest distance from the expectation, leaving out margin samples at each end where the
    filter sees the zero history. */
double worstInteriorError(const Signal& out, int margin, double (*expected)(int, double), double parameter)
{
    double worst = 0.0;
    for (int k = margin; k + margin < int(out.size()); ++k)
        worst = std::max(worst, std::fabs(out[size_t(k)] - expected(k, parameter)));
    return worst;
}

struct SineFit
{
    double amplitude, phase;
};

/** Least squares of a sin + b cos at the frequency over out[begin, end), as amplitude and phase. */
SineFit fitSine(const Signal& out, double frequency, double rate, size_t begin, size_t end)
{
    double ss = 0, cc = 0, sc = 0, sy = 0, cy = 0;
    for (size_t k = begin; k < end; ++k)
    {
        const double s = std::sin(2 * pi * frequency * double(k) / rate), c = std::cos(2 * pi * frequency * double(k) / rate);
        ss += s * s, cc += c * c, sc += s * c, sy += s * out[k], cy += c * out[k];
    }
    const double determinant = ss * cc - sc * sc;
    const double a = (sy * cc - cy * sc) / determinant, b = (cy * ss - sy * sc) / determinant;
    return { std::hypot(a, b), std::atan2(b, a) };
}

double energy(const Signal& signal)
{
    double sum = 0.0;
    for (double sample : signal)
        sum += sample * sample;
    return sum;
}

} // namespace

TEST_F(ResamplerTest, FilterTableForTheImporterSetUp)
{
    ASSERT_EQ(resampler.getFilterLength(), 69632);

    const double* imp = resampler.getFilter();
    const double* impD = resampler.getFilterDifferences();
    EXPECT_EQ(imp[0], 0.9); // the centre tap: the cut-off, unwindowed
    EXPECT_EQ(impD[1000], imp[1001] - imp[1000]);
    EXPECT_EQ(impD[69631], -imp[69631]);
    // sin(0.9 t) / t one input sample from the centre, under the Kaiser window (beta 6).
    const double ratio = 4096.0 / 69631.0;
    const double window = Resampler::besselI0(6.0 * std::sqrt(1.0 - ratio * ratio)) / Resampler::besselI0(6.0);
    EXPECT_NEAR(imp[4096], std::sin(0.9 * pi) / pi * window, 1e-15);
    EXPECT_NEAR(window, 0.99057, 1e-5);
}

TEST(ResamplerBessel, MatchesTabulatedValues)
{
    const struct
    {
        double x, i0;
    } table[] = { { 0.0, 1.0 }, { 1.0, 1.266065878 }, { -2.0, 2.279585302 }, { 3.75, 9.118945860 }, { 6.0, 67.23440698 }, { 10.0, 2815.716628 } };
    for (const auto& row : table)
        EXPECT_NEAR(Resampler::besselI0(row.x), row.i0, row.i0 * 2e-7) << row.x;
}

TEST_F(ResamplerTest, RefusesFactorsOutsideItsRangeWithoutConsuming)
{
    const Signal in(100, 1.0);
    Signal out(2000);
    for (double factor : { 13.0, 0.05, 12.0001, std::nan("") })
    {
        int used = 0;
        EXPECT_EQ(resampler.process(in.data(), 100, 1, &used, out.data(), 2000, factor), -1) << factor;
        EXPECT_EQ(used, 0);
    }
    for (double factor : { 12.0, 1.0 / 12 })
        EXPECT_NEAR(double(resampleAll(in, factor).size()), 100 * factor, 1.0) << factor;
}

TEST_F(ResamplerTest, OutputLengthAndAlignmentFollowTheFactor)
{
    Signal impulse(1000, 0.0);
    impulse[200] = 1.0;
    const struct
    {
        double factor;
        size_t length;
        int peak;
    } cases[] = { { 0.5, 500, 100 }, { 1.0, 1000, 200 }, { 2.0, 2000, 400 }, { 0.25, 250, 50 }, { 48000.0 / 44100, 1089, 218 } };
    for (const auto& testCase : cases)
    {
        const Signal out = resampleAll(impulse, testCase.factor);
        EXPECT_EQ(out.size(), testCase.length) << testCase.factor;
        const auto peak = std::max_element(out.begin(), out.end());
        EXPECT_EQ(peak - out.begin(), testCase.peak) << testCase.factor;
    }

    // The importer's 44.1 kHz case: 1024 frames come out as 1115 samples.
    EXPECT_EQ(resampleAll(Signal(1024, 0.0), 48000.0 / 44100).size(), 1115u);
}

TEST_F(ResamplerTest, DirectCurrentStaysDirectCurrent)
{
    for (double factor : { 1.0 / 12, 0.25, 0.5, 0.75, 1.0, 48000.0 / 44100, 2.0, 12.0 })
    {
        const Signal out = resampleAll(Signal(3000, 1.0), factor);
        // The filter reaches 17 samples of the lower rate either way.
        const int margin = int(std::ceil(20 * std::max(factor, 1.0)));
        const double worst = worstInteriorError(out, margin, [](int, double) { return 1.0; }, 0.0);
        EXPECT_LT(worst, 1e-3) << factor;
    }
}

TEST_F(ResamplerTest, SineKeepsItsFrequencyAndTheStopBandIsCut)
{
    // 1 kHz converted to 48 kHz from each rate the importer meets: sample k must lie on the
    // 1 kHz sine at 48 kHz.
    for (double sourceRate : { 44100.0, 88200.0, 96000.0, 176400.0, 192000.0 })
    {
        const Signal out = resampleAll(sine(1000.0, sourceRate, 8000), 48000.0 / sourceRate);
        const double worst = worstInteriorError(out, 400, [](int k, double) { return std::sin(2 * pi * 1000.0 * k / 48000.0); }, 0.0);
        EXPECT_LT(worst, 1e-3) << sourceRate;
    }

    // 30 kHz lies above the new Nyquist frequency: it must not fold back into the output.
    const Signal aliased = resampleAll(sine(30000.0, 96000.0, 8000), 0.5);
    EXPECT_LT(std::sqrt(energy(Signal(aliased.begin() + 200, aliased.end() - 200)) / double(aliased.size() - 400)), 1e-4);
}

TEST_F(ResamplerTest, SinesKeepTheirAmplitudeAndFrequencyAcrossThePassband)
{
    // The passband is flat to within 0.03 dB up to 0.8 of the lower Nyquist frequency.
    for (double sourceRate : { 44100.0, 96000.0 })
    {
        for (double frequency : { 100.0, 1000.0, 5000.0, 10000.0, 15000.0, 17000.0 })
        {
            const Signal out = resampleAll(sine(frequency, sourceRate, int(sourceRate / 4)), 48000.0 / sourceRate);
            ASSERT_GE(out.size(), 11999u);
            const SineFit whole = fitSine(out, frequency, 48000.0, 1000, 11000);
            EXPECT_NEAR(whole.amplitude, 1.0, 0.0035) << sourceRate << " " << frequency;
            // Phases 8000 samples apart must agree: a frequency off by 0.01 Hz moves them by 0.01 rad.
            const SineFit early = fitSine(out, frequency, 48000.0, 1000, 3000);
            const SineFit late = fitSine(out, frequency, 48000.0, 9000, 11000);
            EXPECT_NEAR(std::remainder(late.phase - early.phase, 2 * pi), 0.0, 1e-3) << sourceRate << " " << frequency;
        }
    }
}

TEST_F(ResamplerTest, ImpulseFrom192kHzKeepsTheEnergyOfItsBand)
{
    // A unit impulse holds every frequency equally; down to 48 kHz only those below the cut-off
    // (0.9 x 24 kHz) survive, and each output sample stands for four input samples:
    // energy = 0.25 x (2 x 21600 / 192000) = 0.05625 for a brick-wall filter. The window's
    // transition band, centred on the cut-off, costs this one about 2.8 %: 0.0547.
    double reference = 0.0;
    for (int offset = 0; offset < 4; ++offset)
    {
        Signal impulse(16000, 0.0);
        impulse[size_t(8000 + offset)] = 1.0;
        const Signal out = resampleAll(impulse, 0.25);
        ASSERT_EQ(out.size(), 4000u);
        const double outEnergy = energy(out);
        EXPECT_NEAR(outEnergy, 0.0547, 0.0547 * 0.005) << offset;
        // Wherever the impulse falls between output samples, its energy is the same.
        if (offset == 0)
        {
            reference = outEnergy;
            EXPECT_NEAR(out[2000], 0.225, 1e-6); // the centre tap, scaled by the factor
        }
        EXPECT_NEAR(outEnergy, reference, reference * 1e-3) << offset;
        EXPECT_NEAR(double(std::max_element(out.begin(), out.end()) - out.begin()), 2000.0 + offset / 4.0, 0.5) << offset;
    }
}

TEST_F(ResamplerTest, SamplesBeyondTheOutputBufferComeFirstNextCall)
{
    const Signal in = sine(440.0, 44100.0, 5000);
    for (double factor : { 48000.0 / 44100, 0.25 })
    {
        const Signal whole = resampleAll(in, factor);
        EXPECT_EQ(resampleAll(in, factor, 37), whole) << factor;
        EXPECT_EQ(resampleAll(in, factor, 1), whole) << factor;
    }
}

TEST_F(ResamplerTest, StreamedBlocksContinueWithoutAClickAndResetStartsAfresh)
{
    const Signal in = sine(1234.0, 96000.0, 20000);
    const int blockLengths[] = { 700, 1, 4096, 17, 5000, 0, 333 };
    for (double factor : { 0.25, 0.5, 48000.0 / 44100, 2.0 })
    {
        const Signal whole = resampleAll(in, factor);

        // Blocks of every size, an empty one among them, the last flag only on the final call.
        resampler.reset();
        Signal streamed, buffer(60000);
        size_t start = 0;
        for (int block = 0; start < in.size() || block == 0; ++block)
        {
            const int length = int(std::min<size_t>(size_t(blockLengths[block % 7]), in.size() - start));
            const int last = start + size_t(length) >= in.size() ? 1 : 0;
            int used = 0;
            const int count = resampler.process(in.data() + start, length, last, &used, buffer.data(), 60000, factor);
            ASSERT_GE(count, 0);
            ASSERT_EQ(used, length);
            streamed.insert(streamed.end(), buffer.begin(), buffer.begin() + count);
            start += size_t(length);
        }
        ASSERT_EQ(streamed.size(), whole.size()) << factor;
        for (size_t k = 0; k < whole.size(); ++k)
            ASSERT_NEAR(streamed[k], whole[k], 1e-9) << factor << " sample " << k;
        // And the one-block output itself has no step: away from the signal's abrupt start and
        // end, the tone moves by at most its slope.
        double largestStep = 0.0;
        for (size_t k = 50; k + 50 < whole.size(); ++k)
            largestStep = std::max(largestStep, std::fabs(whole[k] - whole[k - 1]));
        EXPECT_LT(largestStep, 2 * pi * 1234.0 / (96000.0 * factor) * 1.01) << factor;
    }

    // A signal left half-delivered must not leak into the next one.
    const Signal whole = resampleAll(in, 0.5);
    Signal buffer(10);
    int used = 0;
    resampler.reset();
    EXPECT_EQ(resampler.process(in.data(), 9000, 1, &used, buffer.data(), 10, 0.5), 10);
    EXPECT_EQ(resampleAll(in, 0.5), whole);
}
