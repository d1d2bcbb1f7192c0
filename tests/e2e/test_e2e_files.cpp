// From the virtual meter to paper: a recording through the toolbar, the file opened with "Open"
// into FileListReal, its exceedance table at 0.1 dB, its list printed to a PDF read back with
// pdftotext, and its plot printed. Data files named on kirv's command line take the same road.
#include "tests/e2e/e2e_fixture.h"
#include "tests/records/pdf_lines.h"

#include "kirv/plots/ui/histogram.h"
#include "kirv/plots/ui/level_statistics_command.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/app/options.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/datafile.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/panel_recording.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <tuple>
#include <QtTest>

using namespace kirv;

namespace {

// Records a few seconds of a steady 70.0 dB into `target` through "Save" and its panel.
bool record(E2eFixture& f, const QString& folder, const QString& target)
{
    PanelRecording& rec = *f.app.parts().recording;
    rec.setWorkingFolder(folder);
    f.meter->setLevel(70.0);
    f.meter->setRangeCode(2);
    if (!QTest::qWaitFor([&] { return rec.liveList().count() >= 1; }, 5000))
        return false;
    f.panel->toolbarWidget(1)->click();
    f.dialogs->files.enqueue(target);
    QTest::mouseClick(rec.CmdSaveOK, Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return rec.LblCount->text() == QLatin1String("3"); }, 8000))
        return false;
    f.panel->toolbarWidget(1)->click();
    return !rec.recording() && QFile::exists(target);
}

} // namespace

