#include "settings/encoder_settings.h"

#include "platform/message_box.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Message {
    QString text;
    platform::MessageIcon icon;
    bool operator==(const Message&) const = default;
};

class Settings : public testing::Test {
protected:
    Settings()
    {
        QDir(GetConfigFolder()).removeRecursively();
        g_encoderSettings = EncoderSettings{};
        g_strConfigDir = GetConfigFolder();
        platform::SetMessageBoxHandler([this](const QString& text, platform::MessageIcon icon) {
            m_messages.push_back({text, icon});
        });
    }
    ~Settings() override { platform::SetMessageBoxHandler(nullptr); }

    static QString ConfigFile() { return GetConfigFolder() + QStringLiteral("/Config.ini"); }

    static void WriteConfig(const char* content)
    {
        ASSERT_TRUE(QDir().mkpath(GetConfigFolder()));
        QFile file(ConfigFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QString MusicFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + u'/';
    }

    std::vector<Message> m_messages;
};

TEST_F(Settings, FirstStartCreatesAnEmptyFileAndKeepsTheDefaults)
{
    InitSettings();

    EXPECT_EQ(g_strConfigDir, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Quorbel"));
    ASSERT_TRUE(QFileInfo::exists(ConfigFile()));
    EXPECT_EQ(QFileInfo(ConfigFile()).size(), 0);
    EXPECT_EQ(g_encoderSettings.DesDir, MusicFolder());
    EXPECT_EQ(g_encoderSettings.LameBits, 11);
    EXPECT_EQ(g_encoderSettings.Freq, 0);
    EXPECT_EQ(g_encoderSettings.LameChannel, 0);
    EXPECT_EQ(g_encoderSettings.Filter, 15);
    EXPECT_EQ(g_encoderSettings.LameQuality, 9);
    EXPECT_EQ(BitrateKbps(), 128);
    EXPECT_EQ(SettingsSummaryText(), QStringLiteral("  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(Settings, SavedValuesLoadBackUnchanged)
{
    InitSettings();
    g_encoderSettings = {QStringLiteral("/srv/Out put/Müsik/"), 8, 1, 16, 42, 9};
    ASSERT_TRUE(SaveSettings());

    QFile file(ConfigFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              QStringLiteral("[OUTPUT]\nFilter=42\nDesDir=/srv/Out put/Müsik/\n\n[MP3]\nLameBits=16\nLameChannel=1\nFreq=8\n"));

    g_encoderSettings = EncoderSettings{};
    InitSettings();
    EXPECT_EQ(g_encoderSettings.DesDir, QStringLiteral("/srv/Out put/Müsik/"));
    EXPECT_EQ(g_encoderSettings.Freq, 8);
    EXPECT_EQ(g_encoderSettings.LameChannel, 1);
    EXPECT_EQ(g_encoderSettings.LameBits, 16);
    EXPECT_EQ(g_encoderSettings.Filter, 42);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(Settings, MissingKeysTakeTheirDefaultsAndAnEmptyFolderStaysEmpty)
{
    WriteConfig("[OUTPUT]\nDesDir=\n[MP3]\nLameBits=3\n");
    InitSettings();
    EXPECT_EQ(g_encoderSettings.DesDir, QString());
    EXPECT_EQ(g_encoderSettings.LameBits, 3);
    EXPECT_EQ(g_encoderSettings.Freq, 0);
    EXPECT_EQ(g_encoderSettings.LameChannel, 0);
    EXPECT_EQ(g_encoderSettings.Filter, 15);

    WriteConfig("[MP3]\nFreq=2\n");
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(g_encoderSettings.DesDir, MusicFolder());
    EXPECT_EQ(g_encoderSettings.Freq, 2);
}

struct RangeCase {
    const char* content;
    std::int16_t EncoderSettings::*field;
    std::int16_t expected;
};

class SettingsRange : public Settings, public testing::WithParamInterface<RangeCase> {};

TEST_P(SettingsRange, StoredValuesOutsideTheirTablesFallBackToTheDefault)
{
    WriteConfig(GetParam().content);
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(g_encoderSettings.*GetParam().field, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsRange,
                         testing::Values(RangeCase{"[MP3]\nFreq=9\n", &EncoderSettings::Freq, 0},
                                         RangeCase{"[MP3]\nFreq=-1\n", &EncoderSettings::Freq, 0},
                                         RangeCase{"[MP3]\nFreq=8\n", &EncoderSettings::Freq, 8},
                                         RangeCase{"[MP3]\nLameBits=17\n", &EncoderSettings::LameBits, 11},
                                         RangeCase{"[MP3]\nLameBits=65547\n", &EncoderSettings::LameBits, 11},
                                         RangeCase{"[MP3]\nLameBits=0\n", &EncoderSettings::LameBits, 0},
                                         RangeCase{"[MP3]\nLameChannel=3\n", &EncoderSettings::LameChannel, 0},
                                         RangeCase{"[MP3]\nLameChannel=2\n", &EncoderSettings::LameChannel, 2}));

TEST_F(Settings, OutOfRangeValuesInMemoryNeverIndexOutsideTheTables)
{
    g_encoderSettings.LameBits = 99;
    g_encoderSettings.Freq = -4;
    g_encoderSettings.LameChannel = 7;
    EXPECT_EQ(BitrateKbps(), 128);
    EXPECT_EQ(OutputRateFor(48000), 44100u);
    EXPECT_EQ(SettingsSummaryText(), QStringLiteral("  MP3:  CBR 128 kbps; Automatic Frequency;"));
}

struct SummaryCase {
    std::int16_t freq;
    std::int16_t bits;
    std::int16_t channel;
    const char* expected;
};

class SettingsSummary : public Settings, public testing::WithParamInterface<SummaryCase> {};

TEST_P(SettingsSummary, ShowsTheRateFrequencyAndChannelMode)
{
    g_encoderSettings.Freq = GetParam().freq;
    g_encoderSettings.LameBits = GetParam().bits;
    g_encoderSettings.LameChannel = GetParam().channel;
    EXPECT_EQ(SettingsSummaryText(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, SettingsSummary,
                         testing::Values(SummaryCase{8, 16, 1, "  MP3:  CBR 320 kbps; 44100 Hz; Mono;"},
                                         SummaryCase{1, 0, 2, "  MP3:  CBR   8 kbps;  8000 Hz; Stereo;"},
                                         SummaryCase{0, 11, 0, "  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"}));

TEST_F(Settings, AutomaticRateIsTheFirstTableRateAtOrAboveTheSource)
{
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {7000, 8000}, {8000, 8000}, {22050, 22050}, {23000, 24000}, {44100, 44100}, {48000, 44100}, {96000, 44100}};
    for (const auto& [source, expected] : cases)
        EXPECT_EQ(OutputRateFor(source), expected) << source;
    g_encoderSettings.Freq = 3;
    EXPECT_EQ(OutputRateFor(48000), 12000u);
}

TEST_F(Settings, ChannelModeDecidesTheOutputChannels)
{
    // {mode, source channels, output channels}
    const int cases[][3] = {{0, 1, 1}, {0, 2, 2}, {0, 6, 2}, {1, 2, 1}, {1, 6, 1}, {2, 1, 2}};
    for (const auto& [mode, source, expected] : cases) {
        g_encoderSettings.LameChannel = static_cast<std::int16_t>(mode);
        EXPECT_EQ(OutputChannelsFor(static_cast<std::uint32_t>(source)), expected) << mode << " " << source;
    }
}

TEST_F(Settings, ResetDeletesTheFileAndRestoresTheDefaults)
{
    WriteConfig("[OUTPUT]\nDesDir=/elsewhere/\n[MP3]\nLameBits=2\nFreq=4\n");
    InitSettings();
    ASSERT_EQ(g_encoderSettings.LameBits, 2);
    ResetSettings();
    EXPECT_FALSE(QFileInfo::exists(ConfigFile()));
    EXPECT_EQ(g_encoderSettings.LameBits, 11);
    EXPECT_EQ(g_encoderSettings.Freq, 0);
    EXPECT_EQ(g_encoderSettings.DesDir, MusicFolder());
}

TEST_F(Settings, FolderThatCannotBeCreatedIsReportedAndStartUpGoesOn)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(GetConfigFolder()).path()));
    QFile blocker(GetConfigFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    InitSettings();
    const std::vector<Message> expected{
        {QStringLiteral("Fail to create folder %1 !!").arg(GetConfigFolder()), platform::MessageIcon::None}};
    EXPECT_EQ(m_messages, expected);
    EXPECT_EQ(g_encoderSettings.DesDir, MusicFolder());
    QFile::remove(GetConfigFolder());
}

TEST_F(Settings, UnreadableFileIsReportedOnLoad)
{
    ASSERT_TRUE(QDir().mkpath(ConfigFile()));
    InitSettings();
    const std::vector<Message> expected{
        {QStringLiteral("An Error Occurred while loading settings!"), platform::MessageIcon::Error}};
    EXPECT_EQ(m_messages, expected);
}

TEST_F(Settings, FailedSaveIsReportedAndWritesNothing)
{
    InitSettings();
    g_strConfigDir = GetConfigFolder() + QStringLiteral("/missing");
    EXPECT_FALSE(SaveSettings());
    const std::vector<Message> expected{
        {QStringLiteral("An error occurred while saving settings!"), platform::MessageIcon::Error}};
    EXPECT_EQ(m_messages, expected);
    EXPECT_FALSE(QFileInfo::exists(g_strConfigDir));
    EXPECT_EQ(QFileInfo(ConfigFile()).size(), 0);
}

}  // namespace
