// Pause, resume and cancel at random moments, cycle after cycle: each cycle runs a batch of three short
// files on the batch thread as the windows do, pauses and resumes it, cancels it, waits for the workers,
// and then judges every MP3 it left by what the reference decoder hears and by the log.
//
//   pause_cancel_soak [SEED [CYCLES]]     (a random seed and 100 cycles by default)
//
// The same seed replays the same schedule of files, pauses and cancels; where they land in the batch
// still depends on the machine's speed. Exits 1 on any failure.
#include "batch/batch_driver.h"
#include "batch/task_builder.h"
#include "engine/mp3_encoder.h"
#include "settings/encoder_settings.h"
#include "support/mp3_probe.h"
#include "support/recording_batch_state.h"
#include "support/wav_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <random>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kFilesPerCycle = 3;
constexpr std::uint32_t kStopTimeoutMs = 30000;
const QString kStatusOk = QStringLiteral("Converting status: OK.");
const QString kStatusError = QStringLiteral("Converting status: ERROR.");
const QString kDestinationPrefix = QStringLiteral("Destination: ");

struct SourceFile {
    QString path;
    FileItemInfo info;
};

struct Totals {
    int cycles = 0;
    int failures = 0;
    int finishedFirst = 0;      // the batch was done before the cancel came
    int cancelledInFile = 0;    // the cancel ended a file: "Converting status: ERROR."
    int cancelledBetween = 0;   // the cancel came between two files
    int cancelledPaused = 0;    // the cancel came while paused, as the window's question leaves it
    int cancelledAtFileEnd = 0;  // the cancel was aimed at the moment a file had ended
    int emptyPartials = 0;       // partial MP3 files without a single decoded frame
    int pauses = 0;
    int completeMp3 = 0;
    int partialMp3 = 0;
    int cancelledBeforeFile = 0;  // the cancel came before the encoder had created the file
    double maxStopMs = 0;
};

// Mixed formats the way a user's folder has them: rates from 16 to 48 kHz, mono and stereo, 16-bit,
// 24-bit and float, a tone under a slow tremolo. Decoded lengths are exact where no resampling happens.
std::vector<SourceFile> MakeSources(const QDir& folder)
{
    struct Shape {
        int rate;
        int channels;
        int format;
        double seconds;
    };
    const Shape shapes[] = {
        {44100, 2, SF_FORMAT_PCM_16, 2.0}, {48000, 2, SF_FORMAT_PCM_24, 1.5}, {22050, 1, SF_FORMAT_PCM_16, 3.0},
        {32000, 2, SF_FORMAT_FLOAT, 2.5},  {44100, 1, SF_FORMAT_PCM_24, 4.0}, {48000, 1, SF_FORMAT_FLOAT, 1.0},
        {44100, 2, SF_FORMAT_FLOAT, 3.5},  {16000, 2, SF_FORMAT_PCM_16, 2.0},
    };
    std::vector<SourceFile> sources;
    for (const Shape& shape : shapes) {
        const QString path = folder.filePath(QStringLiteral("src%1.wav").arg(sources.size()));
        const auto frames = static_cast<std::size_t>(shape.seconds * shape.rate);
        std::vector<double> samples(frames * static_cast<std::size_t>(shape.channels));
        for (std::size_t frame = 0; frame < frames; ++frame) {
            const double t = static_cast<double>(frame) / shape.rate;
            for (int ch = 0; ch < shape.channels; ++ch) {
                const double hz = 440.0 * (ch + 1) + 55.0 * static_cast<double>(sources.size());
                samples[frame * static_cast<std::size_t>(shape.channels) + static_cast<std::size_t>(ch)] =
                    0.4 * (0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.7 * t)) * std::sin(2 * std::numbers::pi * hz * t);
            }
        }
        WriteSoundFile(path, SF_FORMAT_WAV | shape.format, shape.channels, shape.rate, samples);
        SourceFile source{path, {}};
        source.info.m_nType = FileTypeOf(path);
        if (!ProbeAudioHeader(path, source.info)) {
            std::fprintf(stderr, "cannot probe the generated %s\n", qUtf8Printable(path));
            std::exit(1);
        }
        sources.push_back(source);
    }
    return sources;
}

QString LogText(const CRecordingBatchState& state)
{
    QString text;
    for (const auto& line : state.LogLines())
        text += QStringLiteral("    [%1] %2\n").arg(line.level).arg(line.text);
    return text;
}

