#include "batch/task_builder.h"

#include "settings/encoder_settings.h"

CConversionTask BuildConversionTask(const QString& fullPath, const QString& nameText, const FileItemInfo& info)
{
    CConversionTask task;
    task.m_strSource = fullPath;
    task.m_nSourceType = info.m_nType;
    task.m_nSourceRate = info.m_nSampleRate;
    task.m_nSourceChannels = info.m_nChannels;
    // The name keeps everything up to its last dot; a name without one gets the extension appended, so
    // that it can never collapse into a file called just "mp3".
    const qsizetype dot = nameText.lastIndexOf(u'.');
    task.m_strDest = g_encoderSettings.DesDir + (dot < 0 ? nameText + u'.' : nameText.left(dot + 1)) + QStringLiteral("mp3");
    task.m_nOutputType = kOutputTypeMp3;
    task.m_nTargetRate = OutputRateFor(info.m_nSampleRate);
    task.m_nTargetChannels = static_cast<std::uint32_t>(OutputChannelsFor(info.m_nChannels));
    const double sourceRate = static_cast<double>(info.m_nSampleRate) * info.m_nChannels;
    const double targetRate = static_cast<double>(task.m_nTargetRate) * task.m_nTargetChannels;
    std::uint64_t total = sourceRate > 0 ? static_cast<std::uint64_t>(static_cast<double>(info.m_nSamples) * targetRate / sourceRate) : 0;
    if (task.m_nTargetChannels > 0)
        total -= total % task.m_nTargetChannels;
    task.m_nTotalSamples = total;
    return task;
}
