#pragma once

#include <vector>

namespace Tonecrest
{

/** Converts a stream of samples from one rate to another by band-limited interpolation: a
    Kaiser-windowed sinc low-pass (cut-off at 0.9 of the lower rate's Nyquist frequency) kept as
    one wing of its impulse response, finely sampled, with a table of first differences to
    interpolate between entries. Output sample k sits at input position k / factor: there is no
    leading delay, the history before the first sample being zero.

    Not thread-safe: one object per thread. Construction builds the tables once; reset() before
    every new signal lets one object serve many. */
class Resampler
{
public:
    /** nmult: zero crossings spanned by the filter (odd, at least 3); interpolate: non-zero to
        interpolate between table entries; 0 < minFactor <= maxFactor: the factors process()
        accepts; npc: table entries per zero crossing (at least 1). */
    Resampler(int nmult, int interpolate, double minFactor, double maxFactor, double npc);
    virtual ~Resampler();

    /** Clears the history and any output still waiting, keeping the tables. */
    void reset();

    /** factor = output rate / input rate. Consumes input from in[*inUsed] on and advances
        *inUsed; writes at most outLen samples to out and returns how many; -1 (nothing
        consumed) when factor lies outside [minFactor, maxFactor]. Samples produced beyond
        outLen wait here and come first in the next call. With lastFlag non-zero, once all
        input is consumed the signal is flushed with zeros so that its tail comes out too. */
    int process(const double* in, int inLen, int lastFlag, int* inUsed, double* out, int outLen, double factor);

    /** Modified Bessel function of the first kind, order 0 (Abramowitz and Stegun 9.8.1 and
        9.8.2; relative error below 2e-7). */
    static double besselI0(double x);

    int getFilterLength() const { return nwing; }
    const double* getFilter() const { return imp.data(); }
    const double* getFilterDifferences() const { return impD.data(); }
    int getHistoryLength() const { return xOff; }
    int getInputBufferLength() const { return xSize; }
    int getOutputBufferLength() const { return ySize; }

private:
    int moveOutput(double* out, int room);
    int upsample(double factor, double lpScale, int nx);
    int downsample(double factor, double lpScale, int nx);
    double upsampleWing(double phase, int first, int direction, int tableEnd) const;
    double downsampleWing(double position, double dh, int first, int direction, int tableEnd) const;

    double npc;
    int interpolate;
    double minFactor;
    double maxFactor;
    double time = 0.0;
    int nwing = 0;
    std::vector<double> imp;
    std::vector<double> impD;
    std::vector<double> x;
    std::vector<double> y;
    int xSize = 0;
    int xRead = 0;
    int xOff = 0;
    int ySize = 0;
    int yCount = 0;
};

} // namespace Tonecrest