// Everything the cycle left must be explained by the log, and every MP3 must decode and carry its tag.
QStringList Judge(const CRecordingBatchState& state, const QString& folder, Totals& totals)
{
    QStringList problems;
    QStringList destinations;
    QStringList statuses;
    for (const auto& line : state.LogLines()) {
        if (line.text.startsWith(kDestinationPrefix) && line.text.endsWith(u'.'))
            destinations.append(line.text.mid(kDestinationPrefix.size()).chopped(1));
        if (line.text == kStatusOk || line.text == kStatusError)
            statuses.append(line.text);
        if (line.level == kLogError && line.text != kStatusError)
            problems.append(QStringLiteral("unexpected error line: %1").arg(line.text));
    }
    if (!state.ErrorBoxes().empty())
        problems.append(QStringLiteral("unexpected message box: %1").arg(state.ErrorBoxes().front()));
    if (destinations.size() != statuses.size())
        problems.append(QStringLiteral("%1 destinations but %2 status lines").arg(destinations.size()).arg(statuses.size()));
    if (statuses.count(kStatusError) > 1 || (statuses.contains(kStatusError) && statuses.last() != kStatusError))
        problems.append(QStringLiteral("an error status that is not the last one"));
    if (state.DoneCount() == 1 && (statuses.size() != kFilesPerCycle || statuses.contains(kStatusError)))
        problems.append(QStringLiteral("done without every file converted"));
    if (state.DoneCount() > 1)
        problems.append(QStringLiteral("done posted %1 times").arg(state.DoneCount()));

    const QStringList present = QDir(folder).entryList({QStringLiteral("*.mp3")}, QDir::Files);
    for (const QString& name : present) {
        if (!destinations.contains(QDir(folder).filePath(name)))
            problems.append(QStringLiteral("an MP3 no destination line names: %1").arg(name));
    }
    for (qsizetype i = 0; i < destinations.size() && i < statuses.size(); ++i) {
        const QString& path = destinations[i];
        const CConversionTask& task = state.m_tasks[static_cast<std::size_t>(i)];
        const bool complete = statuses[i] == kStatusOk;
        if (!QFileInfo::exists(path)) {
            if (complete)
                problems.append(QStringLiteral("converted but missing: %1").arg(path));
            else
                ++totals.cancelledBeforeFile;
            continue;
        }
        ++(complete ? totals.completeMp3 : totals.partialMp3);
        if (!HasInfoTag(path))
            problems.append(QStringLiteral("no Info tag: %1").arg(path));
        const DecodedMp3 decoded = DecodeMp3(path);
        if (!decoded.ok) {
            problems.append(QStringLiteral("does not decode: %1").arg(path));
            continue;
        }
        const long long expected = static_cast<long long>(task.m_nTotalSamples / task.m_nTargetChannels);
        // Resampling may round the length by a frame or two; without it the tag makes it exact.
        const long long slack = task.m_nSourceRate == task.m_nTargetRate ? 0 : 2;
        if (decoded.rate != static_cast<int>(task.m_nTargetRate) || decoded.channels != static_cast<int>(task.m_nTargetChannels))
            problems.append(QStringLiteral("%1 Hz, %2 channels: %3").arg(decoded.rate).arg(decoded.channels).arg(path));
        if (complete && std::llabs(decoded.Frames() - expected) > slack)
            problems.append(QStringLiteral("%1 frames instead of %2: %3").arg(decoded.Frames()).arg(expected).arg(path));
        if (!complete && decoded.Frames() > expected + slack)
            problems.append(QStringLiteral("partial file longer than the whole: %1").arg(path));
        if (!complete && decoded.Frames() == 0)
            ++totals.emptyPartials;
    }
    return problems;
}

double SecondsOfAudio(const std::vector<const SourceFile*>& files)
{
    double seconds = 0;
    for (const SourceFile* file : files)
        seconds += static_cast<double>(file->info.m_nSamples) / file->info.m_nChannels / file->info.m_nSampleRate;
    return seconds;
}

std::unique_ptr<CRecordingBatchState> NewBatch(const std::vector<const SourceFile*>& files, const QString& folder)
{
    g_encoderSettings.DesDir = folder + u'/';
    auto state = std::make_unique<CRecordingBatchState>();
    for (const SourceFile* file : files) {
        state->m_tasks.push_back(BuildConversionTask(file->path, QFileInfo(file->path).fileName(), file->info));
        state->m_nBatchSamplesTotal += state->m_tasks.back().m_nTotalSamples;
    }
    return state;
}

