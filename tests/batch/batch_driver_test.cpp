#include "batch_fixture.h"
#include "support/mp3_probe.h"

#include <QFile>
#include <QRegularExpression>

#include <sys/resource.h>

#include <csignal>
#include <cmath>
#include <thread>

namespace {

using namespace std::chrono_literals;

const QString kSeparator(99, u'-');

class BatchDriver : public BatchFixture {
protected:
    QString ShortSource(const QString& name) { return Source(name, 44100, {{1000, 0.5}, {1000, 0.5}}, 0.5); }

    // Starts the batch on its own thread, as the windows do, and waits until `ready` holds.
    template <typename Ready>
    void StartAndWaitFor(Ready ready)
    {
        StartBatch(m_state, 0);
        for (int i = 0; i < 20000 && !ready(); ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(ready());
    }

    void WaitForTheBatch() { ASSERT_TRUE(m_state.m_pBatchThread.Get()->Wait(60000)); }

    static bool Matches(const QString& text, const char* pattern)
    {
        return QRegularExpression(QRegularExpression::anchoredPattern(QString::fromUtf8(pattern))).match(text).hasMatch();
    }
};

TEST_F(BatchDriver, OneTaskLogsItsBlockAndFinishes)
{
    const QString source = ShortSource(QStringLiteral("one.wav"));
    Run({TaskFor(source)});

    const QStringList log = LogTexts();
    ASSERT_EQ(log.size(), 6) << log.join(u'\n').toStdString();
    EXPECT_EQ(log[0], kSeparator);
    EXPECT_EQ(log[1], QStringLiteral("Start a new converting task."));
    EXPECT_EQ(log[2], QStringLiteral("Source:  %1.").arg(source));
    EXPECT_EQ(log[3], QStringLiteral("Destination: %1.").arg(OutPath(QStringLiteral("one.mp3"))));
    EXPECT_TRUE(Matches(log[4], R"(Time elapsed \d+\.\d\d secs, speed \d+\.\d\dx\.)")) << log[4].toStdString();
    EXPECT_EQ(log[5], QStringLiteral("Converting status: OK."));
    EXPECT_EQ(m_state.DoneCount(), 1);
    EXPECT_EQ(m_state.Caption(), QStringLiteral("Converting 1/1"));
    EXPECT_EQ(m_state.SourceLabel(), source);
    EXPECT_EQ(m_state.DestLabel(), OutPath(QStringLiteral("one.mp3")));
    EXPECT_EQ(m_state.ClockTimerStarts(), 1);
    EXPECT_EQ(m_state.m_nCurrentTask.load(), 1);

    const auto reports = m_state.ProgressReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back().synchronous) << "the file's last report waits for the window";
    EXPECT_FLOAT_EQ(reports.back().filePercent, 100.0f);
    EXPECT_FLOAT_EQ(reports.back().batchPercent, 100.0f);
}

TEST_F(BatchDriver, ThreeTasksLogThreeBlocksAndTheTotal)
{
    Run({TaskFor(ShortSource(QStringLiteral("a.wav"))), TaskFor(ShortSource(QStringLiteral("b.wav"))),
         TaskFor(ShortSource(QStringLiteral("c.wav")))});

    const QStringList log = LogTexts();
    ASSERT_EQ(log.size(), 3 * 6 + 2) << log.join(u'\n').toStdString();
    for (int block = 0; block < 3; ++block) {
        EXPECT_EQ(log[block * 6], kSeparator);
        EXPECT_EQ(log[block * 6 + 5], QStringLiteral("Converting status: OK."));
    }
    EXPECT_EQ(log[18], kSeparator);
    EXPECT_TRUE(Matches(log[19], R"(Total time elapsed \d+\.\d\d secs, overall speed \d+\.\d\dx\.)")) << log[19].toStdString();
    EXPECT_EQ(m_state.DoneCount(), 1);
    EXPECT_EQ(m_state.Caption(), QStringLiteral("Converting 3/3"));
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        EXPECT_TRUE(DecodeMp3(OutPath(QString::fromUtf8(name))).ok) << name;
}

TEST_F(BatchDriver, ExistingOutputsAreNeverOverwritten)
{
    ASSERT_TRUE(QDir().mkpath(OutPath(QString())));
    for (const char* name : {"song.mp3", "song (2).mp3"}) {
        QFile existing(OutPath(QString::fromUtf8(name)));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
    }
    Run({TaskFor(ShortSource(QStringLiteral("song.wav")))});

    EXPECT_EQ(m_state.DestLabel(), OutPath(QStringLiteral("song (3).mp3")));
    EXPECT_TRUE(LogTexts().contains(QStringLiteral("Destination: %1.").arg(OutPath(QStringLiteral("song (3).mp3")))));
    EXPECT_TRUE(DecodeMp3(OutPath(QStringLiteral("song (3).mp3"))).ok);
    for (const char* name : {"song.mp3", "song (2).mp3"}) {
        QFile existing(OutPath(QString::fromUtf8(name)));
        ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
        EXPECT_EQ(existing.readAll(), QByteArray("keep me"));
    }
}

TEST_F(BatchDriver, UniqueNamesTakeTheLastDotOfTheFileName)
{
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("v1.2"))));
    const QString dotted = m_dir.filePath(QStringLiteral("v1.2/take.one.mp3"));
    QFile(dotted).open(QIODevice::WriteOnly);
    EXPECT_EQ(MakeUniqueName(dotted), m_dir.filePath(QStringLiteral("v1.2/take.one (2).mp3")));
    const QString bare = m_dir.filePath(QStringLiteral("v1.2/noext"));
    QFile(bare).open(QIODevice::WriteOnly);
    EXPECT_EQ(MakeUniqueName(bare), m_dir.filePath(QStringLiteral("v1.2/noext (2)")));
}

