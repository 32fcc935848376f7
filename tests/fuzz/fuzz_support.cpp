#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

// Read by LeakSanitizer where it is linked in: the font configuration Qt loads on first use is never freed.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

void FuzzFail(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
    std::abort();
}

const QString& FuzzScratchDir()
{
    static const QTemporaryDir dir = [] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
        return QTemporaryDir(base + QStringLiteral("/quorbel-fuzz-XXXXXX"));
    }();
    static const QString path = [] {
        FUZZ_CHECK(dir.isValid());
        qputenv("HOME", QFile::encodeName(dir.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
        for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            qunsetenv(variable);
        QStandardPaths::setTestModeEnabled(true);
        return dir.path();
    }();
    return path;
}

void WriteInputFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}
