#pragma once

#include <cstdint>

// The reader keeps the 10 most significant bits of every sample and clears the low 22.
inline constexpr std::uint32_t g_nSampleMask = 0xFFC00000u;

// Frames per block read from the source; a whole block must fit into the ring before it is read.
inline constexpr std::uint32_t kReaderBlockFrames = 4096;
