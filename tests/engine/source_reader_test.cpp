#include "engine/source_reader.h"

#include "engine/batch_state.h"
#include "support/recording_batch_state.h"
#include "support/ring_drain.h"
#include "support/wav_fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <sndfile.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

class SourceReader : public testing::Test {
protected:
    SourceReader()
    {
        CreateSampleRings();
        m_state.m_bRunning.Set(true);
    }
    ~SourceReader() override { DestroySampleRings(); }

    QString PathOf(const QString& name) const { return m_dir.filePath(name); }

    int Decode(const QString& path)
    {
        m_task.m_strSource = path;
        return m_task.Decode();
    }

    std::vector<int> RingContents() const
    {
        std::vector<int> samples(g_pReaderRing->Available(0));
        g_pReaderRing->Read(samples.data(), static_cast<std::uint32_t>(samples.size()), 0);
        return samples;
    }

    QTemporaryDir m_dir;
    CRecordingBatchState m_state;
    CConversionTask m_task;
};

struct ScalingCase {
    const char* name;
    int format;
    std::vector<int> written;      // full-scale 32-bit input, used by integer formats
    std::vector<double> writtenFloat;  // used by float formats
    std::vector<int> expected;     // what the ring receives
};

class SourceReaderScaling : public SourceReader, public testing::WithParamInterface<ScalingCase> {};

TEST_P(SourceReaderScaling, FillsTheRingWithMaskedFullScaleSamples)
{
    const ScalingCase& c = GetParam();
    const QString path = PathOf(QStringLiteral("in.wav"));
    if (c.writtenFloat.empty())
        WriteSoundFile(path, c.format, 1, 44100, c.written);
    else
        WriteSoundFile(path, c.format, 1, 44100, c.writtenFloat);

    EXPECT_EQ(Decode(path), 1);
    EXPECT_EQ(RingContents(), c.expected);
    EXPECT_TRUE(m_state.LogLines().empty());
}

constexpr int kMaskedMax = 0x7FC00000;
constexpr int kMin = -2147483647 - 1;

INSTANTIATE_TEST_SUITE_P(
    Formats, SourceReaderScaling,
    testing::Values(
        // One step above zero in 16 bits is 65536 before the mask and nothing after it.
        ScalingCase{"pcm16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, {1 << 16, 0x7FFF << 16, kMin, -(1 << 16)}, {},
                    {0, kMaskedMax, kMin, static_cast<int>(0xFFC00000)}},
        ScalingCase{"pcm8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, {0x7F << 24, kMin, 0x40 << 24}, {},
                    {0x7F000000, kMin, 0x40000000}},
        ScalingCase{"pcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, {0x7FFFFF << 8, 0x123456 << 8, kMin}, {},
                    {kMaskedMax, 0x12000000, kMin}},
        ScalingCase{"pcm32", SF_FORMAT_WAV | SF_FORMAT_PCM_32, {0x7FFFFFFF, 0x003FFFFF, 0x00400000}, {},
                    {kMaskedMax, 0, 0x00400000}},
        ScalingCase{"extensible", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, {0x7FFF << 16, 0x1234 << 16}, {},
                    {kMaskedMax, 0x12000000}},
        // Within full scale a float source passes unchanged; a peak of exactly 1.0 still takes the
        // peak path, which maps +1.0 to the largest sample.
        ScalingCase{"float_peak_one", SF_FORMAT_WAV | SF_FORMAT_FLOAT, {}, {1.0, -1.0, 0.5},
                    {kMaskedMax, kMin, 0x40000000}},
        ScalingCase{"float_within_scale", SF_FORMAT_WAV | SF_FORMAT_FLOAT, {}, {0.5, -0.25, 0.0},
                    {0x40000000, -0x20000000, 0}},
        // Louder than full scale: everything is divided by the peak.
        ScalingCase{"float_peak_two", SF_FORMAT_WAV | SF_FORMAT_FLOAT, {}, {2.0, -1.0, 0.5, -2.0},
                    {kMaskedMax, -0x40000000, 0x20000000, kMin}},
        ScalingCase{"double_peak_four", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, {}, {4.0, 1.0, -3.0},
                    {kMaskedMax, 0x20000000, -0x60000000}}),
    [](const testing::TestParamInfo<ScalingCase>& row) { return std::string(row.param.name); });

TEST_F(SourceReader, CompandedFormatsDecodeCloseToTheirInputWithTheLowBitsMasked)
{
    for (const int subtype : {SF_FORMAT_ALAW, SF_FORMAT_ULAW}) {
        const QString path = PathOf(QStringLiteral("companded.wav"));
        WriteSoundFile(path, SF_FORMAT_WAV | subtype, 1, 8000, std::vector<int>{0x40000000, -0x20000000});
        ASSERT_EQ(Decode(path), 1);
        const std::vector<int> samples = RingContents();
        ASSERT_EQ(samples.size(), 2u);
        EXPECT_NEAR(samples[0], 0x40000000, 0x02000000) << subtype;
        EXPECT_NEAR(samples[1], -0x20000000, 0x01000000) << subtype;
        for (const int sample : samples)
            EXPECT_EQ(static_cast<std::uint32_t>(sample) & ~g_nSampleMask, 0u);
    }
}

