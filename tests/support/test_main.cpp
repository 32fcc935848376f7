#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Every test program runs with a home and configuration folders of its own, so that no test reads or
// writes the real user's files.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    qputenv("HOME", QFile::encodeName(home.path()));
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        qunsetenv(variable);
    QStandardPaths::setTestModeEnabled(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
