#pragma once

#include "engine/ring_buffer.h"

#include <atomic>
#include <thread>
#include <vector>

// A consumer thread that empties a ring into a vector until stopped, so that producers of more data
// than the ring holds can run to their end.
class CRingDrain {
public:
    explicit CRingDrain(SampleRing& ring);
    ~CRingDrain();

    // Stops after the ring is empty and returns everything that came through.
    std::vector<int> Finish();

private:
    SampleRing& m_ring;
    std::vector<int> m_samples;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};
