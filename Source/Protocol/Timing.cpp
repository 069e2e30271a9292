#include "Timing.h"

#include <atomic>
#include <cmath>

namespace Tonecrest::Timing
{
namespace
{
std::atomic<double> gScale { 1.0 };
}

void setScale(double newScale)
{
    gScale.store(newScale > 0.0 ? newScale : 1.0);
}

double scale()
{
    return gScale.load();
}

int scaled(int ms)
{
    if (ms <= 0)
        return ms;
    double value = std::ceil(ms * gScale.load());
    return value < 1.0 ? 1 : static_cast<int>(value);
}

} // namespace Tonecrest::Timing
