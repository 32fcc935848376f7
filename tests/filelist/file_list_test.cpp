#include "app/loading_dialog.h"
#include "batch/progress_window.h"
#include "filelist/file_item.h"
#include "filelist/list_state.h"
#include "filelist/main_window.h"
#include "ui/report_ctrl.h"
#include "settings/encoder_settings.h"
#include "support/modal_answer.h"
#include "ui/app_profile.h"
#include "ui/report_model.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QSettings>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kWavHeaderBytes = 44;
constexpr qint64 kChunkHeaderBytes = 8;

void AppendLE32(QByteArray& bytes, quint32 value)
{
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

void AppendLE16(QByteArray& bytes, quint16 value)
{
    char le[2];
    qToLittleEndian(value, le);
    bytes.append(le, 2);
}

// A 16-bit PCM WAV file whose samples are a hole in the file, so a four-minute file costs nothing to write;
// the list reads headers only. With fileBytes above the natural size, a JUNK chunk before the data pads it.
void WriteSilentWav(const QString& path, int rate, int channels, qint64 frames, qint64 fileBytes = 0)
{
    const qint64 dataBytes = frames * channels * 2;
    const qint64 junkBytes = fileBytes > 0 ? fileBytes - kWavHeaderBytes - dataBytes - kChunkHeaderBytes : -1;
    QByteArray header("RIFF");
    AppendLE32(header, static_cast<quint32>((fileBytes > 0 ? fileBytes : kWavHeaderBytes + dataBytes) - 8));
    header.append("WAVEfmt ");
    AppendLE32(header, 16);
    AppendLE16(header, 1);
    AppendLE16(header, static_cast<quint16>(channels));
    AppendLE32(header, static_cast<quint32>(rate));
    AppendLE32(header, static_cast<quint32>(rate * channels * 2));
    AppendLE16(header, static_cast<quint16>(channels * 2));
    AppendLE16(header, 16);
    if (junkBytes >= 0) {
        header.append("JUNK");
        AppendLE32(header, static_cast<quint32>(junkBytes));
        header.append(junkBytes, '\0');
    }
    header.append("data");
    AppendLE32(header, static_cast<quint32>(dataBytes));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(header), header.size());
    QVERIFY(file.resize(header.size() + dataBytes));
}

}  // namespace

class FileListTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QSettings(u"Brellum Corporation"_s, u"Quorbel"_s).clear();
        m_nBatches = 0;
        OpenWindow();
        g_encoderSettings.DesDir = Path("out/deeper") + u'/';
    }
    void cleanup()
    {
        m_dlg.reset();
        m_dir.reset();
    }

    void firstRunDefaults()
    {
        QVERIFY(m_dlg->isMaximized());
        QCOMPARE(PackSortInfo(List()->sortInfo), PackSortInfo({ColumnSortInfo{kColName, 1}}));
        QCOMPARE(List()->GetColumnCount(), 8);
        QCOMPARE(List()->model()->headerData(5, Qt::Horizontal).toString(), u"Duration"_s);
        for (int column = 0; column < kFileListColumnCount; ++column) {
            QVERIFY(List()->IsColumnVisible(column));
            QCOMPARE(List()->columnWidth(column), kFileListColumns[static_cast<std::size_t>(column)].width);
        }
    }

    void shortStoredValuesFallBack_data()
    {
        QTest::addColumn<QByteArray>("column");
        QTest::addColumn<QByteArray>("sortEx");
        QTest::addColumn<QByteArray>("keys");
        const QByteArray nameAscending = PackSortInfo({ColumnSortInfo{kColName, 1}});
        const QByteArray threeColumns = PackColumnLayout({{1, 200}, {1, 210}, {0, 70}});
        QTest::newRow("short sort keys") << threeColumns << QByteArray(4, '\1') << nameAscending;
        QTest::newRow("two sort keys and a remainder")
            << threeColumns + QByteArray(5, '\1') << PackSortInfo({{kColSize, 0}, {kColName, 1}}) + QByteArray(3, '\0')
            << PackSortInfo({{kColSize, 0}, {kColName, 1}});
    }
    void shortStoredValuesFallBack()
    {
        QFETCH(QByteArray, column);
        QFETCH(QByteArray, sortEx);
        QFETCH(QByteArray, keys);
        WriteProfileBinary(u"FileList"_s, u"Column"_s, column);
        WriteProfileBinary(u"FileList"_s, u"SortEx"_s, sortEx);
        OpenWindow();

        QCOMPARE(PackSortInfo(List()->sortInfo), keys);
        QList<int> widths;
        for (int index = 0; index < kFileListColumnCount; ++index) {
            QCOMPARE(List()->IsColumnVisible(index), index != kColType);
            widths << (index == kColType ? List()->GetColumnState(index).width : List()->columnWidth(index));
        }
        QCOMPARE(widths, (QList<int>{200, 210, 70, 85, 120, 88, 96, 88}));
    }

    void restartRestoresLayoutKeysAndPlacement()
    {
        List()->ShowColumn(kColDuration, false);
        List()->horizontalHeader()->resizeSection(kColPath, 300);
        List()->sortInfo = {{kColName, 1}, {kColSize, 0}};
        m_dlg->showNormal();
        const QRect normal(40, 60, 700, 420);
        m_dlg->setGeometry(normal);
        m_dlg->close();
        QVERIFY(m_dlg->isHidden());

        OpenWindow();
        QVERIFY(!m_dlg->isMaximized());
        QCOMPARE(m_dlg->geometry(), normal);
        QCOMPARE(List()->columnWidth(kColPath), 300);
        QVERIFY(!List()->IsColumnVisible(kColDuration));
        QCOMPARE(PackSortInfo(List()->sortInfo), PackSortInfo({{kColName, 1}, {kColSize, 0}}));
        List()->ShowColumn(kColDuration, true);
        QCOMPARE(List()->columnWidth(kColDuration), 88);
    }

    void rowTexts_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<qint64>("frames");
        QTest::addColumn<qint64>("fileBytes");
        QTest::addColumn<QStringList>("texts");  // Type, Size(MB), Duration, Frequency, Channel

        QTest::newRow("four minutes") << u"long.wav"_s << 44100 << 2 << qint64(10584000) << qint64(0)
                                      << QStringList{u"WAV"_s, u"40.37"_s, u"00:04:00"_s, u"44100 Hz"_s, u"2 (Stereo)"_s};
        QTest::newRow("under a second") << u"short.wav"_s << 44100 << 1 << qint64(22050) << qint64(0)
                                        << QStringList{u"WAV"_s, u"0.04"_s, u""_s, u"44100 Hz"_s, u"1 (Mono)"_s};
        QTest::newRow("six channels") << u"surround.wav"_s << 48000 << 6 << qint64(48000) << qint64(0)
                                      << QStringList{u"WAV"_s, u"0.55"_s, u"00:00:01"_s, u"48000 Hz"_s, u"6"_s};
        QTest::newRow("exactly one MB") << u"mb.wav"_s << 8000 << 2 << qint64(262133) << qint64(0)
                                        << QStringList{u"WAV"_s, u"1.00"_s, u"00:00:32"_s, u"8000 Hz"_s, u"2 (Stereo)"_s};
        QTest::newRow("mixed-case extension") << u"song.Wav"_s << 8000 << 1 << qint64(16000) << qint64(0)
                                              << QStringList{u"WAV"_s, u"0.03"_s, u"00:00:02"_s, u"8000 Hz"_s, u"1 (Mono)"_s};
        QTest::newRow("mp3 name") << u"song.mp3"_s << 8000 << 1 << qint64(16000) << qint64(0)
                                  << QStringList{u"Unknown"_s, u"0.03"_s, u""_s, u""_s, u""_s};
        QTest::newRow("no dot") << u"song"_s << 8000 << 1 << qint64(16000) << qint64(0)
                                << QStringList{u"Unknown"_s, u"0.03"_s, u""_s, u""_s, u""_s};
    }
    void rowTexts()
    {
        QFETCH(QString, fileName);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(qint64, frames);
        QFETCH(qint64, fileBytes);
        QFETCH(QStringList, texts);
        WriteSilentWav(Path(fileName), rate, channels, frames, fileBytes);

        AddFiles({Path(fileName)});

        QCOMPARE(List()->CountItems(RS_ANY), 1);
        QCOMPARE(List()->GetItemText(0, kColName), fileName);
        QCOMPARE(List()->GetItemText(0, kColPath), m_dir->path() + u'/');
        QVERIFY(!List()->GetItemText(0, kColModified).isEmpty());
        QStringList shown;
        for (const int column : {kColType, kColSize, kColDuration, kColFrequency, kColChannel})
            shown << List()->GetItemText(0, column);
        QCOMPARE(shown, texts);

        const auto& info = RowInfo(*List(), 0);
        const bool invalid = texts.front() == u"Unknown"_s;
        QCOMPARE(info.m_bInvalid, invalid ? 1 : 0);
        QCOMPARE(info.m_nSamples, invalid ? 0u : static_cast<quint64>(frames * channels));
        const QModelIndex type = List()->model()->index(0, kColType);
        QCOMPARE(type.data(Qt::ForegroundRole).value<QColor>() == QColor(255, 0, 0), invalid);
        QCOMPARE(type.data(Qt::BackgroundRole).value<QColor>() == QColor(255, 225, 241), invalid);
        QVERIFY(!List()->model()->index(0, kColName).data(Qt::DecorationRole).value<QIcon>().isNull());
    }

    void totalsAndSelectionTexts()
    {
        WriteSilentWav(Path("a.wav"), 10000, 1, 599000, 1572864);  // 1.5 MB, 59.9 s
        WriteSilentWav(Path("b.wav"), 10000, 1, 606000, 2359296);  // 2.25 MB, 60.6 s
        AddFiles({Path("b.wav"), Path("a.wav")});

        QCOMPARE(m_dlg->StatusPane(0)->text(), u"2 file(s)   3.75 MB   00:02:00"_s);
        QCOMPARE(m_dlg->StatusPane(0)->toolTip(), m_dlg->StatusPane(0)->text());
        QCOMPARE(m_dlg->StatusPane(1)->text(), u" No file selected"_s);
        QCOMPARE(m_dlg->StatusPane(1)->toolTip(), u"No file selected"_s);
        QCOMPARE(m_dlg->windowTitle(), u"Quorbel"_s);
        QCOMPARE(List()->GetItemText(0, kColName), u"a.wav"_s);

        ClickRow(0, Qt::NoModifier);
        QCOMPARE(m_dlg->StatusPane(1)->text(), u"1 file(s) selected, 1.50 MB   00:00:59"_s);
        ClickRow(1, Qt::ControlModifier);
        QCOMPARE(m_dlg->StatusPane(1)->text(), u"2 file(s) selected, 3.75 MB   00:02:00"_s);

        // A file picked again gets a second row and counts twice.
        AddFiles({Path("a.wav")});
        QCOMPARE(List()->CountItems(RS_ANY), 3);
        QCOMPARE(m_dlg->StatusPane(0)->text(), u"3 file(s)   5.25 MB   00:03:00"_s);
    }

    void loadSortsByTheKeysAndMarksThePrimaryColumn()
    {
        for (const auto& [name, frames] : {std::pair{"x.wav", 3000}, std::pair{"y.wav", 1000}, std::pair{"z.wav", 2000}})
            WriteSilentWav(Path(QString::fromLatin1(name)), 8000, 1, frames);
        List()->sortInfo = {ColumnSortInfo{kColSize, 0}};
        AddFiles({Path("y.wav"), Path("z.wav"), Path("x.wav"), Path("missing.wav")});

        QCOMPARE(Names(), (QStringList{u"x.wav"_s, u"z.wav"_s, u"y.wav"_s}));
        for (int column = 0; column < kFileListColumnCount; ++column) {
            const QVariant image = List()->model()->headerData(column, Qt::Horizontal, CReportModel::kHeaderImageRightRole);
            QCOMPARE(image.value<QIcon>().isNull(), column != kColSize);
        }
    }

    void cancelledOpenDialogChangesNothing()
    {
        AddFiles({});
        QCOMPARE(List()->CountItems(RS_ANY), 0);
        QCOMPARE(m_dlg->StatusPane(0)->text(), QString());
        QCOMPARE(m_dlg->StatusPane(1)->text(), QString());
        QCOMPARE(m_dlg->windowTitle(), u"Quorbel"_s);
    }

    void cancelInLoadingDialogKeepsTheRowsFilledSoFar()
    {
        QStringList paths;
        for (int file = 0; file < 5; ++file) {
            paths << Path(u"f%1.wav"_s.arg(file));
            WriteSilentWav(paths.back(), 8000, 1, 8000);
        }
        // Cancel while the second row is being filled: that row is completed, the rest are skipped.
        auto* cancel = g_loadingDlg->findChild<QPushButton*>();
        QVERIFY(cancel);
        // Meanwhile the window refuses to close and to convert.
        QString titleDuringLoad;
        connect(List()->model(), &QAbstractItemModel::rowsInserted, this, [this, cancel, &titleDuringLoad] {
            titleDuringLoad = m_dlg->windowTitle();
            m_dlg->close();
            QTest::keyClick(List(), Qt::Key_F3);
            if (List()->model()->rowCount() == 2)
                cancel->click();
        });
        AddFiles(paths);

        QCOMPARE(titleDuringLoad, u"Loading files, this may takes up to minutes, please wait..."_s);
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_nBatches, 0);
        QCOMPARE(List()->CountItems(RS_ANY), 2);
        QCOMPARE(List()->GetItemText(1, kColFrequency), u"8000 Hz"_s);
        QCOMPARE(m_dlg->StatusPane(0)->text(), u"2 file(s)   0.03 MB   00:00:02"_s);
        QCOMPARE(m_dlg->StatusPane(1)->text(), u" No file selected"_s);
        QCOMPARE(g_listBusy.load(), 0);
        QVERIFY(g_loadingDlg->isHidden());
        QCOMPARE(m_dlg->windowTitle(), u"Quorbel"_s);
    }

    void failuresAreToldInABox_data()
    {
        QTest::addColumn<bool>("chooserFails");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");
        QTest::newRow("header libsndfile cannot read") << false << u"Error : could not open file : %1"_s << 1;
        QTest::newRow("load fails") << true << u"An Error Occurred While Loading Files!"_s << 0;
    }
    void failuresAreToldInABox()
    {
        QFETCH(bool, chooserFails);
        QFETCH(QString, message);
        QFETCH(int, rows);
        QFile broken(Path("broken.wav"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(100, 'x'));
        broken.close();

        m_strBoxText.clear();
        AnswerNextMessageBox(QMessageBox::NoButton, &m_strBoxText);
        m_dlg->chooseFiles = [this, chooserFails](QWidget*) {
            if (chooserFails)
                throw std::bad_alloc();
            return QStringList{Path("broken.wav")};
        };
        QTest::keyClick(m_dlg.get(), Qt::Key_F6);
        m_dlg->WaitForLoaderThread();

        QCOMPARE(m_strBoxText, message.arg(Path("broken.wav")));
        QCOMPARE(List()->CountItems(RS_ANY), rows);
        if (rows != 0)
            QCOMPARE(List()->GetItemText(0, kColType), u"Unknown"_s);
        QCOMPARE(m_dlg->windowTitle(), u"Quorbel"_s);
    }

    void deleteDuringALoadEndsItAndKeepsTheTotals()
    {
        const QStringList paths = SilentFiles(5);
        // The user selects the first row and presses Delete while the third file is being added.
        connect(List()->model(), &QAbstractItemModel::rowsInserted, this, [this] {
            if (List()->model()->rowCount() == 3)
                QTimer::singleShot(0, this, [this] {
                    ClickRow(0, Qt::NoModifier);
                    QTest::keyClick(List(), Qt::Key_Delete);
                });
        });
        AddFiles(paths);

        // The load stops at its next check, which may come only after the files already in hand.
        const int rows = List()->CountItems(RS_ANY);
        QVERIFY(rows >= 2 && rows <= 4);
        QVERIFY(!Names().contains(u"f0.wav"_s));
        double sizeMB = 0;
        double duration = 0;
        for (int row = 0; row < rows; ++row) {
            const auto& info = RowInfo(*List(), row);
            sizeMB += info.m_dSizeMB;
            duration += info.m_dDuration;
        }
        QCOMPARE(m_dlg->StatusPane(0)->text(), TotalsText(rows, sizeMB, duration));
        QCOMPARE(m_dlg->windowTitle(), u"Quorbel"_s);
    }

    void removeLeavesTheOtherRowsInOrder()
    {
        const QStringList paths = SilentFiles(6);
        AddFiles(paths);
        ClickRow(1, Qt::NoModifier);
        ClickRow(3, Qt::ControlModifier);
        ClickRow(4, Qt::ControlModifier);
        QTest::keyClick(List(), Qt::Key_Delete);

        QCOMPARE(Names(), (QStringList{u"f0.wav"_s, u"f2.wav"_s, u"f5.wav"_s}));
        // 1 + 3 + 6 seconds of 16,000 bytes each, with three 44-byte headers.
        QCOMPARE(m_dlg->StatusPane(0)->text(),
                 u"3 file(s)   %1 MB   00:00:10"_s.arg((10 * 16000 + 3 * 44) / 1048576.0, 0, 'f', 2));
        QCOMPARE(m_dlg->StatusPane(1)->text(), u"No file selected"_s);

        QTest::keyClick(List(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(List()->CountItems(RS_SELECTED), 3);
        QCOMPARE(m_dlg->StatusPane(1)->text(),
                 u"3 file(s) selected, %1 MB   00:00:10"_s.arg((10 * 16000 + 3 * 44) / 1048576.0, 0, 'f', 2));

        m_dlg->OnRemoveAll();
        QCOMPARE(List()->CountItems(RS_ANY), 0);
        QCOMPARE(m_dlg->StatusPane(0)->text(), u"No file"_s);
        QCOMPARE(m_dlg->StatusPane(1)->text(), u"No file selected"_s);
    }

    void rename_data()
    {
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("free name") << u"renamed.wav"_s << true;
        QTest::newRow("name taken") << u"other.wav"_s << false;
    }
    void rename()
    {
        QFETCH(QString, newName);
        QFETCH(bool, renamed);
        WriteSilentWav(Path("a.wav"), 8000, 1, 800);
        WriteSilentWav(Path("other.wav"), 8000, 1, 1600);
        AddFiles({Path("a.wav")});
        ClickRow(0, Qt::NoModifier);
        QTest::keyClick(List(), Qt::Key_F2);
        auto* box = List()->findChild<QLineEdit*>();
        QVERIFY(box && box->isVisible());
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClicks(box, newName);
        m_strBoxText.clear();
        QObject scope;  // a rename that succeeds shows no box to answer
        AnswerNextMessageBox(QMessageBox::NoButton, &m_strBoxText, &scope);
        QTest::keyClick(box, Qt::Key_Return);

        QCOMPARE(m_strBoxText, renamed ? QString() : u"Fail to Rename File!"_s);
        QCOMPARE(List()->GetItemText(0, kColName), renamed ? newName : u"a.wav"_s);
        QCOMPARE(QFile::exists(Path("a.wav")), !renamed);
        QCOMPARE(QFileInfo(Path("other.wav")).size(), 44 + 3200);
        QCOMPARE(QFile::exists(Path(newName)), true);
    }

    void convertAllBuildsTasksForValidRows_data()
    {
        QTest::addColumn<int>("channels");
        QTest::newRow("stereo 48 kHz") << 2;
        QTest::newRow("six channels 48 kHz") << 6;
    }
    void convertAllBuildsTasksForValidRows()
    {
        QFETCH(int, channels);
        WriteSilentWav(Path("Track.01.wav"), 48000, channels, 480000);
        WriteSilentWav(Path("not audio.mp3"), 48000, channels, 48);
        AddFiles({Path("Track.01.wav"), Path("not audio.mp3")});

        QTest::keyClick(List(), Qt::Key_F3);

        QCOMPARE(m_nBatches, 1);
        QCOMPARE(m_tasks.size(), std::size_t(1));
        const CConversionTask& task = m_tasks.front();
        QCOMPARE(task.m_strSource, Path("Track.01.wav"));
        QCOMPARE(task.m_strDest, g_encoderSettings.DesDir + u"Track.01.mp3"_s);
        QCOMPARE(task.m_nSourceRate, 48000u);
        QCOMPARE(task.m_nSourceChannels, static_cast<std::uint32_t>(channels));
        QCOMPARE(task.m_nTargetRate, 44100u);
        QCOMPARE(task.m_nTargetChannels, 2u);
        QCOMPARE(task.m_nTotalSamples, quint64(882000));
        QCOMPARE(m_nBatchSamplesTotal, quint64(882000));
        QVERIFY(QFileInfo(g_encoderSettings.DesDir).isDir());
    }

    void convertSelectedTakesOnlySelectedRows()
    {
        WriteSilentWav(Path("a.wav"), 8000, 1, 8000);
        WriteSilentWav(Path("b.wav"), 8000, 1, 8000);
        AddFiles({Path("a.wav"), Path("b.wav")});

        QTest::keyClick(List(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(m_nBatches, 0);

        const QRect cell = List()->visualRect(List()->model()->index(1, kColPath));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_nBatches, 1);
        QCOMPARE(m_tasks.size(), std::size_t(1));
        QCOMPARE(m_tasks.front().m_strSource, Path("b.wav"));
    }

private:
    // f0.wav, f1.wav, ...: mono 8 kHz files of 1, 2, ... seconds.
    QStringList SilentFiles(int count)
    {
        QStringList paths;
        for (int file = 0; file < count; ++file) {
            paths << Path(u"f%1.wav"_s.arg(file));
            WriteSilentWav(paths.back(), 8000, 1, 8000 * (file + 1));
        }
        return paths;
    }

    // Starts the main window as the application does, replacing the one open.
    void OpenWindow()
    {
        m_dlg.reset();
        m_dlg = std::make_unique<CNorvDlg>();
        m_dlg->runBatch = [this](CConvProg& progress) {
            m_tasks = progress.m_tasks;
            m_nBatchSamplesTotal = progress.m_nBatchSamplesTotal;
            ++m_nBatches;
        };
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }

    QStringList Names() const
    {
        QStringList names;
        for (int row = 0; row < List()->CountItems(RS_ANY); ++row)
            names << List()->GetItemText(row, kColName);
        return names;
    }

    CReportCtrl* List() const { return m_dlg->List(); }
    QString Path(const QString& name) const { return m_dir->filePath(name); }
    QString Path(const char* name) const { return Path(QString::fromLatin1(name)); }

    // The user presses F6 and picks `paths`; returns when the load has ended.
    void AddFiles(const QStringList& paths)
    {
        m_dlg->chooseFiles = [paths](QWidget*) { return paths; };
        QTest::keyClick(m_dlg.get(), Qt::Key_F6);
        m_dlg->WaitForLoaderThread();
    }

    void ClickRow(int row, Qt::KeyboardModifiers modifiers)
    {
        const QRect cell = List()->visualRect(List()->model()->index(row, kColPath));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers, cell.center());
    }

    std::unique_ptr<QTemporaryDir> m_dir;  // fresh for every test
    std::unique_ptr<CNorvDlg> m_dlg;
    std::vector<CConversionTask> m_tasks;  // of the last batch the window ran
    std::uint64_t m_nBatchSamplesTotal = 0;
    int m_nBatches = 0;
    QString m_strBoxText;
};

QTEST_MAIN(FileListTest)
#include "file_list_test.moc"
