#include "batch/source_probe.h"

#include "platform/native_path.h"

#include <QFile>

#include <sndfile.h>

const std::map<QString, std::uint8_t> g_fileTypes{{QStringLiteral("WAV"), kFileTypeWav}};

std::uint8_t FileTypeOf(const QString& fileName)
{
    const auto found = g_fileTypes.find(fileName.mid(fileName.lastIndexOf(u'.') + 1).toUpper());
    return found == g_fileTypes.end() ? 0 : found->second;
}

int CanOpenForReading(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? 0 : 1;
}

bool ProbeAudioHeader(const QString& path, FileItemInfo& info)
{
    SF_INFO header{};
    SNDFILE* file = sf_open(platform::NarrowPath(path).constData(), SFM_READ, &header);
    if (!file)
        return false;
    info.m_nChannels = static_cast<std::uint32_t>(header.channels);
    info.m_nSampleRate = static_cast<std::uint32_t>(header.samplerate);
    info.m_nSamples = static_cast<std::uint64_t>(header.channels) * static_cast<std::uint64_t>(header.frames);
    info.m_dDuration = header.samplerate > 0 ? static_cast<double>(header.frames) / header.samplerate : 0.0;
    sf_close(file);
    return true;
}
