#include "support/wav_fixture.h"

#include "platform/native_path.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

template <typename Sample, typename WriteFn>
void Write(const QString& path, int format, int channels, int rate, const std::vector<Sample>& samples, WriteFn write)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* file = sf_open(platform::NarrowPath(path).constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    // Keep values beyond full scale as they are: some tests need float files louder than 1.0.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    EXPECT_EQ(write(file, samples.data(), static_cast<sf_count_t>(samples.size())),
              static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

}  // namespace

void WriteSoundFile(const QString& path, int format, int channels, int rate, const std::vector<int>& samples)
{
    Write(path, format, channels, rate, samples, sf_write_int);
}

void WriteSoundFile(const QString& path, int format, int channels, int rate, const std::vector<double>& samples)
{
    Write(path, format, channels, rate, samples, sf_write_double);
}

void WriteToneFile(const QString& path, int rate, const std::vector<Tone>& channels, double seconds)
{
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<double> samples(frames * channels.size());
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (std::size_t ch = 0; ch < channels.size(); ++ch) {
            const double phase = 2 * std::numbers::pi * channels[ch].hz * static_cast<double>(frame) / rate;
            samples[frame * channels.size() + ch] = channels[ch].amplitude * std::sin(phase);
        }
    }
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, static_cast<int>(channels.size()), rate, samples);
}
