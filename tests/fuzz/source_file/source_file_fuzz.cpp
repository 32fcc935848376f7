// Arbitrary bytes as a .wav file added to the list: probed and shown as the list shows a row, turned into
// a conversion task when the row is valid, and decoded into the reader ring while the ring is drained.
#include "fuzz_support.h"

#include "batch/source_probe.h"
#include "batch/task_builder.h"
#include "engine/batch_state.h"
#include "engine/source_reader.h"
#include "filelist/file_item.h"
#include "settings/encoder_settings.h"
#include "support/recording_batch_state.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Empties the reader ring on its own thread, as the effects stage would, checking every sample on the way.
class CCheckingDrain {
public:
    explicit CCheckingDrain(SampleRing& ring)
        : m_ring(ring), m_thread([this] { Run(); })
    {
    }

    // Stops once the ring is empty; the number of samples that came through.
    std::uint64_t Finish()
    {
        m_bStop.store(true, std::memory_order_release);
        m_thread.join();
        return m_nSamples;
    }

private:
    void Run()
    {
        std::vector<int> block(65536);
        for (;;) {
            const bool stopping = m_bStop.load(std::memory_order_acquire);
            const std::uint32_t n = m_ring.Read(block.data(), std::min<std::uint32_t>(m_ring.Available(0), 65536), 0);
            for (std::uint32_t i = 0; i < n; ++i)
                FUZZ_CHECK((static_cast<std::uint32_t>(block[i]) & ~g_nSampleMask) == 0);
            m_nSamples += n;
            if (n == 0 && stopping)
                return;
            if (n == 0)
                std::this_thread::yield();
        }
    }

    SampleRing& m_ring;
    std::atomic<bool> m_bStop{false};
    std::uint64_t m_nSamples = 0;
    std::thread m_thread;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzScratchDir();
    CreateSampleRings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString fileName = QStringLiteral("input.wav");
    const QString path = FuzzScratchDir() + u'/' + fileName;
    WriteInputFile(path, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    // The row's facts and texts, with the checks the list makes before it calls a row valid.
    FileItemInfo info;
    info.m_nType = FileTypeOf(fileName);
    FUZZ_CHECK(info.m_nType == kFileTypeWav);
    FUZZ_CHECK(CanOpenForReading(path) == 0);
    info.m_dSizeMB = static_cast<double>(size) / 1048576.0;
    const bool opened = ProbeAudioHeader(path, info);
    const bool valid = opened && info.m_nChannels != 0 && info.m_nSampleRate != 0 && info.m_nSamples != 0;
    if (valid) {
        FUZZ_CHECK(info.m_nSamples % info.m_nChannels == 0);
        FUZZ_CHECK(info.m_dDuration >= 0);
        FUZZ_CHECK(!DurationText(info.m_dDuration).isEmpty());
        FUZZ_CHECK(!ChannelText(info.m_nChannels).isEmpty());
        FUZZ_CHECK(!TotalsText(1, info.m_dSizeMB, info.m_dDuration).isEmpty());

        g_encoderSettings = EncoderSettings{};
        const CConversionTask task = BuildConversionTask(path, fileName, info);
        FUZZ_CHECK(task.m_nTargetChannels == 1 || task.m_nTargetChannels == 2);
        FUZZ_CHECK(task.m_nTotalSamples % task.m_nTargetChannels == 0);
        FUZZ_CHECK(task.m_strDest.endsWith(QStringLiteral("input.mp3")));
    }

    // The decode runs whatever the probe said: it must end, and it must fail exactly where the probe did.
    CRecordingBatchState state;
    state.m_bRunning.Set(true);
    g_pReaderRing->Reset();
    CConversionTask task;
    task.m_strSource = path;
    CCheckingDrain drain(*g_pReaderRing);
    const int decoded = task.Decode();
    const std::uint64_t samples = drain.Finish();
    FUZZ_CHECK(decoded == (opened ? 1 : 0));
    FUZZ_CHECK(state.LogLines().size() == (opened ? 0u : 1u));
    if (opened) {
        // Whole frames only, and never more than the header announced.
        FUZZ_CHECK(info.m_nChannels != 0);
        FUZZ_CHECK(samples % info.m_nChannels == 0);
        FUZZ_CHECK(samples <= info.m_nSamples);
    } else {
        FUZZ_CHECK(samples == 0);
    }
    return 0;
}
