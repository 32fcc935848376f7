#include "support/ring_drain.h"

CRingDrain::CRingDrain(SampleRing& ring) : m_ring(ring)
{
    m_thread = std::thread([this] {
        std::vector<int> block(65536);
        for (;;) {
            const bool stopping = m_bStop.load(std::memory_order_acquire);
            const std::uint32_t n = m_ring.Read(block.data(), std::min<std::uint32_t>(m_ring.Available(0), 65536), 0);
            m_samples.insert(m_samples.end(), block.begin(), block.begin() + n);
            if (n == 0 && stopping)
                return;
            if (n == 0)
                std::this_thread::yield();
        }
    });
}

CRingDrain::~CRingDrain()
{
    if (m_thread.joinable())
        Finish();
}

std::vector<int> CRingDrain::Finish()
{
    m_bStop.store(true, std::memory_order_release);
    m_thread.join();
    return std::move(m_samples);
}