TEST_F(BatchDriver, MissingOutputFolderIsCreated)
{
    g_encoderSettings.DesDir = OutPath(QStringLiteral("deeper/still/"));
    Run({TaskFor(ShortSource(QStringLiteral("x.wav")))});
    EXPECT_EQ(m_state.DoneCount(), 1);
    EXPECT_TRUE(DecodeMp3(OutPath(QStringLiteral("deeper/still/x.mp3"))).ok);
}

TEST_F(BatchDriver, CancelEndsTheFileAsAnErrorAndLeavesAValidTaggedPart)
{
    const QString source = Source(QStringLiteral("long.wav"), 44100, {{1000, 0.5}, {500, 0.5}}, 120.0);
    Fill({TaskFor(source), TaskFor(ShortSource(QStringLiteral("next.wav")))});
    StartAndWaitFor([this] { return m_state.m_nFileSamplesDone.load() > 44100 * 2 * 2; });
    m_state.m_bRunning.Set(false);
    WaitForTheBatch();

    const QStringList log = LogTexts();
    EXPECT_EQ(log.last(), QStringLiteral("Converting status: ERROR."));
    EXPECT_EQ(log.count(kSeparator), 1) << "the second task never starts";
    EXPECT_EQ(m_state.DoneCount(), 0);
    const QString partial = OutPath(QStringLiteral("long.mp3"));
    EXPECT_TRUE(HasInfoTag(partial));
    const DecodedMp3 decoded = DecodeMp3(partial);
    ASSERT_TRUE(decoded.ok);
    EXPECT_GT(decoded.Frames(), 44100);
    EXPECT_LT(decoded.Frames(), 44100LL * 120);
}

TEST_F(BatchDriver, PauseHoldsTheEncoderAndResumeFinishesTheFile)
{
    const QString source = Source(QStringLiteral("paused.wav"), 44100, {{1000, 0.5}, {1000, 0.5}}, 30.0);
    Fill({TaskFor(source)});
    StartAndWaitFor([this] { return m_state.m_nFileSamplesDone.load() > 0; });
    m_state.m_bPaused.Set(true);
    std::this_thread::sleep_for(300ms);  // the chunk in hand may still finish
    const std::uint64_t heldAt = m_state.m_nFileSamplesDone.load();
    const std::size_t reportsAt = m_state.ProgressReports().size();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(m_state.m_nFileSamplesDone.load(), heldAt);
    EXPECT_EQ(m_state.ProgressReports().size(), reportsAt) << "no reports while paused";
    EXPECT_LT(heldAt, 44100u * 2 * 30);

    m_state.m_bPaused.Set(false);
    WaitForTheBatch();
    EXPECT_EQ(m_state.DoneCount(), 1);
    EXPECT_EQ(DecodeMp3(OutPath(QStringLiteral("paused.mp3"))).Frames(), 44100 * 30);
}

