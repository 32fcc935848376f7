#include "engine/batch_state.h"
#include "engine/conversion_task.h"
#include "support/recording_batch_state.h"

#include <gtest/gtest.h>

namespace {

TEST(ConversionTask, DefaultsMarkEveryDescriptiveFieldUnset)
{
    const CConversionTask task;
    EXPECT_TRUE(task.m_strSource.isEmpty());
    EXPECT_TRUE(task.m_strDest.isEmpty());
    EXPECT_EQ(task.m_nSourceType, -1);
    EXPECT_EQ(task.m_nOutputType, -1);
    EXPECT_EQ(task.m_nSourceRate, 0xFFFFFFFFu);
    EXPECT_EQ(task.m_nSourceChannels, 0xFFFFFFFFu);
    EXPECT_EQ(task.m_nTargetRate, 0xFFFFFFFFu);
    EXPECT_EQ(task.m_nTargetChannels, 0xFFFFFFFFu);
    EXPECT_FALSE(task.m_bDecoding.IsSet());
    EXPECT_FALSE(task.m_bEncoding.IsSet());
    EXPECT_FALSE(task.m_bProcessing.IsSet());
    EXPECT_EQ(task.m_pRing, nullptr);
}

TEST(ConversionTask, CopyCarriesStringsValuesAndFlags)
{
    SampleRing ring(8);
    CConversionTask task;
    task.m_strSource = QStringLiteral("/in/a b.wav");
    task.m_nSourceType = kSourceTypeWav;
    task.m_nSourceRate = 48000;
    task.m_nSourceChannels = 6;
    task.m_strDest = QStringLiteral("/out/a b.mp3");
    task.m_nOutputType = kOutputTypeMp3;
    task.m_nTargetRate = 44100;
    task.m_nTargetChannels = 2;
    task.m_nTotalSamples = 123456;
    task.m_bProcessing.Set(true);
    task.m_pRing = &ring;

    CConversionTask assigned;
    assigned = task;
    const CConversionTask constructed(task);
    for (const CConversionTask* c : {static_cast<const CConversionTask*>(&assigned), &constructed}) {
        EXPECT_EQ(c->m_strSource, task.m_strSource);
        EXPECT_EQ(c->m_strDest, task.m_strDest);
        EXPECT_EQ(c->m_nSourceType, kSourceTypeWav);
        EXPECT_EQ(c->m_nSourceRate, 48000u);
        EXPECT_EQ(c->m_nSourceChannels, 6u);
        EXPECT_EQ(c->m_nOutputType, kOutputTypeMp3);
        EXPECT_EQ(c->m_nTargetRate, 44100u);
        EXPECT_EQ(c->m_nTargetChannels, 2u);
        EXPECT_EQ(c->m_nTotalSamples, 123456u);
        EXPECT_TRUE(c->m_bProcessing.IsSet());
        EXPECT_FALSE(c->m_bDecoding.IsSet());
        EXPECT_EQ(c->m_pRing, &ring);
    }
}

TEST(ReportProgress, FinalReportIsSynchronous)
{
    CRecordingBatchState state;
    ReportProgress(12.5f, 3.0f, 0);
    ReportProgress(100.0f, 50.0f, 1);
    const auto reports = state.ProgressReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FLOAT_EQ(reports[0].filePercent, 12.5f);
    EXPECT_FLOAT_EQ(reports[0].batchPercent, 3.0f);
    EXPECT_FALSE(reports[0].synchronous);
    EXPECT_FLOAT_EQ(reports[1].filePercent, 100.0f);
    EXPECT_TRUE(reports[1].synchronous);
}

}  // namespace