TEST_F(SourceReader, MultichannelFramesStayInterleaved)
{
    const QString path = PathOf(QStringLiteral("six.wav"));
    std::vector<int> frame;
    for (int ch = 0; ch < 6; ++ch)
        frame.push_back((ch + 1) << 24);
    WriteSoundFile(path, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 6, 48000, frame);
    ASSERT_EQ(Decode(path), 1);
    EXPECT_EQ(RingContents(), frame);
}

struct LengthCase {
    int frames;
    int channels;
};

class SourceReaderLength : public SourceReader, public testing::WithParamInterface<LengthCase> {};

// Whole blocks, a block and a bit, an exact multiple that ends on an empty read, and an empty file.
TEST_P(SourceReaderLength, EverySampleArrivesOnce)
{
    const auto [frames, channels] = GetParam();
    std::vector<int> written(static_cast<std::size_t>(frames) * channels);
    for (std::size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<int>((i % 1000) << 22);
    const QString path = PathOf(QStringLiteral("len.wav"));
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, channels, 8000, written);

    EXPECT_EQ(Decode(path), 1);
    EXPECT_EQ(RingContents(), written);
}

INSTANTIATE_TEST_SUITE_P(Blocks, SourceReaderLength,
                         testing::Values(LengthCase{0, 2}, LengthCase{1, 1}, LengthCase{4097, 2},
                                         LengthCase{8192, 2}, LengthCase{10000, 3}));

// 300 channels of 4096 frames are more than the ring holds; the reader must shrink its blocks rather
// than wait forever for space that never comes.
TEST_F(SourceReader, SourceWhoseBlockExceedsTheRingStillDecodesCompletely)
{
    constexpr int kChannels = 300;
    constexpr int kFrames = 9000;
    std::vector<int> written(static_cast<std::size_t>(kFrames) * kChannels);
    for (std::size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<int>((i % 997) << 22);
    const QString path = PathOf(QStringLiteral("wide.wav"));
    WriteSoundFile(path, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, kChannels, 8000, written);

    CRingDrain drain(*g_pReaderRing);
    EXPECT_EQ(Decode(path), 1);
    EXPECT_EQ(drain.Finish(), written);
}

TEST_F(SourceReader, TruncatedFileAndLyingHeaderEndWithTheDataThatIsThere)
{
    const QString path = PathOf(QStringLiteral("cut.wav"));
    std::vector<int> written(20000);
    for (std::size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<int>((i % 500) << 22);
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 8000, written);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype dataTag = bytes.indexOf("data");
    ASSERT_GT(dataTag, 0);
    const qsizetype headerSize = dataTag + 8;
    constexpr qsizetype kKeptFrames = 12345;
    bytes.truncate(headerSize + kKeptFrames * 2);
    // The data chunk still claims far more than the file holds.
    bytes[dataTag + 4] = '\xF0';
    bytes[dataTag + 5] = '\xFF';
    bytes[dataTag + 6] = '\xFF';
    bytes[dataTag + 7] = '\x7F';
    file.resize(0);
    file.seek(0);
    file.write(bytes);
    file.close();

    EXPECT_EQ(Decode(path), 1);
    const std::vector<int> samples = RingContents();
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(kKeptFrames));
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), written.begin()));
}

TEST_F(SourceReader, SourceThatCannotBeOpenedPostsTheErrorLine)
{
    const QString garbage = PathOf(QStringLiteral("not audio.wav"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a wave file at all");
    file.close();
    const QString missing = PathOf(QStringLiteral("missing.wav"));

    EXPECT_EQ(Decode(missing), 0);
    EXPECT_EQ(Decode(garbage), 0);
    const std::vector<CRecordingBatchState::LogLine> expected{
        {QStringLiteral("Error : could not open file : ") + missing, 2},
        {QStringLiteral("Error : could not open file : ") + garbage, 2}};
    EXPECT_EQ(m_state.LogLines(), expected);
    EXPECT_EQ(g_pReaderRing->Available(0), 0u);
}

TEST_F(SourceReader, NonAsciiPathDecodes)
{
    const QString path = PathOf(QStringLiteral("Ünïcødé 'song' \"1\".wav"));
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 8000, std::vector<int>{1 << 30});
    EXPECT_EQ(Decode(path), 1);
    EXPECT_EQ(RingContents(), std::vector<int>{1 << 30});
}

// With the ring full and nobody draining it, only a stop ends the wait for space.
TEST_F(SourceReader, StopWhileWaitingForSpaceEndsTheDecode)
{
    const QString path = PathOf(QStringLiteral("long.wav"));
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 8000, std::vector<int>(2 * 800000, 1 << 28));
    std::thread stopper([this] {
        while (g_pReaderRing->FreeSpace() >= 2 * kReaderBlockFrames)
            std::this_thread::yield();
        m_state.m_bRunning.Set(false);
    });
    EXPECT_EQ(Decode(path), 1);
    stopper.join();
    EXPECT_LT(g_pReaderRing->FreeSpace(), 2 * kReaderBlockFrames);
    EXPECT_TRUE(m_state.LogLines().empty());
}

}  // namespace
