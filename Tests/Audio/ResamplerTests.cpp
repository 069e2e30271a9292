#include "Resampler.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Tonecrest;

namespace
{
using Signal = std::vector<double>;
constexpr double pi = 3.14159265358979323846;

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
        int used = 0, count = 0;
        Signal out, buffer(size_t(outChunk), 0.0);
        while ((count = resampler.process(in.data(), int(in.size()), 1, &used, buffer.data(), outChunk, factor)) > 0)
            out.insert(out.end(), buffer.begin(), buffer.begin() + count);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(used, int(in.size()));
        return out;
    }
};

/** The low-pass filter at d zero crossings from its centre: sin(0.9 pi d) / (pi d) under a
    Kaiser window (beta 6) that ends 69631 / 4096 crossings out; the exact Bessel function. */
double windowedSinc(double d)
{
    const double ratio = d * 4096.0 / 69631.0;
    const double window = std::cyl_bessel_i(0.0, 6.0 * std::sqrt(1.0 - ratio * ratio)) / std::cyl_bessel_i(0.0, 6.0);
    return (d == 0.0 ? 0.9 : std::sin(0.9 * pi * d) / (pi * d)) * window;
}
} // namespace

TEST_F(ResamplerTest, ImpulseComesOutAsTheWindowedSincAtTheLowerRate)
{
    // Output k lies at input position k / factor with no delay; below 1 the filter is stretched
    // to the output rate and scaled by the factor.
    for (double factor : { 1.0 / 12, 0.25, 0.5, 48000.0 / 96000, 48000.0 / 44100, 1.0, 2.0, 12.0 })
    {
        SCOPED_TRACE(factor);
        Signal impulse(1000, 0.0);
        impulse[300] = 1.0;
        const Signal out = resampleAll(impulse, factor);
        ASSERT_NEAR(double(out.size()), 1000 * factor, 1.0);
        const double scale = std::min(factor, 1.0);
        for (size_t k = 0; k < out.size(); ++k)
        {
            const double d = (double(k) / factor - 300.0) * scale;
            if (std::fabs(d) < 16.99)
                ASSERT_NEAR(out[k], scale * windowedSinc(std::fabs(d)), 2e-6) << "output " << k;
            if (std::fabs(d) > 17.0)
                ASSERT_EQ(out[k], 0.0) << "output " << k;
        }
    }
}

TEST_F(ResamplerTest, LengthsDirectCurrentAndRefusedFactors)
{
    const struct
    {
        double factor;
        size_t inLength, outLength;
    } cases[] = { { 0.5, 1000, 500 }, { 0.25, 1000, 250 }, { 2.0, 1000, 2000 }, { 48000.0 / 44100, 1000, 1089 },
                  { 48000.0 / 44100, 1024, 1115 }, { 1.0 / 12, 3000, 250 }, { 4.0, 300, 1200 } };
    for (const auto& c : cases)
    {
        const Signal out = resampleAll(Signal(c.inLength, 1.0), c.factor);
        ASSERT_EQ(out.size(), c.outLength) << c.factor;
        // Direct current stays put once the filter no longer reaches the zeros around the signal.
        const size_t margin = size_t(std::ceil(20 * std::max(c.factor, 1.0)));
        for (size_t k = margin; k + margin < out.size(); ++k)
            ASSERT_NEAR(out[k], 1.0, 1e-3) << c.factor << " output " << k;
    }

    const Signal in(100, 1.0);
    Signal out(2000);
    for (double factor : { 13.0, 0.05, 12.0001, std::nan("") })
    {
        int used = 0;
        EXPECT_EQ(resampler.process(in.data(), 100, 1, &used, out.data(), 2000, factor), -1) << factor;
        EXPECT_EQ(used, 0);
    }
}

TEST_F(ResamplerTest, OutputIsTheSameInAnyBlocksAndResetStartsAfresh)
{
    Signal in(20000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = std::sin(2 * pi * 1234.0 * double(i) / 96000.0);
    const int blockLengths[] = { 700, 1, 4096, 17, 5000, 0, 333 };
    for (double factor : { 0.25, 48000.0 / 44100, 2.0 })
    {
        SCOPED_TRACE(factor);
        const Signal whole = resampleAll(in, factor);
        // Samples beyond the caller's buffer wait for the next call.
        EXPECT_EQ(resampleAll(in, factor, 37), whole);
        EXPECT_EQ(resampleAll(in, factor, 1), whole);

        // Input in blocks of every size, an empty one among them, the last flag on the final call.
        resampler.reset();
        Signal streamed, buffer(60000);
        for (size_t start = 0, block = 0; start < in.size(); ++block)
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
        ASSERT_EQ(streamed.size(), whole.size());
        for (size_t k = 0; k < whole.size(); ++k)
            ASSERT_NEAR(streamed[k], whole[k], 1e-9) << "sample " << k;

        // A signal left half-delivered must not leak into the next one.
        int used = 0;
        resampler.reset();
        EXPECT_EQ(resampler.process(in.data(), 9000, 1, &used, buffer.data(), 10, factor), 10);
        EXPECT_EQ(resampleAll(in, factor), whole);
    }
}

TEST(ResamplerBessel, MatchesTabulatedValues)
{
    const std::pair<double, double> table[] = { { 0.0, 1.0 }, { -2.0, 2.279585302 }, { 6.0, 67.23440698 }, { 10.0, 2815.716628 } };
    for (const auto& [x, i0] : table)
        EXPECT_NEAR(Resampler::besselI0(x), i0, i0 * 2e-7) << x;
}
