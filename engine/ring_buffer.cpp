#include "engine/ring_buffer.h"

SampleRing* g_pReaderRing = nullptr;
SampleRing* g_pEffectsRing = nullptr;

void CreateSampleRings()
{
    g_pReaderRing = new SampleRing(kSampleRingSize);
    g_pEffectsRing = new SampleRing(kSampleRingSize);
}

void DestroySampleRings()
{
    delete g_pEffectsRing;
    g_pEffectsRing = nullptr;
    delete g_pReaderRing;
    g_pReaderRing = nullptr;
}
