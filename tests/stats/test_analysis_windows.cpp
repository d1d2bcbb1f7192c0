// A file of ten seconds at 60 dB whose only loud records (95 dB at 08:00:04 and 08:00:05) a
// sidecar masks. Set KIRV_SCREENSHOTS to a folder to keep images of the windows.
#define KIRV_FIXTURES ""
#include "tests/report/report_fixture.h"
#include "tests/records/view_fixture.h"

#include "kirv/records/level_masks.h"
#include "kirv/stats/report_values.h"
#include "kirv/stats/ui/analysis_windows.h"
#include "kirv/stats/ui/events.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/stats/ui/masked_figures.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/stats/ui/periods.h"
#include "kirv/stats/ui/plot_analysis.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_overlays.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/widgets/graph.h"
#include "kirv/widgets/controls.h"
#include "tests/support/small_disk.h"
#include "kirv/base/civil_time.h"

#include <qcustomplot.h>

#include <QCheckBox>

#include <functional>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace kirv;
using namespace kirv::test;

namespace {

QStringList rowOf(const QTableWidget* grid, int row)
{
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c)
        cells << grid->item(row, c)->text();
    return cells;
}

void keepImage(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("KIRV_SCREENSHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestAnalysisWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath("week.kirv");
        QList<QPair<QString, QString>> records;
        for (int s = 0; s < 10; ++s)
            records << qMakePair(QStringLiteral("2026/03/04 08:00:%1").arg(s, 2, 10, QLatin1Char('0')),
                                 QString(s == 4 || s == 5 ? "95.0" : "60.0"));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(dataFileBytes({"Real Time", "1", "A", "FAST", "30-130", "95.0",
                                  "2026/03/04 08:00:04", "0", "0"},
                                 records));
        file.close();
        QFile::remove(masksPath(m_path)); // a FIFO of an earlier case would block the open
        QFile masks(masksPath(m_path));
        QVERIFY(masks.open(QIODevice::WriteOnly));
        masks.write("2026-03-04T08:00:04 2026-03-04T08:00:05 lorry\n");
    }

    void periodsFollowTheMasks()
    {
        PanelFixture f;
        FileList* view = f.panel.findChild<FileViews*>("FileViews")->openDataFile(m_path);
        QVERIFY(view);
        view->toolbarButton("Periods")->trigger();
        auto* periods = view->findChild<Periods*>();
        QVERIFY(periods && periods->isVisible());
        QCOMPARE(periods->windowTitle(), "Periods");
        QCOMPARE(rowOf(periods->GridTable, 0),
                 QStringList({"2026/03/04 08:00", "8", "60.0", "60.0", "60.0", "60.0", "60.0", "60.0"}));
        QCOMPARE(periods->LblSummary->text(),
                 "Leq 60.0 (whole file 88.0)   Lmax 60.0 (whole file 95.0)   L90 60.0 (whole file "
                 "60.0)\nLEX,8h 24.4   Dose OSHA 0.0 %   Dose NIOSH 0.0 %");
        keepImage(periods, "periods");
        keepImage(view, "filelist");

        // Taking the span back brings the loud records into every figure and removes the sidecar.
        FileAnalysis* analysis = FileAnalysis::of(view);
        QVERIFY(analysis->include(*civilSeconds("2026/03/04 08:00:04")).ok());
        QVERIFY(!QFile::exists(masksPath(m_path)));
        QCOMPARE(periods->GridTable->item(0, 1)->text(), "10");
        QCOMPARE(periods->GridTable->item(0, 3)->text(), "95.0");
        QVERIFY(periods->LblSummary->text().startsWith("Leq 88.0   Lmax 95.0   L90 60.0\nLEX,8h "));

        periods->CboLength->setCurrentIndex(periods->CboLength->findText("Day"));
        QCOMPARE(periods->GridTable->columnCount(), 15);
        QCOMPARE(periods->GridTable->horizontalHeaderItem(14)->text(), "Night %");
        QCOMPARE(rowOf(periods->GridTable, 0).mid(8),
                 QStringList({"88.0", "", "", "", "0", "0", "0"}));

        periods->CmdCopy->click();
        QCOMPARE(QApplication::clipboard()->text().section('\n', 0, 0),
                 "Start\tRecords\tLeq\tLmax\tLmin\tL10\tL50\tL90\tLd\tLe\tLn\tLden\tDay %\tEvening "
                 "%\tNight %");

        const QString csv = m_dir.filePath("periods.csv");
        f.dialogs->files << csv;
        periods->CmdCsv->click();
        QFile written(csv);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(),
                 "start,records,leq,lmax,lmin,l10,l50,l90,ld,le,ln,lden,coverage_day,"
                 "coverage_evening,coverage_night\r\n2026-03-04T00:00:00+01:00,10,88.0,95.0,60.0,"
                 "95.0,60.0,60.0,88.0,,,,0.000,0.000,0.000\r\n");
    }

    void eventsListAndShowInThePlot()
    {
        PanelFixture f;
        FileList* view = f.panel.findChild<FileViews*>("FileViews")->openDataFile(m_path);
        auto* events = static_cast<Events*>(showAnalysisWindow(view, "Events"));
        QCOMPARE(events->windowTitle(), "Events");
        QCOMPARE(events->GridTable->rowCount(), 0); // the loud seconds are masked
        QVERIFY(FileAnalysis::of(view)->include(*civilSeconds("2026/03/04 08:00:05")).ok());
        QCOMPARE(events->GridTable->rowCount(), 0); // 2 s is shorter than the 30 s asked for
        events->SpnDuration->setValue(2);
        QCOMPARE(rowOf(events->GridTable, 0),
                 QStringList({"2026/03/04 08:00:04", "2026/03/04 08:00:06", "2", "95.0",
                              "2026/03/04 08:00:04", "95.0", "98.0"}));
        QCOMPARE(events->LblSummary->text(), "1 event, 2 s");
        QSignalSpy chosen(events, &Events::eventChosen);
        events->GridTable_Click(0);
        QCOMPARE(chosen.size(), 1);
        keepImage(events, "events");

        // Masked again from the window's list: the sidecar is written whole and the list empties.
        QVERIFY(FileAnalysis::of(view)->exclude(*civilSeconds("2026/03/04 08:00:03"),
                                                *civilSeconds("2026/03/04 08:00:06"), "lorry").ok());
        QCOMPARE(events->GridTable->rowCount(), 0);
        QCOMPARE(loadMasks(m_path).spans.size(), size_t(1));
    }

    // The boards keep the file's own values; the line under them follows the masks.
    void maskedLineBesideTheBoards()
    {
        PanelFixture f;
        FileList* view = f.panel.findChild<FileViews*>("FileViews")->openDataFile(m_path);
        QVERIFY(view);
        FileAnalysis* analysis = FileAnalysis::of(view);
        const QString figures = "Masked: Leq 60.0 (whole file 88.0)   Lmax 60.0 (whole file 95.0)"
                                "   L90 60.0 (whole file 60.0)   ";
        const qint64 at0 = *civilSeconds("2026/03/04 08:00:00");
        const qint64 at4 = *civilSeconds("2026/03/04 08:00:04");
        const struct
        {
            std::function<FileStatus()> change;
            QString line; // empty: hidden
        } steps[] = {
            {[] { return FileStatus{}; }, figures + "1 span left out"},
            {[&] { return analysis->exclude(at0, at0 + 1); }, figures + "2 spans left out"},
            // Two quiet seconds left out: the masked Leq lies above the whole file's.
            {[&] { return analysis->include(at4); },
             "Masked: Leq 88.9 (whole file 88.0)   Lmax 95.0 (whole file 95.0)   L90 60.0 (whole "
             "file 60.0)   1 span left out"},
            {[&] { return analysis->include(at0); }, {}},
        };
        for (const auto& step : steps) {
            QVERIFY(step.change().ok());
            QCOMPARE(view->LblMasked->text(), step.line);
            QCOMPARE(view->LblMasked->isVisible(), !step.line.isEmpty());
            QCOMPARE(view->BoardMaxdB->text(), "95.0");
            QCOMPARE(view->BoardLeq->text(), "0");
            if (step.line.contains("2 spans")) {
                view->resize(1366 - 200, 768 - 100);
                keepImage(view, "filelist_masked");
            }
        }
    }

    // A sidecar that cannot be written (a full disk) changes nothing and says why in the plot.
    void failedSidecarWriteChangesNothing()
    {
        const kirv::test::SmallDisk disk(m_dir.filePath("disk"));
        if (!disk.mounted())
            QSKIP(kirv::test::SmallDisk::CannotMount);
        const QString path = m_dir.filePath("disk/week.kirv");
        QVERIFY(QFile::copy(m_path, path));
        if (QFile::exists(masksPath(m_path)))
            QVERIFY(QFile::copy(masksPath(m_path), masksPath(path)));
        PanelFixture f;
        FileList* view = f.panel.findChild<FileViews*>("FileViews")->openDataFile(path);
        view->toolbarButton("Plot")->trigger();
        PlotOverlays* overlays = plotWindow()->Overlays;
        const QByteArray before = masksText(loadMasks(path).spans);
        QVERIFY(disk.fill());
        overlays->setSelection(PlotSpan{1, 2});
        overlays->CmdExclude->click();
        QVERIFY(disk.empty());
        QCOMPARE(f.dialogs->messages().size(), 1);
        QCOMPARE(f.dialogs->messages()[0].text, "Cannot write " +
                                                     QDir::toNativeSeparators(masksPath(path)) +
                                                     ": No space left on device");
        QCOMPARE(masksText(loadMasks(path).spans), before);
        QCOMPARE(plotMaskedSpans(FileAnalysis::of(view)->series()), (std::vector<PlotSpan>{{5, 6}}));
    }

    void badSidecarIsNamedAndIgnored_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("end before start") << "text" << "Cannot use %1: line 1: the end lies before the start";
        // A pipe would keep the window from opening for ever.
        QTest::newRow("a FIFO") << "fifo" << "Cannot open %1: it is not a regular file";
    }

    void badSidecarIsNamedAndIgnored()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        const QString path = masksPath(m_path);
        QFile masks(path);
        if (kind == "fifo") {
            QVERIFY(masks.remove());
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QVERIFY(masks.open(QIODevice::WriteOnly));
            masks.write("2026-03-04T08:00:05 2026-03-04T08:00:04\n");
            masks.close();
        }
        PanelFixture f;
        FileList* view = f.panel.findChild<FileViews*>("FileViews")->openDataFile(m_path);
        QVERIFY(view);
        QCOMPARE(f.dialogs->messages().size(), 1);
        QCOMPARE(f.dialogs->messages()[0].text,
                 error.arg(QDir::toNativeSeparators(path)) + "\nThe masks are ignored.");
        QVERIFY(!FileAnalysis::of(view)->masked());
    }

    void printsTheTable()
    {
        PanelFixture f;
        FileList* view = f.panel.findChild<FileViews*>("FileViews")->openDataFile(m_path);
        auto* periods = static_cast<Periods*>(showAnalysisWindow(view, "Periods"));
        const QString pdf = m_dir.filePath("periods.pdf");
        f.dialogs->prints << true;
        f.dialogs->printPdfs << pdf;
        periods->CmdPrint->click();
        const QStringList lines = pdfLines(pdf);
        QVERIFY2(lines.size() >= 6, qPrintable(lines.join('\n')));
        QCOMPARE(lines[0], "Periods: week.kirv");
        QCOMPARE(lines[3], "Start Records Leq Lmax Lmin L10 L50 L90");
        QCOMPARE(lines[5], "2026/03/04 08:00 8 60.0 60.0 60.0 60.0 60.0 60.0");
    }

    // Drag over records 2..3 with "Select", "Exclude"; then "Include" on the lorry's span.
    void plotMasksAndOverlays()
    {
        PanelFixture f;
        FileList* view = f.panel.findChild<FileViews*>("FileViews")->openDataFile(m_path);
        view->toolbarButton("Plot")->trigger();
        Plot* plot = plotWindow();
        QVERIFY(plot);
        PlotOverlays* overlays = plot->Overlays;
        QVERIFY(overlays->panel()->isEnabled());
        QCustomPlot* qcp = plot->CWGraph1->plot();
        QCOMPARE(qcp->graphCount(), 6); // the levels, three overlays, the compare plot's two
        QVERIFY(!qcp->graph(1)->visible());
        overlays->ChkPeriodLeq->setChecked(true);
        overlays->ChkPercentiles->setChecked(true);
        QVERIFY(qcp->graph(1)->visible() && qcp->graph(2)->visible() && qcp->graph(3)->visible());
        QCOMPARE(qcp->graph(1)->data()->size(), 2); // one period: its start and its right edge
        QCOMPARE(qcp->graph(1)->data()->at(0)->value, 60.0);

        overlays->CmdSelect->setChecked(true);
        qcp->replot();
        const int y = int(qcp->yAxis->coordToPixel(80));
        QTest::mousePress(qcp, Qt::LeftButton, {}, QPoint(int(qcp->xAxis->coordToPixel(2)), y));
        QTest::mouseMove(qcp, QPoint(int(qcp->xAxis->coordToPixel(3)), y));
        QTest::mouseRelease(qcp, Qt::LeftButton, {}, QPoint(int(qcp->xAxis->coordToPixel(3)), y));
        QCOMPARE(overlays->selection(), std::optional<PlotSpan>(PlotSpan{2, 3}));
        QCOMPARE(overlays->LblSelection->text(), "Records 2 to 3");
        overlays->CmdExclude->click();
        QCOMPARE(loadMasks(m_path).spans.size(), size_t(2));
        QCOMPARE(plotMaskedSpans(FileAnalysis::of(view)->series()),
                 (std::vector<PlotSpan>{{2, 3}, {5, 6}}));
        qcp->replot();
        keepImage(plot, "plot");

        overlays->setSelection(PlotSpan{5, 5});
        overlays->CmdInclude->click();
        QCOMPARE(plotMaskedSpans(FileAnalysis::of(view)->series()), (std::vector<PlotSpan>{{2, 3}}));
        QVERIFY(qcp->graph(1)->data()->at(0)->value > 88.0); // the lorry is back in the Leq

        // An event chosen in the list is shown in the plot.
        auto* events = static_cast<Events*>(showAnalysisWindow(view, "Events"));
        events->SpnDuration->setValue(1);
        QCOMPARE(events->events().size(), size_t(1));
        events->GridTable_Click(0);
        QCOMPARE(overlays->selection(), std::optional<PlotSpan>(PlotSpan{5, 6}));
        QVERIFY(plot->CWGraph1->axisMin(Graph::Axis::X) < 5 && plot->CWGraph1->axisMax(Graph::Axis::X) > 6);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_MAIN(TestAnalysisWindows)
#include "test_analysis_windows.moc"
