#include "Resampler.h"

#include <algorithm>
#include <cmath>

namespace Tonecrest
{
namespace
{

constexpr double pi = 3.14159265358979323846;

/** Cut-off as a fraction of the lower rate's Nyquist frequency, and the Kaiser window's beta. */
constexpr double rolloff = 0.9;
constexpr double kaiserBeta = 6.0;

/** The input buffer's usual length; long filters get room for twice their history. */
constexpr int defaultInputBufferLength = 4096;

int historyFor(int nmult, double factor)
{
    return int((nmult + 1) / 2.0 * std::max(1.0, 1.0 / factor) + 10);
}

} // namespace

double Resampler::besselI0(double x)
{
    const double ax = std::fabs(x);
    if (ax < 3.75)
    {
        const double t = (x / 3.75) * (x / 3.75);
        return 1.0 + t * (3.5156229 + t * (3.0899424 + t * (1.2067492 + t * (0.2659732 + t * (0.0360768 + t * 0.0045813)))));
    }
    const double t = 3.75 / ax;
    const double polynomial =
        0.39894228
        + t * (0.01328592
               + t * (0.00225319
                      + t * (-0.00157565
                             + t * (0.00916281 + t * (-0.02057706 + t * (0.02635537 + t * (-0.01647633 + t * 0.00392377)))))));
    return std::exp(ax) / std::sqrt(ax) * polynomial;
}

Resampler::Resampler(int nmult, int interpolate_, double minFactor_, double maxFactor_, double npc_)
    : npc(npc_), interpolate(interpolate_), minFactor(minFactor_), maxFactor(maxFactor_)
{
    nwing = int((nmult - 1) * npc * 0.5);
    imp.resize(size_t(std::max(nwing, 1)));
    impD.resize(imp.size());

    const double windowScale = 1.0 / besselI0(kaiserBeta);
    const double lastIndex = nwing > 1 ? double(nwing - 1) : 1.0;
    for (int i = 0; i < nwing; ++i)
    {
        const double ratio = i / lastIndex;
        const double window = besselI0(kaiserBeta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) * windowScale;
        if (i == 0)
        {
            imp[0] = rolloff * window;
        }
        else
        {
            const double t = i * pi / npc;
            imp[size_t(i)] = std::sin(rolloff * t) * window / t;
        }
    }
    for (int i = 0; i + 1 < nwing; ++i)
        impD[size_t(i)] = imp[size_t(i) + 1] - imp[size_t(i)];
    if (nwing > 0)
        impD[size_t(nwing) - 1] = -imp[size_t(nwing) - 1];

    xOff = std::max(historyFor(nmult, minFactor), historyFor(nmult, maxFactor));
    xSize = xOff < 2044 ? defaultInputBufferLength : 2 * xOff + 10;
    x.assign(size_t(xSize + xOff), 0.0);
    ySize = int(maxFactor * xSize + 2.0);
    y.assign(size_t(ySize), 0.0);
    reset();
}

Resampler::~Resampler() = default;

void Resampler::reset()
{
    std::fill(x.begin(), x.begin() + xOff, 0.0);
    xRead = xOff;
    yCount = 0;
    time = xOff;
}

int Resampler::moveOutput(double* out, int room)
{
    const int count = std::min(std::max(room, 0), yCount);
    if (count == 0)
        return 0;
    std::copy(y.begin(), y.begin() + count, out);
    std::copy(y.begin() + count, y.begin() + yCount, y.begin());
    yCount -= count;
    return count;
}

int Resampler::process(const double* in, int inLen, int lastFlag, int* inUsed, double* out, int outLen, double factor)
{
    // Written as a positive test so that a NaN factor is refused too.
    if (!(factor >= minFactor && factor <= maxFactor))
        return -1;

    int written = moveOutput(out, outLen);
    if (yCount > 0)
        return written;

    const double lpScale = std::min(factor, 1.0);
    for (;;)
    {
        const int count = std::min(std::max(inLen - *inUsed, 0), xSize - xRead);
        if (count > 0)
        {
            std::copy(in + *inUsed, in + *inUsed + count, x.begin() + xRead);
            *inUsed += count;
            xRead += count;
        }

        int nx = xRead - 2 * xOff;
        if (lastFlag != 0 && *inUsed >= inLen)
        {
            std::fill(x.begin() + xRead, x.begin() + xRead + xOff, 0.0);
            nx += xOff;
        }
        if (nx < 1)
            break;

        yCount = factor >= 1.0 ? upsample(factor, lpScale, nx) : downsample(factor, lpScale, nx);

        // Drop the input that no later output can reach and keep time relative to the buffer.
        const int creep = std::clamp(int(time) - xOff, 0, xRead);
        time -= creep;
        xRead -= creep;
        std::copy(x.begin() + creep, x.begin() + creep + xRead, x.begin());

        written += moveOutput(out + written, outLen - written);
        if (yCount > 0)
            break;
    }
    return written;
}

double Resampler::upsampleWing(double phase, int first, int direction, int tableEnd) const
{
    const double position = phase * npc;
    int k = int(position);
    const double fraction = interpolate != 0 ? position - k : 0.0;
    const int step = int(npc);
    // At a phase of exactly zero the centre tap belongs to the other wing.
    if (direction > 0 && phase == 0.0)
        k += step;

    double sum = 0.0;
    for (int j = 0; k < tableEnd; ++j, k += step)
        sum += (imp[size_t(k)] + fraction * impD[size_t(k)]) * x[size_t(first + direction * j)];
    return sum;
}

int Resampler::upsample(double factor, double lpScale, int nx)
{
    const double dt = 1.0 / factor;
    const double endTime = time + nx;
    int produced = 0;
    while (time < endTime && produced < ySize)
    {
        const int i = int(time);
        const double f = time - i;
        const double leftWing = upsampleWing(f, i, -1, nwing);
        const double rightWing = upsampleWing(1.0 - f, i + 1, 1, nwing - 1);
        y[size_t(produced++)] = (leftWing + rightWing) * lpScale;
        time += dt;
    }
    return produced;
}

double Resampler::downsampleWing(double position, double dh, int first, int direction, int tableEnd) const
{
    double sum = 0.0;
    for (int j = 0;; ++j)
    {
        const double p = position + j * dh;
        const int k = int(p);
        if (k >= tableEnd)
            break;
        const double fraction = interpolate != 0 ? p - k : 0.0;
        sum += (imp[size_t(k)] + fraction * impD[size_t(k)]) * x[size_t(first + direction * j)];
    }
    return sum;
}

int Resampler::downsample(double factor, double lpScale, int nx)
{
    const double dt = 1.0 / factor;
    const double endTime = time + nx;
    // The filter is stretched to the lower output rate's bandwidth.
    const double dh = std::min(npc, factor * npc);
    int produced = 0;
    while (time < endTime && produced < ySize)
    {
        const int i = int(time);
        const double f = time - i;
        const double leftWing = downsampleWing(f * dh, dh, i, -1, nwing);
        const double rightStart = (1.0 - f) * dh + (f == 1.0 ? dh : 0.0);
        const double rightWing = downsampleWing(rightStart, dh, i + 1, 1, nwing - 1);
        y[size_t(produced++)] = (leftWing + rightWing) * lpScale;
        time += dt;
    }
    return produced;
}

} // namespace Tonecrest
