// Decode of a 10-minute 44.1 kHz stereo 16-bit file into the reader ring, drained by a second thread,
// beside a bare sf_readf_int loop over the same file. Figures are x-realtime, best of three.
#include "engine/batch_state.h"
#include "engine/source_reader.h"
#include "platform/native_path.h"
#include "support/recording_batch_state.h"
#include "support/wav_fixture.h"

#include <QTemporaryDir>

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 600;

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BareLoop(const QString& path)
{
    const auto start = std::chrono::steady_clock::now();
    SF_INFO info{};
    SNDFILE* file = sf_open(platform::NarrowPath(path).constData(), SFM_READ, &info);
    std::vector<int> block(4096 * 2);
    while (sf_readf_int(file, block.data(), 4096) == 4096) {
    }
    sf_close(file);
    return kSeconds / Seconds(start);
}

double DecodeIntoRing(const QString& path)
{
    CRecordingBatchState state;
    state.m_bRunning.Set(true);
    CConversionTask task;
    task.m_strSource = path;
    g_pReaderRing->Reset();
    std::atomic<bool> decoded{false};
    const auto start = std::chrono::steady_clock::now();
    // The consumer throws the samples away, as fast as the ring hands them out.
    std::thread consumer([&decoded] {
        std::vector<int> block(65536);
        for (;;) {
            const bool last = decoded.load(std::memory_order_acquire);
            const std::uint32_t n = g_pReaderRing->Read(block.data(), std::min<std::uint32_t>(g_pReaderRing->Available(0), 65536), 0);
            if (n == 0 && last)
                return;
            if (n == 0)
                std::this_thread::yield();
        }
    });
    task.Decode();
    decoded.store(true, std::memory_order_release);
    consumer.join();
    return kSeconds / Seconds(start);
}

}  // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ten-minutes.wav"));
    std::vector<int> samples(static_cast<std::size_t>(kRate) * kSeconds * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int>(std::sin(static_cast<double>(i / 2) * 0.0627) * 1.5e9);
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, kRate, samples);
    samples = {};

    CreateSampleRings();
    double bare = 0;
    double decode = 0;
    for (int run = 0; run < 3; ++run) {
        bare = std::max(bare, BareLoop(path));
        decode = std::max(decode, DecodeIntoRing(path));
    }
    DestroySampleRings();
    std::printf("bare sf_readf_int loop: %8.1fx realtime\n", bare);
    std::printf("Decode into the ring  : %8.1fx realtime\n", decode);
    std::printf("Decode / bare         : %8.2f (target >= 0.9)\n", decode / bare);
}
