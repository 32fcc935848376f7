// quorbel-convert: converts WAV files to MP3 through the same batch driver as the windows.
#include "batch/batch_driver.h"
#include "batch/task_builder.h"
#include "cli/console_batch_state.h"
#include "engine/folder_path.h"
#include "settings/encoder_settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <optional>

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitUsage = 2;

template <typename Table>
std::optional<std::int16_t> IndexOf(const Table& table, long value, std::size_t first)
{
    for (std::size_t i = first; i < table.size(); ++i) {
        if (static_cast<long>(table[i]) == value)
            return static_cast<std::int16_t>(i);
    }
    return std::nullopt;
}

std::optional<std::int16_t> ParseRate(const QString& text)
{
    if (text == u"auto")
        return 0;
    bool ok = false;
    const long rate = text.toLong(&ok);
    return ok ? IndexOf(kSampleRates, rate, 1) : std::nullopt;
}

std::optional<std::int16_t> ParseChannels(const QString& text)
{
    const QStringList modes{QStringLiteral("auto"), QStringLiteral("mono"), QStringLiteral("stereo")};
    const qsizetype mode = modes.indexOf(text);
    return mode < 0 ? std::nullopt : std::optional<std::int16_t>(static_cast<std::int16_t>(mode));
}

std::optional<std::int16_t> ParseBitrate(const QString& text)
{
    bool ok = false;
    const long kbps = text.toLong(&ok);
    return ok ? IndexOf(kBitrates, kbps, 0) : std::nullopt;
}

int UsageError(const QString& message)
{
    std::fprintf(stderr, "quorbel-convert: %s\nTry 'quorbel-convert --help'.\n", qUtf8Printable(message));
    return kExitUsage;
}

// Why the file list would mark this file invalid, or nothing when it can be converted.
QString InvalidReason(const QString& path, FileItemInfo& info)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return QStringLiteral("no such file");
    info.m_nType = FileTypeOf(file.fileName());
    if (info.m_nType != kFileTypeWav)
        return QStringLiteral("not a WAV file");
    if (CanOpenForReading(path))
        return QStringLiteral("cannot be opened for reading");
    if (!ProbeAudioHeader(path, info))
        return QStringLiteral("not a sound file libsndfile can read");
    if (info.m_nChannels == 0)
        return QStringLiteral("no channels");
    if (info.m_nSampleRate == 0)
        return QStringLiteral("a sampling rate of 0 Hz");
    if (info.m_nSamples == 0)
        return QStringLiteral("no audio frames");
    return {};
}

void StopOnInterrupt(int)
{
    // Ends the batch as Cancel does: the current file is closed and tagged.
    if (g_pConvProg)
        g_pConvProg->m_bRunning.Set(false);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorbel-convert"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts WAV files to constant-bitrate MP3 files, one after another, with the settings stored by "
        "Quorbel unless options say otherwise. Exit status: 0 when every file was converted, 1 when a file was "
        "skipped or the batch ended on an error, 2 on bad usage."));
    parser.addHelpOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the MP3 files into <dir>."), QStringLiteral("dir"));
    const QCommandLineOption rate({QStringLiteral("r"), QStringLiteral("rate")},
                                  QStringLiteral("Output sampling rate: auto, 8000, 11025, 12000, 16000, 22050, "
                                                 "24000, 32000 or 44100."),
                                  QStringLiteral("rate"));
    const QCommandLineOption channels({QStringLiteral("c"), QStringLiteral("channels")},
                                      QStringLiteral("Output channels: auto, mono or stereo."), QStringLiteral("mode"));
    const QCommandLineOption bitrate({QStringLiteral("b"), QStringLiteral("bitrate")},
                                     QStringLiteral("Constant bit rate in kbit/s: 8, 16, 24, 32, 40, 48, 56, 64, 80, "
                                                    "96, 112, 128, 160, 192, 224, 256 or 320."),
                                     QStringLiteral("kbps"));
    parser.addOptions({output, rate, channels, bitrate});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("WAV files to convert."),
                                 QStringLiteral("FILE..."));
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qUtf8Printable(parser.helpText()));
        return kExitConverted;
    }
    if (parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("no FILE given"));

    InitSettings();
    EncoderSettings& settings = g_encoderSettings;
    if (parser.isSet(rate)) {
        const auto index = ParseRate(parser.value(rate));
        if (!index)
            return UsageError(QStringLiteral("unknown rate '%1'").arg(parser.value(rate)));
        settings.Freq = *index;
    }
    if (parser.isSet(channels)) {
        const auto mode = ParseChannels(parser.value(channels));
        if (!mode)
            return UsageError(QStringLiteral("unknown channel mode '%1'").arg(parser.value(channels)));
        settings.LameChannel = *mode;
    }
    if (parser.isSet(bitrate)) {
        const auto index = ParseBitrate(parser.value(bitrate));
        if (!index)
            return UsageError(QStringLiteral("unknown bit rate '%1'").arg(parser.value(bitrate)));
        settings.LameBits = *index;
    }
    if (parser.isSet(output))
        settings.DesDir = QDir::cleanPath(QDir::current().absoluteFilePath(parser.value(output))) + u'/';

    CConsoleBatchState batch;
    bool skipped = false;
    for (const QString& argument : parser.positionalArguments()) {
        const QString path = QFileInfo(argument).absoluteFilePath();
        FileItemInfo info;
        if (const QString reason = InvalidReason(path, info); !reason.isEmpty()) {
            std::fprintf(stderr, "quorbel-convert: skipping %s: %s\n", qUtf8Printable(argument), qUtf8Printable(reason));
            skipped = true;
            continue;
        }
        batch.m_tasks.push_back(BuildConversionTask(path, QFileInfo(path).fileName(), info));
        batch.m_nBatchSamplesTotal += batch.m_tasks.back().m_nTotalSamples;
    }
    if (batch.m_tasks.empty())
        return kExitIncomplete;
    if (!QFileInfo(settings.DesDir).isDir())
        CreateFolderPath(settings.DesDir);  // the batch reports a folder it cannot create

    CreateSampleRings();
    std::signal(SIGINT, StopOnInterrupt);
    std::signal(SIGTERM, StopOnInterrupt);
    StartBatch(batch, 0);
    while (!batch.m_pBatchThread.Get()->Wait(1000)) {
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    DestroySampleRings();
    return batch.IsDone() && !skipped ? kExitConverted : kExitIncomplete;
}
