#pragma once

#include "Result.h"

namespace Tonecrest
{

/** Turns an impulse-response file (WAV or AIFF, see AudioFileReader.h) into the sample block of
    a user cabinet: two channels of exactly 1024 single-precision samples at 48000 Hz. Other
    rates are resampled, longer impulses cut at 1024 samples, shorter ones padded with zeros; a
    one-channel file fills both channels.

    Stateless and free of locks: any thread may call it. The edit page calls it on the message
    thread for every imported file that is not a cabinet data file. */
class UserCabinetImporter
{
public:
    static constexpr int channelSamples = 1024;
    static constexpr int cabinetRate = 48000;

    /** out: 2048 floats, the left channel in out[0..1023], the right in out[1024..2047] (the
        layout of TonecrestData::Cabinet::samples). On failure, whatever the reason, the result
        is "Error loading impulse file" (logged) and out holds a unit impulse per channel. */
    static Result importUserCabinet(const char* path, float* out);

    /** Does the work of importUserCabinet: left and right each receive 1024 samples. On
        failure both hold a unit impulse (1.0 at index 0, zeros after) and false comes back. */
    static bool loadImpulseResponse(const char* path, float* left, float* right);

    /** Half Kaiser window: I0(beta * sqrt(1 - (n / (N - 1))^2)) / I0(beta) for 0 <= n < N, 0
        outside; 1.0 at n = 0 falling to 1 / I0(beta) at n = N - 1. Imported impulses are not
        faded: at 1024 points this window would reshape the body of the impulse, not just
        smooth the cut, and so change the cabinet's sound. */
    static double kaiserWindow(int n, int N, double beta);

    /** Modified Bessel function of the first kind, order 0 (the resampler's approximation). */
    static double besselI0(double x);
};

} // namespace Tonecrest
