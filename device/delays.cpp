#include "device/delays.h"

#include <atomic>

namespace delays {
namespace {
std::atomic<int> divisor{1};
}

int ms(int shippedMs)
{
    return shippedMs / divisor.load(std::memory_order_relaxed);
}

void setTestDivisor(int value)
{
    divisor.store(value > 0 ? value : 1, std::memory_order_relaxed);
}

} // namespace delays
