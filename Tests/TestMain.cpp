#include "Timing.h"

#include <gtest/gtest.h>

// Every wait of the device side runs at a fiftieth of its real length in tests, so
// time-outs are exercised through the same code paths without waiting them out.
int main(int argc, char** argv)
{
    Tonecrest::Timing::setScale(0.02);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