TEST_F(BatchDriver, PercentagesStayFiniteWhenNothingIsExpected)
{
    CConversionTask task = TaskFor(ShortSource(QStringLiteral("zero.wav")));
    task.m_nTotalSamples = 0;
    Run({task});
    ASSERT_EQ(m_state.DoneCount(), 1);
    for (const auto& report : m_state.ProgressReports()) {
        EXPECT_TRUE(std::isfinite(report.filePercent));
        EXPECT_TRUE(std::isfinite(report.batchPercent));
    }
}

struct FailureCase {
    const char* name;
    const char* module;      // encoder module to load
    const char* stubFailure;  // QUORBEL_STUB_FAIL for the failing stand-in, or ""
    const char* logLine;      // the failure line, posted as an error
    const char* messageBox;   // or ""
    bool outputKept;          // whether a valid, tagged MP3 remains
};

class BatchFailure : public BatchDriver, public testing::WithParamInterface<FailureCase> {};

// Every failure of the encoder ends the file as an error and the batch with it; the second task never runs.
TEST_P(BatchFailure, EndsTheBatchWithTheFailureLine)
{
    const FailureCase& c = GetParam();
    SetEncoderModuleName(c.module);
    qputenv("QUORBEL_STUB_FAIL", c.stubFailure);
    Run({TaskFor(ShortSource(QStringLiteral("in.wav"))), TaskFor(ShortSource(QStringLiteral("second.wav")))});
    qunsetenv("QUORBEL_STUB_FAIL");

    const QString dest = OutPath(QStringLiteral("in.mp3"));
    const QStringList log = LogTexts();
    const CRecordingBatchState::LogLine failure{QString::fromUtf8(c.logLine), kLogError};
    const auto lines = m_state.LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), failure), lines.end()) << log.join(u'\n').toStdString();
    EXPECT_EQ(log.last(), QStringLiteral("Converting status: ERROR."));
    EXPECT_EQ(log.count(kSeparator), 1);
    EXPECT_EQ(m_state.DoneCount(), 0);
    EXPECT_EQ(m_state.ErrorBoxes(), *c.messageBox ? std::vector<QString>{QString::fromUtf8(c.messageBox)} : std::vector<QString>{});
    if (c.outputKept) {
        EXPECT_TRUE(HasInfoTag(dest));
        EXPECT_TRUE(DecodeMp3(dest).ok);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encoder, BatchFailure,
    testing::Values(
        FailureCase{"module_missing", "no_such_lame_enc.so", "", "Error loading lame_enc.dll", "Error Loading Lame_enc.dll", false},
        FailureCase{"entry_point_missing", "lame_enc_no_encode.so", "", "Unable to get LAME interfaces",
                    "Unable to Get LAME Interfaces", false},
        FailureCase{"stream_not_opened", "lame_enc_failing.so", "init", "Error opening encoding stream (77)", "", false},
        FailureCase{"chunk_refused", "lame_enc_failing.so", "encode", "beEncodeChunk() failed (77)", "", false},
        FailureCase{"flush_refused", "lame_enc_failing.so", "deinit", "beExitStream failed (77)", "", true}),
    [](const testing::TestParamInfo<FailureCase>& row) { return std::string(row.param.name); });

TEST_F(BatchDriver, WithoutTheInfoTagEntryTheTagIsWrittenByPath)
{
    SetEncoderModuleName("lame_enc_no_info_tag.so");
    Run({TaskFor(ShortSource(QStringLiteral("t.wav")))});
    ASSERT_EQ(m_state.DoneCount(), 1);
    EXPECT_TRUE(HasInfoTag(OutPath(QStringLiteral("t.mp3"))));
    EXPECT_EQ(DecodeMp3(OutPath(QStringLiteral("t.mp3"))).Frames(), 22050);
}

TEST_F(BatchDriver, OutputThatCannotBeCreatedIsAnError)
{
    // The output folder's place is taken by a file.
    g_encoderSettings.DesDir = m_dir.filePath(QStringLiteral("taken")) + u'/';
    QFile(m_dir.filePath(QStringLiteral("taken"))).open(QIODevice::WriteOnly);
    const CConversionTask task = TaskFor(ShortSource(QStringLiteral("a.wav")));
    Run({task});
    EXPECT_TRUE(LogTexts().contains(QStringLiteral("Error creating file %1").arg(task.m_strDest)));
    EXPECT_EQ(LogTexts().last(), QStringLiteral("Converting status: ERROR."));
}

