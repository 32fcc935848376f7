#include "engine/mp3_encoder.h"

#include "engine/batch_state.h"
#include "engine/conversion_task.h"
#include "lame_enc/lame_enc.h"
#include "platform/native_path.h"
#include "platform/shared_module.h"
#include "platform/tick.h"
#include "settings/encoder_settings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::string& EncoderModuleName()
{
    static std::string name = kEncoderModuleName;
    return name;
}

struct LameEntries {
    BEINITSTREAM beInitStream = nullptr;
    BEENCODECHUNKFLOATS16NI beEncodeChunkFloatS16NI = nullptr;
    BEDEINITSTREAM beDeinitStream = nullptr;
    BECLOSESTREAM beCloseStream = nullptr;
    BEWRITEVBRHEADER beWriteVBRHeader = nullptr;
    BEWRITEINFOTAG beWriteInfoTag = nullptr;  // optional

    bool HasRequired() const
    {
        return beInitStream && beEncodeChunkFloatS16NI && beDeinitStream && beCloseStream && beWriteVBRHeader;
    }
};

template <typename Entry>
void Resolve(void* module, const char* name, Entry& entry)
{
    entry = reinterpret_cast<Entry>(platform::ModuleEntry(module, name));
}

LameEntries ResolveEntries(void* module)
{
    LameEntries entries;
    Resolve(module, "beInitStream", entries.beInitStream);
    Resolve(module, "beEncodeChunkFloatS16NI", entries.beEncodeChunkFloatS16NI);
    Resolve(module, "beDeinitStream", entries.beDeinitStream);
    Resolve(module, "beCloseStream", entries.beCloseStream);
    Resolve(module, "beWriteVBRHeader", entries.beWriteVBRHeader);
    Resolve(module, "beWriteInfoTag", entries.beWriteInfoTag);
    return entries;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Readable as well as writable, because the tag is written back into the closed file; created
// exclusively, because an existing file is never overwritten, even one that appeared a moment ago.
File CreateOutputFile(const QString& path)
{
    const int descriptor = ::open(platform::NarrowPath(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return nullptr;
    File file(::fdopen(descriptor, "w+b"));
    if (!file)
        ::close(descriptor);
    return file;
}

void Fail(const QString& line)
{
    g_pConvProg->PostLog(line, kLogError);
    g_pConvProg->m_bRunning.Set(false);
}

float Percent(std::uint64_t done, std::uint64_t total)
{
    // Nothing to do is all done; it keeps the percentage finite.
    return total == 0 ? 100.0f : static_cast<float>(static_cast<long double>(done) * 100 / total);
}

void AddSeconds(std::atomic<float>& counter, float seconds)
{
    counter.store(counter.load(std::memory_order_relaxed) + seconds, std::memory_order_relaxed);
}

}  // namespace

void SetEncoderModuleName(std::string fileName)
{
    EncoderModuleName() = std::move(fileName);
}

float CConversionTask::AudioSeconds(std::uint64_t samples) const
{
    return static_cast<float>(static_cast<long double>(samples) /
                              (static_cast<long double>(m_nTargetChannels) * m_nTargetRate));
}

void CConversionTask::RunEncoder()
{
    m_bEncoding.Set(true);
    try {
        if (m_nOutputType == kOutputTypeMp3)
            EncodeMp3();
    } catch (...) {
        Fail(QStringLiteral("An error occurred while encoding %1").arg(m_strDest));
    }
    m_bEncoding.Set(false);
}

int CConversionTask::EncodeMp3()
{
    CBatchState& batch = *g_pConvProg;
    void* module = platform::LoadModule(EncoderModuleName().c_str());
    if (!module) {
        Fail(QStringLiteral("Error loading lame_enc.dll"));
        batch.PostErrorBox(QStringLiteral("Error Loading Lame_enc.dll"));
        return 0;
    }
    const LameEntries lame = ResolveEntries(module);
    if (!lame.HasRequired()) {
        Fail(QStringLiteral("Unable to get LAME interfaces"));
        batch.PostErrorBox(QStringLiteral("Unable to Get LAME Interfaces"));
        return 0;
    }

    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_LAME;
    config.dwStructVersion = CURRENT_STRUCT_VERSION;
    config.dwStructSize = CURRENT_STRUCT_SIZE;
    config.dwSampleRate = m_nTargetRate;
    config.dwReSampleRate = 0;
    config.nMode = m_nTargetChannels == 1 ? BE_MP3_MODE_MONO : BE_MP3_MODE_STEREO;
    config.dwBitrate = static_cast<std::uint32_t>(BitrateKbps());
    config.nPreset = LQP_NOPRESET;
    config.dwMpegVersion = MPEG1;
    config.bWriteVBRHeader = 1;
    config.bEnableVBR = 0;
    config.bNoRes = 1;
    const auto quality = static_cast<std::uint16_t>(g_encoderSettings.LameQuality);
    config.nQuality = static_cast<std::uint16_t>((255 - quality) * 256 + quality);

    File file = CreateOutputFile(m_strDest);
    if (!file) {
        Fail(QStringLiteral("Error creating file %1").arg(m_strDest));
        return 0;
    }

    std::uint32_t chunkSamples = 0;
    std::uint32_t bufferSize = 0;
    HBE_STREAM stream = 0;
    if (const BE_ERR error = lame.beInitStream(&config, &chunkSamples, &bufferSize, &stream)) {
        Fail(QStringLiteral("Error opening encoding stream (%1)").arg(error));
        lame.beCloseStream(stream);
        return 0;
    }

    const bool stereo = m_nTargetChannels != 1;
    std::vector<std::uint8_t> mp3(bufferSize);
    std::vector<int> samples(chunkSamples);
    std::vector<float> left(stereo ? chunkSamples / 2 : chunkSamples);
    std::vector<float> right(stereo ? chunkSamples / 2 : 0);
    std::uint32_t chunk = chunkSamples;
    bool streamOpen = true;

    // One line for a file that cannot be written, however many of the later writes fail as well.
    bool bWriteFailed = false;
    const auto writeFailed = [&] {
        if (!bWriteFailed)
            Fail(QStringLiteral("Output file write error"));
        bWriteFailed = true;
    };
    const auto writeAll = [&](std::uint32_t bytes) {
        if (bytes > 0 && std::fwrite(mp3.data(), 1, bytes, file.get()) != bytes)
            writeFailed();
    };
    const auto currentPercents = [&] {
        return std::pair{Percent(batch.m_nFileSamplesDone.load(std::memory_order_relaxed), m_nTotalSamples),
                         Percent(batch.m_nBatchSamplesDone.load(std::memory_order_relaxed), batch.m_nBatchSamplesTotal)};
    };

    std::uint32_t lastReport = platform::TickCount();
    while (batch.IsRunning()) {
        if (batch.m_bPaused.IsSet()) {
            platform::SleepMs(100);
            continue;
        }
        const std::uint32_t now = platform::TickCount();
        if (now - 100 > lastReport) {
            lastReport = now;
            const auto [filePercent, batchPercent] = currentPercents();
            ReportProgress(filePercent, batchPercent, 0);
        }
        // The upstream flags are read before the ring, so the last samples written before they
        // were cleared are always seen.
        const bool upstreamRunning = m_bDecoding.IsSet() || m_bProcessing.IsSet();
        std::uint32_t count = m_pRing->Available(0);
        if (count >= chunk) {
            count = chunk;
        } else if (upstreamRunning) {
            platform::SleepMs(1);
            continue;
        } else {
            chunk = 0;  // the last piece
        }
        m_pRing->Read(samples.data(), count, 0);
        std::uint32_t perChannel = count;
        if (stereo) {
            perChannel = count / 2;
            for (std::uint32_t i = 0; i < perChannel; ++i) {
                left[i] = static_cast<float>(samples[2 * i]) * (1.0f / 65536.0f);
                right[i] = static_cast<float>(samples[2 * i + 1]) * (1.0f / 65536.0f);
            }
        } else {
            for (std::uint32_t i = 0; i < count; ++i)
                left[i] = static_cast<float>(samples[i]) * (1.0f / 65536.0f);
        }
        std::uint32_t produced = 0;
        if (const BE_ERR error = lame.beEncodeChunkFloatS16NI(stream, perChannel, left.data(),
                                                              stereo ? right.data() : nullptr, mp3.data(), &produced)) {
            lame.beCloseStream(stream);
            streamOpen = false;
            Fail(QStringLiteral("beEncodeChunk() failed (%1)").arg(error));
            break;
        }
        writeAll(produced);
        batch.m_nFileSamplesDone.fetch_add(count, std::memory_order_relaxed);
        batch.m_nBatchSamplesDone.fetch_add(count, std::memory_order_relaxed);
        AddSeconds(batch.m_fBatchSecondsDone, AudioSeconds(count));
        AddSeconds(batch.m_fFileSecondsDone, AudioSeconds(count));
        if (chunk == 0)
            break;
    }

    // Also after a cancel or a failure: the partial file is flushed, closed and tagged.
    if (streamOpen) {
        std::uint32_t produced = 0;
        if (const BE_ERR error = lame.beDeinitStream(stream, mp3.data(), &produced)) {
            lame.beCloseStream(stream);
            Fail(QStringLiteral("beExitStream failed (%1)").arg(error));
        } else {
            writeAll(produced);
            lame.beCloseStream(stream);
        }
    }
    // The last buffered bytes reach the disk only now: a full disk shows here and nowhere else.
    if (std::fclose(file.release()) != 0)
        writeFailed();
    const QByteArray narrowDest = platform::NarrowPath(m_strDest);
    if (lame.beWriteInfoTag)
        lame.beWriteInfoTag(stream, narrowDest.constData());
    else
        lame.beWriteVBRHeader(narrowDest.constData());
    const auto [filePercent, batchPercent] = currentPercents();
    ReportProgress(filePercent, batchPercent, 1);
    return 1;
}