class TestE2eFiles : public QObject
{
    Q_OBJECT
private slots:
    void recordOpenAndPrint()
    {
        QTemporaryDir dir;
        E2eFixture f;
        const QString target = dir.filePath(QStringLiteral("run.kirv"));
        QVERIFY(record(f, dir.path(), target));
        const DataFileContent file = readDataFile(target);
        QVERIFY2(file.records.count() >= 3, qPrintable(file.error));
        const QStringList header = file.headerLines;

        // "Open" reads the file into FileListReal, its header on the boards.
        f.dialogs->files.enqueue(target);
        f.panel->toolbarWidget(2)->click();
        auto* view = f.panel->findChild<FileList*>(QStringLiteral("FileListReal"));
        QVERIFY(view);
        QVERIFY(view->isVisible());
        QCOMPARE(view->windowTitle(), QStringLiteral("run.kirv"));
        QCOMPARE(view->records().count(), file.records.count());
        const QStringList boards{view->BoardCA->text(),      view->BoardSFI->text(),
                                 view->BoardLevel->text(),   view->BoardMaxdB->text(),
                                 view->BoardMaxTime->text(), view->BoardSEL->text(),
                                 view->BoardLeq->text()};
        QCOMPARE(boards, header.mid(2, 7));
        QCOMPARE(f.panel->windowTitle(), QStringLiteral("Panel   V7.0"));
        QVERIFY(f.panel->Timer1->isActive() && f.panel->Timer2->isActive());

        // "0.1 dB": every level was 70.0, so is every entry of the exceedance table.
        view->toolbarButton(QStringLiteral("Ln"))->trigger();
        QTest::mouseClick(view->Cmd01dB, Qt::LeftButton);
        Histogram* histogram = levelStatistics().histogram;
        QVERIFY(histogram && histogram->isVisible());
        QCOMPARE(histogram->GridLn->rowCount(), 10);
        for (int j = 0; j < 100; ++j)
            QCOMPARE(histogram->GridLn->item(j / 10, j % 10 + 1)->text(), QStringLiteral("70.0"));
        QCOMPARE(levelStatistics().StatRecordCount, file.records.count());
        QVERIFY(view->PicResolution->isHidden());
        QVERIFY(f.panel->Timer1->isActive() && f.panel->Timer2->isActive());

        // Its list on paper, two records to a line.
        const QString pdf = dir.filePath(QStringLiteral("run.pdf"));
        f.dialogs->prints.enqueue(true);
        f.dialogs->printPdfs.enqueue(pdf);
        f.dialogs->inputs.enqueue(QStringLiteral("2"));
        view->toolbarButton(QStringLiteral("Print"))->trigger();
        QStringList printed{"- Freq Weight : " + header[2],
                            "- Time Weight : " + header[3],
                            "- Level Range : " + header[4],
                            "- Max dB : " + header[5] + " - " + header[6],
                            "- SEL : " + header[7],
                            "- Leq : " + header[8],
                            "-",
                            "No.s Date Time (dB)",
                            QString(71, u'-')};
        const RecordStore& records = file.records;
        for (qsizetype i = 0; i < records.count(); i += 2) {
            QString line = records.text(i, NumberColumn) + u' ' + records.text(i, TimeColumn) +
                           u' ' + records.text(i, LevelColumn);
            if (i + 1 < records.count())
                line += u' ' + records.text(i + 1, LevelColumn);
            printed.append(line);
        }
        QCOMPARE(test::pdfLines(pdf), printed);
        QCOMPARE(view->windowTitle(), QStringLiteral("run.kirv"));
        QVERIFY(f.panel->Timer1->isActive() && f.panel->Timer2->isActive());

        // "Plot", and the plot on paper.
        view->toolbarButton(QStringLiteral("Plot"))->trigger();
        Plot* plot = plotWindow();
        QVERIFY(plot && plot->isVisible());
        QCOMPARE(plotRows(), records.count());
        const QString graphPdf = dir.filePath(QStringLiteral("plot.pdf"));
        f.dialogs->prints.enqueue(true);
        f.dialogs->printPdfs.enqueue(graphPdf);
        plot->CmdPrint->click();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(graphPdf).size() > 0, 10000);
        QVERIFY(f.panel->Timer1->isActive() && f.panel->Timer2->isActive());
    }

    // `kirv FILE...`: each file in its view once the panel is up; one that cannot be read is
    // named with its reason in the message of "Open", and the files after it still open.
    void commandLineFiles()
    {
        const QString data = qEnvironmentVariable("KIRV_TEST_DATA");
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("gone.kirv"));
        QString message;
        bool isError = false;
        const auto options = parseOptions({"kirv", "--simulate", "--unpaced", "--com", "COM1",
                                           data + "/realtime_two_samples.kirv", missing,
                                           data + "/logger_three_samples.kirv"},
                                          &message, &isError);
        QVERIFY2(options, qPrintable(message));
        E2eFixture f(*options);
        QVERIFY(f.panel && f.panel->isVisible());
        const QList<MessageSpec> said = f.dialogs->messages();
        QCOMPARE(said.size(), 1);
        QCOMPARE(said[0].text, "Cannot open " + missing + ": No such file or directory");
        QCOMPARE(said[0].icon, QMessageBox::Critical);
        for (const auto& [name, title, count] :
             {std::tuple{"FileListReal", "realtime_two_samples.kirv", 2},
              std::tuple{"FileList", "logger_three_samples.kirv", 3}}) {
            auto* view = f.panel->findChild<FileList*>(QLatin1String(name));
            QVERIFY2(view && view->isVisible(), name);
            QCOMPARE(view->windowTitle(), QLatin1String(title));
            QCOMPARE(view->records().count(), count);
        }
    }

    // `kirv one.kirv two.kirv one.kirv`: two files of one kind in two views; the one named
    // twice (by another path) opens once.
    void commandLineTwoFilesOfOneKind()
    {
        const QString data = qEnvironmentVariable("KIRV_TEST_DATA");
        QTemporaryDir dir;
        for (const char* name : {"one.kirv", "two.kirv"})
            QVERIFY(QFile::copy(data + "/realtime_two_samples.kirv", dir.filePath(name)));
        QString message;
        bool isError = false;
        const auto options =
            parseOptions({"kirv", "--simulate", "--unpaced", "--com", "COM1", dir.filePath("one.kirv"),
                          dir.filePath("two.kirv"), dir.path() + "/./one.kirv"},
                         &message, &isError);
        QVERIFY2(options, qPrintable(message));
        E2eFixture f(*options);
        QVERIFY(f.panel && f.panel->isVisible());
        QCOMPARE(f.dialogs->messages().size(), 0);
        QStringList titles;
        for (const FileList* view : f.panel->findChildren<FileList*>("FileListReal")) {
            QVERIFY(view->isVisible());
            titles << view->windowTitle();
        }
        titles.sort();
        QCOMPARE(titles, (QStringList{"one.kirv", "two.kirv"}));
    }
};

QTEST_MAIN(TestE2eFiles)
#include "test_e2e_files.moc"
