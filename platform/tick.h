#pragma once

#include <cstdint>

namespace platform {

// Milliseconds from the steady clock, wrapping at 2^32; differences are taken unsigned.
std::uint32_t TickCount();

void SleepMs(std::uint32_t milliseconds);

}  // namespace platform
