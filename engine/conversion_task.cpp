#include "engine/conversion_task.h"

#include "engine/batch_state.h"

#include <QFile>

int CConversionTask::Convert()
{
    g_pCurrentTask = this;
    m_bDecoding.Set(true);
    // So that the driver never waits for a thread of an earlier file.
    g_pConvProg->m_pEffectsThread.Set(nullptr);
    g_pConvProg->m_pEncoderThread.Set(nullptr);

    int result = 0;
    if (!CheckSource(m_strSource, QIODevice::ReadOnly)) {
        g_pConvProg->m_bRunning.Set(false);
    } else {
        try {
            m_pRing = g_pEffectsRing;
            platform::StartWorker(g_pConvProg->m_pEffectsThread, [this] { RunEffects(); });
            if (m_nSourceType == kSourceTypeWav)
                result = Decode();
        } catch (...) {
            g_pConvProg->m_bRunning.Set(false);
            g_pConvProg->PostLog(QStringLiteral("An error occurred while decoding %1").arg(m_strSource), kLogError);
            result = 0;
        }
    }
    // Only now may the effects stage take an empty ring for the end of the data.
    m_bDecoding.Set(false);
    return result;
}

bool CheckSource(const QString& path, QIODevice::OpenMode mode)
{
    QFile file(path);
    if (!file.open(mode)) {
        g_pConvProg->PostLog(QStringLiteral("File Error: %1").arg(file.errorString().left(1024)), kLogError);
        return false;
    }
    return true;
}
