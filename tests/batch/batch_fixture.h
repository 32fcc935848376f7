#pragma once

#include "batch/batch_driver.h"
#include "batch/task_builder.h"
#include "engine/mp3_encoder.h"
#include "settings/encoder_settings.h"
#include "support/recording_batch_state.h"
#include "support/wav_fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Real conversions into a temporary output folder, reported into a recording batch state.
class BatchFixture : public testing::Test {
protected:
    BatchFixture()
    {
        CreateSampleRings();
        g_encoderSettings = EncoderSettings{};
        g_encoderSettings.DesDir = OutPath(QString());
        SetEncoderModuleName(kEncoderModuleName);
    }
    ~BatchFixture() override
    {
        SetEncoderModuleName(kEncoderModuleName);
        DestroySampleRings();
    }

    QString InPath(const QString& name) const { return m_dir.filePath(name); }
    QString OutPath(const QString& name) const { return m_dir.path() + QStringLiteral("/out/") + name; }

    QString Source(const QString& name, int rate, const std::vector<Tone>& channels, double seconds)
    {
        WriteToneFile(InPath(name), rate, channels, seconds);
        return InPath(name);
    }

    // Built as the convert command builds it, from the probed file and the current settings.
    static CConversionTask TaskFor(const QString& path)
    {
        FileItemInfo info;
        info.m_nType = FileTypeOf(path);
        ProbeAudioHeader(path, info);
        return BuildConversionTask(path, QFileInfo(path).fileName(), info);
    }

    void Fill(const std::vector<CConversionTask>& tasks)
    {
        m_state.m_tasks = tasks;
        for (const CConversionTask& task : tasks)
            m_state.m_nBatchSamplesTotal += task.m_nTotalSamples;
    }

    void Run(const std::vector<CConversionTask>& tasks)
    {
        Fill(tasks);
        m_state.m_bRunning.Set(true);
        RunBatch(m_state);
    }

    QStringList LogTexts() const
    {
        QStringList texts;
        for (const auto& line : m_state.LogLines())
            texts.append(line.text);
        return texts;
    }

    QTemporaryDir m_dir;
    CRecordingBatchState m_state;
};