namespace {

// Runs `body` with writes beyond `bytes` failing as on a full disk.
template <typename Body>
void WithFileSizeLimit(rlim_t bytes, Body body)
{
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    body();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

}  // namespace

TEST_F(BatchDriver, ShortWriteIsAnErrorAndTheFileIsStillClosed)
{
    const CConversionTask task = TaskFor(Source(QStringLiteral("big.wav"), 44100, {{1000, 0.5}, {700, 0.5}}, 10.0));
    WithFileSizeLimit(20000, [&] { Run({task}); });

    EXPECT_EQ(LogTexts().count(QStringLiteral("Output file write error")), 1);
    EXPECT_EQ(LogTexts().last(), QStringLiteral("Converting status: ERROR."));
    EXPECT_LE(QFileInfo(task.m_strDest).size(), 20000);
}

// The last buffered bytes are written when the file is closed; a disk that fills up just then must not
// pass for a converted file.
TEST_F(BatchDriver, DiskFullAtTheCloseIsAnError)
{
    const CConversionTask task = TaskFor(ShortSource(QStringLiteral("a.wav")));
    Run({task});
    const qint64 wholeSize = QFileInfo(task.m_strDest).size();
    ASSERT_GT(wholeSize, 0);
    ASSERT_TRUE(QFile::remove(task.m_strDest));

    WithFileSizeLimit(static_cast<rlim_t>(wholeSize - 1), [&] { Run({task}); });

    EXPECT_EQ(LogTexts().count(QStringLiteral("Output file write error")), 1) << LogTexts().join(u'\n').toStdString();
    EXPECT_EQ(LogTexts().last(), QStringLiteral("Converting status: ERROR."));
}

TEST_F(BatchDriver, MissingSecondSourceStopsBeforeTheThird)
{
    const QString gone = ShortSource(QStringLiteral("gone.wav"));
    const std::vector<CConversionTask> tasks{TaskFor(ShortSource(QStringLiteral("first.wav"))), TaskFor(gone),
                                             TaskFor(ShortSource(QStringLiteral("third.wav")))};
    QFile::remove(gone);
    Run(tasks);

    const QStringList log = LogTexts();
    EXPECT_EQ(log.count(kSeparator), 2);
    EXPECT_EQ(log.count(QStringLiteral("Converting status: OK.")), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("File Error: No such file or directory"))) << log.join(u'\n').toStdString();
    EXPECT_EQ(log.last(), QStringLiteral("Converting status: ERROR."));
    EXPECT_EQ(m_state.DoneCount(), 0);
    EXPECT_FALSE(QFileInfo::exists(OutPath(QStringLiteral("third.mp3"))));
}

TEST_F(BatchDriver, SourceThatLibsndfileCannotReadIsAnError)
{
    const CConversionTask task = TaskFor(ShortSource(QStringLiteral("bad.wav")));
    QFile bad(task.m_strSource);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("RIFF nonsense that is not a wave file");
    bad.close();
    Run({task});

    const QStringList log = LogTexts();
    EXPECT_TRUE(log.contains(QStringLiteral("Error : could not open file : %1").arg(task.m_strSource)));
    EXPECT_EQ(log.last(), QStringLiteral("Converting status: ERROR."));
    EXPECT_TRUE(m_state.m_pEffectsThread.Get()->Wait(0));
    EXPECT_TRUE(m_state.m_pEncoderThread.Get() == nullptr || m_state.m_pEncoderThread.Get()->Wait(0));
}

TEST_F(BatchDriver, FolderThatCannotBeCreatedEndsTheBatchWithoutAStatusLine)
{
    QFile(m_dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    g_encoderSettings.DesDir = m_dir.filePath(QStringLiteral("file/sub")) + u'/';
    Run({TaskFor(ShortSource(QStringLiteral("a.wav")))});

    const QStringList log = LogTexts();
    ASSERT_EQ(log.size(), 2) << log.join(u'\n').toStdString();
    EXPECT_EQ(log[1], QStringLiteral("Fail to create folder %1 !").arg(m_dir.filePath(QStringLiteral("file/sub"))));
    EXPECT_EQ(m_state.DoneCount(), 0);
}

}  // namespace
