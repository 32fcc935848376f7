#include "batch_fixture.h"
#include "support/mp3_probe.h"

#include <cmath>
#include <numbers>

namespace {

double DbOf(double amplitude)
{
    return 20 * std::log10(amplitude / std::sqrt(2.0));  // RMS of a sine
}

struct ConversionCase {
    const char* name;
    int sourceRate;
    std::vector<Tone> source;  // one tone per channel
    std::int16_t freq;
    std::int16_t channelMode;
    std::int16_t bits;
    int expectedRate;
    int expectedChannels;
    int expectedKbps;
    bool tagged;  // LAME writes no tag where it does not fit into one frame
    std::vector<double> expectedAmplitudes;  // of the 1 kHz tone, per output channel
};

class Conversion : public BatchFixture, public testing::WithParamInterface<ConversionCase> {};

// What a real decoder hears: rate, channels, bit rate, exact length where tagged, and the 1 kHz tone of
// each channel at its level.
TEST_P(Conversion, ProducesTheConfiguredMp3)
{
    const ConversionCase& c = GetParam();
    g_encoderSettings.Freq = c.freq;
    g_encoderSettings.LameChannel = c.channelMode;
    g_encoderSettings.LameBits = c.bits;
    constexpr double kSeconds = 2.0;
    const QString source = Source(QStringLiteral("tone.wav"), c.sourceRate, c.source, kSeconds);

    Run({TaskFor(source)});
    ASSERT_EQ(m_state.DoneCount(), 1) << LogTexts().join(u'\n').toStdString();

    const QString mp3 = OutPath(QStringLiteral("tone.mp3"));
    const DecodedMp3 decoded = DecodeMp3(mp3);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.rate, c.expectedRate);
    EXPECT_EQ(decoded.channels, c.expectedChannels);
    EXPECT_EQ(Mp3BitrateKbps(mp3), c.expectedKbps);
    EXPECT_EQ(HasInfoTag(mp3), c.tagged);
    if (c.tagged) {
        const long long expectedFrames = std::llround(kSeconds * c.expectedRate);
        EXPECT_NEAR(decoded.Frames(), expectedFrames, c.expectedRate == c.sourceRate ? 0 : 2);
    }

    ASSERT_EQ(c.expectedAmplitudes.size(), static_cast<std::size_t>(c.expectedChannels));
    for (int ch = 0; ch < decoded.channels; ++ch)
        EXPECT_NEAR(decoded.LevelDb(ch), DbOf(c.expectedAmplitudes[static_cast<std::size_t>(ch)]), 1.5) << "channel " << ch;
}

const Tone kLoud{1000, 0.5};
const Tone kSoft{1000, 0.2};

INSTANTIATE_TEST_SUITE_P(
    Settings, Conversion,
    testing::Values(
        ConversionCase{"automatic_cd_stereo", 44100, {kLoud, kSoft}, 0, 0, 11, 44100, 2, 128, true, {0.5, 0.2}},
        ConversionCase{"automatic_48k_becomes_44k", 48000, {kLoud, kSoft}, 0, 0, 11, 44100, 2, 128, true, {0.5, 0.2}},
        ConversionCase{"automatic_mono_22k", 22050, {kLoud}, 0, 0, 11, 22050, 1, 128, true, {0.5}},
        // A down-mix averages the channels.
        ConversionCase{"forced_mono_22050", 44100, {kLoud, kSoft}, 5, 1, 11, 22050, 1, 128, true, {0.35}},
        ConversionCase{"forced_stereo_from_mono", 44100, {kLoud}, 0, 2, 11, 44100, 2, 128, true, {0.5, 0.5}},
        ConversionCase{"six_channels_become_stereo", 48000, {kSoft, kSoft, kSoft, kSoft, kSoft, kSoft}, 0, 0, 11, 44100, 2, 128,
                       true, {0.2, 0.2}},
        ConversionCase{"bit_rate_320", 44100, {kLoud, kSoft}, 0, 0, 16, 44100, 2, 320, true, {0.5, 0.2}},
        ConversionCase{"bit_rate_8_at_8k", 8000, {kLoud}, 0, 0, 0, 8000, 1, 8, false, {0.5}},
        // Below 14 kHz libsox refuses the 7 kHz lowpass, which is left out without a word.
        ConversionCase{"lowpass_left_out_at_11025", 44100, {kLoud, kSoft}, 2, 0, 7, 11025, 2, 64, true, {0.5, 0.2}}),
    [](const testing::TestParamInfo<ConversionCase>& row) { return std::string(row.param.name); });

struct FilterCase {
    const char* name;
    double hz;
    double cutoffHz;
    bool lowpass;
};

// A two-pole Butterworth section made digital by the bilinear transform attenuates by
// 10 log10(1 + r^4), r being the ratio of the pre-warped frequencies.
double TwoPoleAttenuationDb(const FilterCase& c, double rate)
{
    const double warped = std::tan(std::numbers::pi * c.hz / rate);
    const double cutoff = std::tan(std::numbers::pi * c.cutoffHz / rate);
    const double r = c.lowpass ? warped / cutoff : cutoff / warped;
    return 10 * std::log10(1 + std::pow(r, 4));
}

class Filters : public BatchFixture, public testing::WithParamInterface<FilterCase> {};

TEST_P(Filters, AttenuateAsTwoPoleFilters)
{
    const FilterCase& c = GetParam();
    constexpr double kAmplitude = 0.5;
    Run({TaskFor(Source(QStringLiteral("f.wav"), 44100, {{c.hz, kAmplitude}}, 2.0))});
    ASSERT_EQ(m_state.DoneCount(), 1);
    const DecodedMp3 decoded = DecodeMp3(OutPath(QStringLiteral("f.mp3")));
    ASSERT_TRUE(decoded.ok);
    // Both filters act on every tone; the other one's share is tiny but counted.
    const double expected = TwoPoleAttenuationDb(c, 44100) + TwoPoleAttenuationDb({"", c.hz, c.lowpass ? 100.0 : 7000.0, !c.lowpass}, 44100);
    EXPECT_NEAR(DbOf(kAmplitude) - decoded.LevelDb(0), expected, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Tones, Filters,
                         testing::Values(FilterCase{"passband_1k", 1000, 7000, true},
                                         FilterCase{"above_lowpass_12k", 12000, 7000, true},
                                         FilterCase{"below_highpass_30", 30, 100, false}),
                         [](const testing::TestParamInfo<FilterCase>& row) { return std::string(row.param.name); });

}  // namespace
