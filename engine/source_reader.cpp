#include "engine/source_reader.h"

#include "engine/batch_state.h"
#include "engine/conversion_task.h"
#include "platform/native_path.h"
#include "platform/tick.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFileHandle = std::unique_ptr<SNDFILE, SndFileCloser>;

// Full scale (+-1.0) to a 32-bit sample, rounding ties to even and saturating; NaN becomes silence.
int SampleFromDouble(double value)
{
    const double scaled = value * 2147483648.0;
    if (scaled >= 2147483647.0)
        return 2147483647;
    if (!(scaled >= -2147483648.0))
        return scaled < 0 ? -2147483647 - 1 : 0;
    return static_cast<int>(std::nearbyint(scaled));
}

bool IsFloatSubtype(int format)
{
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

}  // namespace

int CConversionTask::Decode()
{
    SF_INFO info{};
    const SndFileHandle file(sf_open(platform::NarrowPath(m_strSource).constData(), SFM_READ, &info));
    const auto channels = static_cast<std::uint32_t>(std::max(info.channels, 0));
    // Sources with very many channels take smaller blocks, so that a whole block still fits the ring.
    const std::uint32_t framesPerBlock =
        channels == 0 ? 0 : std::min(kReaderBlockFrames, (g_pReaderRing->Capacity() - 1) / channels);
    if (!file || framesPerBlock == 0) {
        g_pConvProg->PostLog(QStringLiteral("Error : could not open file : %1").arg(m_strSource), kLogError);
        return 0;
    }
    const std::uint32_t chunk = channels * framesPerBlock;

    const bool floatSource = IsFloatSubtype(info.format);
    std::vector<double> doubles;
    double peak = 0.0;
    if (floatSource) {
        doubles.resize(chunk);
        sf_command(file.get(), SFC_CALC_SIGNAL_MAX, &peak, sizeof(peak));
        // Louder than full scale: read the raw values and bring the peak down to full scale below.
        if (peak >= 1.0)
            sf_command(file.get(), SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    }
    std::vector<int> samples(chunk);

    while (g_pConvProg->IsRunning()) {
        if (g_pReaderRing->FreeSpace() < chunk) {
            platform::SleepMs(1);
            continue;
        }
        // Decode straight into the ring where the block fits without wrapping, as it nearly always does.
        int* direct = g_pReaderRing->ContiguousWriteSpace(chunk);
        int* block = direct ? direct : samples.data();
        sf_count_t frames = 0;
        if (floatSource) {
            frames = sf_readf_double(file.get(), doubles.data(), framesPerBlock);
            const auto count = static_cast<std::size_t>(frames) * channels;
            if (peak >= 1.0)
                std::for_each(doubles.begin(), doubles.begin() + count, [peak](double& v) { v /= peak; });
            std::transform(doubles.begin(), doubles.begin() + count, block, SampleFromDouble);
        } else {
            frames = sf_readf_int(file.get(), block, framesPerBlock);
        }
        const auto count = static_cast<std::uint32_t>(frames) * channels;
        for (std::uint32_t i = 0; i < count; ++i)
            block[i] = static_cast<int>(static_cast<std::uint32_t>(block[i]) & g_nSampleMask);
        if (direct)
            g_pReaderRing->CommitWrite(count);
        else
            g_pReaderRing->Write(block, count);
        // A short read is the end of the file, a truncation or a read error alike.
        if (frames < static_cast<sf_count_t>(framesPerBlock))
            break;
    }
    return 1;
}
