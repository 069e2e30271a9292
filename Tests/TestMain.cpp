#include "Timing.h"

#include <gtest/gtest.h>

// Every wait of the device side runs at a fiftieth of its real length in tests, so
// time-outs are exercised through the same code paths without waiting them out. The whole
// application runs its message loop, poll timer and displays besides: it gets a tenth, so a
// busy machine cannot run its pedal's re-enumeration past a shortened time-out.
#ifndef TONECREST_TEST_TIMING_SCALE
#define TONECREST_TEST_TIMING_SCALE 0.02
#endif

int main(int argc, char** argv)
{
    Tonecrest::Timing::setScale(TONECREST_TEST_TIMING_SCALE);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