// Waits until `fraction` of the batch's samples are encoded or the batch thread has ended; false when
// nothing moves for kStopTimeoutMs although the batch is not paused.
bool WaitForProgress(CRecordingBatchState& state, double fraction)
{
    const auto target = static_cast<std::uint64_t>(fraction * static_cast<double>(state.m_nBatchSamplesTotal));
    std::uint64_t last = 0;
    auto lastMove = Clock::now();
    while (state.m_nBatchSamplesDone.load(std::memory_order_relaxed) < target && !state.m_pBatchThread.Get()->Wait(0)) {
        const std::uint64_t done = state.m_nBatchSamplesDone.load(std::memory_order_relaxed);
        if (done != last) {
            last = done;
            lastMove = Clock::now();
        } else if (Clock::now() - lastMove > std::chrono::milliseconds(kStopTimeoutMs)) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Waits for the batch thread and the last file's stage threads; a worker that does not stop is a hang,
// after which nothing can be freed safely, so the program ends there.
double StopAndWait(CRecordingBatchState& state, int cycle)
{
    const auto cancelled = Clock::now();
    state.m_bRunning.Set(false);
    const bool stopped = state.m_pBatchThread.Get()->Wait(kStopTimeoutMs);
    const double stopMs = Ms(Clock::now() - cancelled).count();
    for (const platform::WorkerThreadSlot* slot : {&state.m_pEffectsThread, &state.m_pEncoderThread}) {
        if (stopped && slot->Get() && !slot->Get()->Wait(kStopTimeoutMs)) {
            std::fprintf(stderr, "cycle %d: a stage thread is still running after the batch thread ended\n", cycle);
            std::_Exit(1);
        }
    }
    if (!stopped) {
        std::fprintf(stderr, "cycle %d: the batch thread did not stop within %u ms of the cancel; log:\n%s", cycle,
                     kStopTimeoutMs, qUtf8Printable(LogText(state)));
        std::_Exit(1);
    }
    return stopMs;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::uint64_t seed = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : std::random_device{}();
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 100;
    if (argc > 3 || cycles <= 0) {
        std::fprintf(stderr, "usage: pause_cancel_soak [SEED [CYCLES]]\n");
        return 2;
    }
    std::printf("seed %llu, %d cycles\n", static_cast<unsigned long long>(seed), cycles);
    std::fflush(stdout);
    std::mt19937_64 random(seed);
    const auto uniform = [&random](double from, double to) { return std::uniform_real_distribution<double>(from, to)(random); };
    const auto coin = [&random] { return std::bernoulli_distribution(0.5)(random); };

    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    const QDir root(work.path());
    root.mkpath(QStringLiteral("in"));
    const std::vector<SourceFile> sources = MakeSources(QDir(root.filePath(QStringLiteral("in"))));

    CreateSampleRings();
    g_encoderSettings = EncoderSettings{};
    g_encoderSettings.Freq = 8;       // 44100 Hz
    g_encoderSettings.LameBits = 11;  // 128 kbit/s: the Info tag fits into the first frame
    SetEncoderModuleName(kEncoderModuleName);
    Totals totals;
    const auto runStart = Clock::now();

    // One batch of every source without pause or cancel, to see the whole path work and how fast it is here.
    std::vector<const SourceFile*> all;
    for (const SourceFile& source : sources)
        all.push_back(&source);
    {
        const QString folder = root.filePath(QStringLiteral("uncancelled"));
        auto state = NewBatch(all, folder);
        const auto start = Clock::now();
        StartBatch(*state, 0);
        state->m_pBatchThread.Get()->Wait(kStopTimeoutMs);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state->m_bRunning.Set(false);
        state->m_pBatchThread.Get()->Wait(kStopTimeoutMs);
        if (state->DoneCount() != 1) {
            std::fprintf(stderr, "the uncancelled batch did not finish; log:\n%s", qUtf8Printable(LogText(*state)));
            return 1;
        }
        std::printf("an uncancelled batch converts %.1f s of audio per second\n", SecondsOfAudio(all) / seconds);
        QDir(folder).removeRecursively();
    }

    for (int cycle = 1; cycle <= cycles; ++cycle) {
        // Repeats are welcome: a second copy of a file takes the "name (2).mp3" path.
        std::vector<const SourceFile*> files;
        for (int i = 0; i < kFilesPerCycle; ++i)
            files.push_back(&sources[std::uniform_int_distribution<std::size_t>(0, sources.size() - 1)(random)]);
        const QString folder = root.filePath(QStringLiteral("out/%1").arg(cycle, 3, 10, QChar(u'0')));
        auto state = NewBatch(files, folder);

        // Moments are points of the batch's progress (samples encoded), so that they spread over the
        // whole batch whatever the pauses cost; beyond 1 the cancel comes after the batch has ended. A few
        // milliseconds of jitter after each keeps them off the encoder's chunk boundaries.
        double cancelAt = uniform(0, 1.15);
        // Some cancels come the moment a file has ended, to catch the next file in its first moments.
        const int cancelAfterFile = std::bernoulli_distribution(0.2)(random)
                                        ? std::uniform_int_distribution<int>(1, kFilesPerCycle - 1)(random)
                                        : 0;
        if (cancelAfterFile > 0)
            cancelAt = static_cast<double>(cancelAfterFile) / kFilesPerCycle;
        std::vector<double> pauseAt(std::uniform_int_distribution<std::size_t>(0, 3)(random));
        for (double& at : pauseAt)
            at = uniform(0, std::min(cancelAt, 1.0));
        std::sort(pauseAt.begin(), pauseAt.end());
        // The window's Cancel pauses while it asks, then clears m_bRunning with the pause still set;
        // Ctrl+C in quorbel-convert clears it alone.
        const bool askFirst = coin() && cancelAfterFile == 0;
        const double questionMs = uniform(0, 100);

        QStringList problems;
        StartBatch(*state, 0);
        for (const double at : pauseAt) {
            if (!WaitForProgress(*state, at))
                problems.append(QStringLiteral("no progress for %1 ms before a pause").arg(kStopTimeoutMs));
            std::this_thread::sleep_for(Ms(uniform(0, 5)));
            state->m_bPaused.Set(true);
            std::this_thread::sleep_for(Ms(uniform(0, 250)));
            state->m_bPaused.Set(false);
            ++totals.pauses;
        }
        if (cancelAfterFile > 0) {
            while (state->m_nCurrentTask.load(std::memory_order_relaxed) < cancelAfterFile && !state->m_pBatchThread.Get()->Wait(0))
                std::this_thread::yield();
        } else {
            if (!WaitForProgress(*state, cancelAt))
                problems.append(QStringLiteral("no progress for %1 ms before the cancel").arg(kStopTimeoutMs));
            std::this_thread::sleep_for(Ms(uniform(0, 5)));
        }
        if (askFirst) {
            state->m_bPaused.Set(true);
            std::this_thread::sleep_for(Ms(questionMs));
        }
        // Only the cancel may stop a batch that has not posted its end.
        const bool stoppedByItself = !state->IsRunning() && state->DoneCount() == 0;
        const bool finishedFirst = state->DoneCount() == 1;
        const double stopMs = StopAndWait(*state, cycle);

        problems += Judge(*state, folder, totals);
        if (stoppedByItself)
            problems.prepend(QStringLiteral("the batch stopped before the cancel"));
        const QStringList log = [&state] {
            QStringList texts;
            for (const auto& line : state->LogLines())
                texts.append(line.text);
            return texts;
        }();
        ++totals.cycles;
        totals.maxStopMs = std::max(totals.maxStopMs, stopMs);
        if (finishedFirst) {
            ++totals.finishedFirst;
        } else {
            if (log.contains(kStatusError))
                ++totals.cancelledInFile;
            else
                ++totals.cancelledBetween;
            if (askFirst)
                ++totals.cancelledPaused;
            if (cancelAfterFile > 0)
                ++totals.cancelledAtFileEnd;
        }
        if (!problems.isEmpty()) {
            ++totals.failures;
            work.setAutoRemove(false);
            std::printf("cycle %d FAILED (output kept in %s):\n  %s\n  log:\n%s", cycle, qUtf8Printable(folder),
                        qUtf8Printable(problems.join(QStringLiteral("\n  "))), qUtf8Printable(LogText(*state)));
        } else {
            QDir(folder).removeRecursively();
        }
        if (cycle % 10 == 0) {
            std::printf("%3d cycles, %d failed\n", cycle, totals.failures);
            std::fflush(stdout);
        }
    }
    DestroySampleRings();

    const double seconds = std::chrono::duration<double>(Clock::now() - runStart).count();
    std::printf("\nseed %llu: %d cycles, %d failed, %.1f s\n", static_cast<unsigned long long>(seed), totals.cycles,
                totals.failures, seconds);
    std::printf("batches finished before the cancel: %d; cancelled within a file: %d, between files: %d; of the cancels, "
                "%d came while paused and %d the moment a file had ended; pauses: %d\n",
                totals.finishedFirst, totals.cancelledInFile, totals.cancelledBetween, totals.cancelledPaused,
                totals.cancelledAtFileEnd, totals.pauses);
    std::printf("MP3 files checked: %d complete, %d partial (%d of them without a decoded frame); cancels before the "
                "encoder had created its file: %d\n",
                totals.completeMp3, totals.partialMp3, totals.emptyPartials, totals.cancelledBeforeFile);
    std::printf("longest wait from the cancel to the end of the batch thread: %.1f ms\n", totals.maxStopMs);
    return totals.failures == 0 ? 0 : 1;
}
