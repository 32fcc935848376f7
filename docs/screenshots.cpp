// Takes the README's pictures of the windows with their own grab, on the offscreen platform, from a
// throwaway home folder so that the user's settings and profile are never touched.
#include "filelist/main_window.h"
#include "settings/options_dialog.h"
#include "support/wav_fixture.h"
#include "ui/report_ctrl.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct SampleFile {
    const char* name;
    int rate;
    std::vector<Tone> channels;
    double seconds;
};

bool Save(QWidget& window, const QString& path)
{
    window.repaint();
    QApplication::processEvents();
    if (window.grab().save(path))
        return true;
    std::fprintf(stderr, "could not write %s\n", qUtf8Printable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quorbel"));
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(output);

    const QString music = home.filePath(QStringLiteral("Music/Session 2026"));
    QDir().mkpath(music);
    const SampleFile samples[] = {
        {"Interview - part 1.wav", 48000, {{220, 0.3}, {220, 0.3}}, 6.5},
        {"Interview - part 2.wav", 48000, {{220, 0.3}, {220, 0.3}}, 4.2},
        {"Piano take 3.wav", 44100, {{440, 0.4}, {660, 0.4}}, 3.1},
        {"Room tone.wav", 22050, {{110, 0.1}}, 2.0},
        {"Voice memo.WAV", 16000, {{300, 0.5}}, 1.4},
    };
    QStringList paths;
    for (const SampleFile& sample : samples) {
        paths << QDir(music).filePath(QString::fromUtf8(sample.name));
        WriteToneFile(paths.back(), sample.rate, sample.channels, sample.seconds);
    }

    CNorvDlg mainWindow;
    mainWindow.setWindowState(Qt::WindowNoState);
    mainWindow.resize(1180, 420);
    mainWindow.show();
    mainWindow.chooseFiles = [paths](QWidget*) { return paths; };
    mainWindow.OnAddFiles();
    mainWindow.WaitForLoaderThread();
    mainWindow.List()->SetItemStates(0, RS_SELECTED | RS_FOCUSED);
    mainWindow.List()->SetItemStates(1, RS_SELECTED);
    mainWindow.UpdateSelectionText();
    bool saved = Save(mainWindow, QDir(output).filePath(QStringLiteral("main_window.png")));

    COption options(&mainWindow, [] {});
    options.show();
    saved = Save(options, QDir(output).filePath(QStringLiteral("options_dialog.png"))) && saved;
    return saved ? 0 : 1;
}
