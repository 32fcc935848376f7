#include "support/mp3_probe.h"
#include "support/run_tool.h"
#include "support/wav_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode;
    QString out;
    QString err;
};

class ConvertCli : public testing::Test {
protected:
    ConvertCli()
    {
        // The front end keeps its settings under the home folder, which the test main made temporary.
        QDir(ConfigFolder()).removeRecursively();
        WriteToneFile(Path(QStringLiteral("tone.wav")), 44100, {{1000, 0.5}, {1000, 0.5}}, 0.5);
        QFile junk(Path(QStringLiteral("junk.wav")));
        EXPECT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("not audio");
    }

    static QString ConfigFolder() { return QDir::homePath() + QStringLiteral("/.config/Quorbel"); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    Result Convert(QStringList arguments) const
    {
        for (QString& argument : arguments)
            argument.replace(QStringLiteral("<dir>"), m_dir.path());
        const ToolResult tool = RunTool(QStringLiteral(QUORBEL_CONVERT), arguments);
        return {tool.exitCode, QString::fromUtf8(tool.out), QString::fromUtf8(tool.err)};
    }

    QTemporaryDir m_dir;
};

struct UsageCase {
    const char* name;
    QStringList arguments;
    const char* error;
};

class ConvertCliUsage : public ConvertCli, public testing::WithParamInterface<UsageCase> {};

TEST_P(ConvertCliUsage, BadUsageExitsWithTwoAndConvertsNothing)
{
    const Result result = Convert(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QString::fromUtf8(GetParam().error))) << result.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out"))));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ConvertCliUsage,
    testing::Values(UsageCase{"no_file", {QStringLiteral("-o"), QStringLiteral("<dir>/out")}, "no FILE given"},
                    UsageCase{"unknown_option", {QStringLiteral("--loud"), QStringLiteral("<dir>/tone.wav")}, "loud"},
                    UsageCase{"rate_not_in_table", {QStringLiteral("-r"), QStringLiteral("9999"), QStringLiteral("<dir>/tone.wav")},
                              "unknown rate '9999'"},
                    UsageCase{"bitrate_not_in_table", {QStringLiteral("-b"), QStringLiteral("100"), QStringLiteral("<dir>/tone.wav")},
                              "unknown bit rate '100'"},
                    UsageCase{"unknown_channels", {QStringLiteral("-c"), QStringLiteral("quad"), QStringLiteral("<dir>/tone.wav")},
                              "unknown channel mode 'quad'"}),
    [](const testing::TestParamInfo<UsageCase>& row) { return std::string(row.param.name); });

TEST_F(ConvertCli, ConvertsWithOptionsAndPrintsTheNumberedLog)
{
    const Result result = Convert({QStringLiteral("-o"), QStringLiteral("<dir>/out"), QStringLiteral("-c"), QStringLiteral("mono"),
                                   QStringLiteral("-b"), QStringLiteral("64"), QStringLiteral("-r"), QStringLiteral("22050"),
                                   QStringLiteral("<dir>/tone.wav")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("001  "))) << lines.first().toStdString();
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("Finished converting, all done")));
    const QString mp3 = Path(QStringLiteral("out/tone.mp3"));
    const DecodedMp3 decoded = DecodeMp3(mp3);
    EXPECT_EQ(decoded.rate, 22050);
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_EQ(Mp3BitrateKbps(mp3), 64);
}

TEST_F(ConvertCli, StoredSettingsApplyUnlessOverridden)
{
    ASSERT_TRUE(QDir().mkpath(ConfigFolder()));
    QFile config(ConfigFolder() + QStringLiteral("/Config.ini"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("[OUTPUT]\nDesDir=%1/stored/\n[MP3]\nLameBits=16\n").arg(m_dir.path()).toUtf8());
    config.close();

    EXPECT_EQ(Convert({QStringLiteral("<dir>/tone.wav")}).exitCode, 0);
    EXPECT_EQ(Mp3BitrateKbps(Path(QStringLiteral("stored/tone.mp3"))), 320);
    EXPECT_EQ(Convert({QStringLiteral("-b"), QStringLiteral("96"), QStringLiteral("<dir>/tone.wav")}).exitCode, 0);
    EXPECT_EQ(Mp3BitrateKbps(Path(QStringLiteral("stored/tone (2).mp3"))), 96);
}

TEST_F(ConvertCli, UnusableFilesAreSkippedWithTheirReason)
{
    QFile(Path(QStringLiteral("song.mp3"))).open(QIODevice::WriteOnly);
    const Result result = Convert({QStringLiteral("-o"), QStringLiteral("<dir>/out"), QStringLiteral("<dir>/junk.wav"),
                                   QStringLiteral("<dir>/tone.wav"), QStringLiteral("<dir>/song.mp3"),
                                   QStringLiteral("<dir>/missing.wav")});
    EXPECT_EQ(result.exitCode, 1);
    for (const QString& expected : {QStringLiteral("skipping %1/junk.wav: not a sound file libsndfile can read"),
                                    QStringLiteral("skipping %1/song.mp3: not a WAV file"),
                                    QStringLiteral("skipping %1/missing.wav: no such file")})
        EXPECT_TRUE(result.err.contains(expected.arg(m_dir.path()))) << result.err.toStdString();
    EXPECT_TRUE(DecodeMp3(Path(QStringLiteral("out/tone.mp3"))).ok) << "the usable file is still converted";
}

TEST_F(ConvertCli, FailedBatchExitsWithOne)
{
    QFile(Path(QStringLiteral("blocked"))).open(QIODevice::WriteOnly);
    const Result result = Convert({QStringLiteral("-o"), QStringLiteral("<dir>/blocked/out"), QStringLiteral("<dir>/tone.wav")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.contains(QStringLiteral("Fail to create folder %1/blocked/out !").arg(m_dir.path()))) << result.out.toStdString();
}

}  // namespace
