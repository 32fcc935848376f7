#include "mp3_probe.h"

#include "platform/native_path.h"
#include "run_tool.h"

#include <QFile>
#include <QTemporaryDir>

#include <sndfile.h>

#include <cmath>

double DecodedMp3::LevelDb(int channel, double edgeSeconds) const
{
    const long long edge = static_cast<long long>(edgeSeconds * rate);
    double sum = 0;
    long long count = 0;
    for (long long frame = edge; frame < Frames() - edge; ++frame) {
        const double v = samples[static_cast<std::size_t>(frame * channels + channel)];
        sum += v * v;
        ++count;
    }
    return count > 0 ? 10.0 * std::log10(sum / count + 1e-20) : -200.0;
}

DecodedMp3 DecodeMp3(const QString& path)
{
    DecodedMp3 decoded;
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("decoded.wav"));
    if (RunTool(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-w"), wav, path}).exitCode != 0)
        return decoded;
    SF_INFO info{};
    SNDFILE* file = sf_open(platform::NarrowPath(wav).constData(), SFM_READ, &info);
    if (!file)
        return decoded;
    decoded.rate = info.samplerate;
    decoded.channels = info.channels;
    decoded.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    decoded.ok = sf_readf_float(file, decoded.samples.data(), info.frames) == info.frames;
    sf_close(file);
    return decoded;
}

int Mp3BitrateKbps(const QString& path)
{
    const ToolResult ffprobe = RunTool(QStringLiteral("ffprobe"),
                                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                                        QStringLiteral("a:0"), QStringLiteral("-show_entries"), QStringLiteral("stream=bit_rate"),
                                        QStringLiteral("-of"), QStringLiteral("default=noprint_wrappers=1:nokey=1"), path});
    return static_cast<int>(ffprobe.out.trimmed().toLong() / 1000);
}

bool HasInfoTag(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray firstFrame = file.read(64);
    return firstFrame.contains("Info") || firstFrame.contains("Xing");
}
