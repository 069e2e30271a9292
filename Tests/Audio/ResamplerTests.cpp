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
        EXPECT_TRUE(count == 0 && used == int(in.size()));
        return out;
    }
};
} // namespace

TEST_F(ResamplerTest, ImpulseComesOutAsTheWindowedSincAtTheLowerRate)
{
    // Output k lies at input position k / factor, with no delay. The filter at d zero crossings
    // from its centre is sin(0.9 pi d) / (pi d) under a Kaiser window (beta 6) ending 69631 / 4096
    // crossings out; below a factor of 1 it is stretched to the output rate and scaled by the factor.
    const std::pair<double, size_t> cases[] = { { 0.125, 125 }, { 0.25, 250 }, { 48000.0 / 88200, 545 }, { 48000.0 / 44100, 1089 },
                                                { 1.0, 1000 }, { 2.0, 2000 }, { 8.0, 8000 } };
    for (const auto& [factor, length] : cases)
    {
        SCOPED_TRACE(factor);
        Signal impulse(1000, 0.0);
        impulse[300] = 1.0;
        const Signal out = resampleAll(impulse, factor);
        ASSERT_EQ(out.size(), length);
        const double scale = std::min(factor, 1.0);
        for (size_t k = 0; k < out.size(); ++k)
        {
            const double d = std::fabs(double(k) / factor - 300.0) * scale, ratio = d * 4096.0 / 69631.0;
            const double window = std::cyl_bessel_i(0.0, 6.0 * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) / std::cyl_bessel_i(0.0, 6.0);
            const double sinc = d == 0.0 ? 0.9 : std::sin(0.9 * pi * d) / (pi * d);
            if (d < 16.99 || d >= 17.0) // the table's last step is left out
            {
                ASSERT_NEAR(out[k], d >= 17.0 ? 0.0 : scale * sinc * window, 2e-6) << "output " << k;
            }
        }
    }
    for (const auto& [x, i0] : { std::pair { 1.0, 1.266065878 }, { -3.0, 4.880792586 }, { 6.0, 67.23440698 } })
        EXPECT_NEAR(Resampler::besselI0(x), i0, i0 * 2e-7) << "tabulated I0 at " << x;
    // The importer's 44.1 kHz case: 1024 frames come out as 1115 samples.
    EXPECT_EQ(resampleAll(Signal(1024, 0.0), 48000.0 / 44100).size(), 1115u);
    for (const auto& [factor, refused] : { std::pair { 13.0, true }, { 0.05, true }, { 12.0001, true }, { std::nan(""), true },
                                           { 12.0, false }, { 1.0 / 12, false } })
    {
        int used = 0;
        resampler.reset();
        EXPECT_EQ(resampler.process(Signal(100, 1.0).data(), 100, 1, &used, Signal(2000).data(), 2000, factor) < 0, refused) << factor;
        EXPECT_EQ(used, refused ? 0 : 100);
    }
}

TEST_F(ResamplerTest, OutputIsTheSameInAnyBlocksAndResetStartsAfresh)
{
    Signal in(20000), buffer(60000);
    const size_t blockLengths[] = { 700, 1, 4096, 17, 5000, 0, 333 };
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = std::sin(2 * pi * 1234.0 * double(i) / 96000.0);
    for (double factor : { 0.25, 48000.0 / 44100, 2.0 })
    {
        SCOPED_TRACE(factor);
        const Signal whole = resampleAll(in, factor);
        // Samples beyond the caller's buffer wait for the next call.
        EXPECT_EQ(resampleAll(in, factor, 37), whole);
        EXPECT_EQ(resampleAll(in, factor, 1), whole);

        // Input in blocks of every size, an empty one among them, the last flag on the final call.
        resampler.reset();
        Signal streamed;
        for (size_t start = 0, block = 0; start < in.size(); ++block)
        {
            const int length = int(std::min(blockLengths[block % 7], in.size() - start));
            int used = 0;
            const int last = start + size_t(length) >= in.size();
            const int count = resampler.process(in.data() + start, length, last, &used, buffer.data(), 60000, factor);
            ASSERT_TRUE(count >= 0 && used == length);
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
