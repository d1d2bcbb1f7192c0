// The Plot and RealTimeGraph windows: their texts, the pointer modes, the cursor read-out, the
// range editors, "Reset Scale" and PlotRecordList's labels.
#include "kirv/plots/graph_hand_over.h"
#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/plots/ui/real_time_graph.h"
#include "kirv/app/ui/time_graph_clicks.h"
#include "kirv/app/ui/panel_assembly.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/placement.h"
#include "kirv/records/sampling.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/records/datafile.h"
#include "kirv/records/recordlist.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/small_disk.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>

#include <optional>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include <memory>
#include <vector>

using namespace kirv;
using Axis = Graph::Axis;

namespace {

std::unique_ptr<RecordList> listOf(const QStringList& levels)
{
    auto list = std::make_unique<RecordList>();
    for (int i = 0; i < levels.size(); ++i)
        list->append(Record{QString::number(i + 1), QStringLiteral("2024/05/07 10:00:00"),
                            levels[i]});
    return list;
}

Plot* plotLevels(const RecordList& list)
{
    setPlotRows(-1); // PlotRecordList sets its own count
    return PlotRecordList(list, nullptr);
}

RealTimeGraph* openSeries(const std::vector<double>& y, double low, double high)
{
    GraphHandOver& h = graphHandOver();
    h.GraphCount = int(y.size());
    h.GraphYLow = low;
    h.GraphYHigh = high;
    h.GraphTitle = QStringLiteral("Leq (dB)");
    return openRealTimeGraph(nullptr, y);
}

QString labelText(QWidget* window, const char* name)
{
    auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        return box->title();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    return QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

QList<double> rangesOf(const Graph* g)
{
    return {g->axisMin(Axis::X), g->axisMax(Axis::X), g->axisMin(Axis::Y), g->axisMax(Axis::Y)};
}

QList<double> editorsOf(const TimeGraphWindow* w)
{
    return {w->AxisMin[1]->value(), w->AxisMax[1]->value(), w->AxisMin[2]->value(),
            w->AxisMax[2]->value()};
}

// Pages of a PDF as pdfinfo counts them; 0 when it is no PDF.
int pdfPages(const QString& path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(30000) || info.exitCode() != 0)
        return 0;
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

const QString PrinterNote = QStringLiteral(
    "Note\r"
    "The effect of the properties of the Printer settings\r"
    "depends on the driver supplied by the printer manufacturer.\r"
    "Some property settings may have no effect, or several different property settings\r"
    "may all have the same effect. Settings outside the accepted range may or may not produce "
    "an error.\r"
    "For more information, see the manufacturer's documentation for the specific driver.");

} // namespace

class TestPlotWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dialogs = test::ScriptedDialogs::install();
    }

    void cleanup()
    {
        Dialogs::install(nullptr);
        delete plotWindow();
        delete realTimeGraphWindow();
    }

    void designTexts_data()
    {
        QTest::addColumn<bool>("plot");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QList<std::pair<const char*, const char*>> both{
            {"FrmGraphic", "Graphic Plot"}, {"SSFrame4", "Graph Range"},  {"Label3", "No.s"},
            {"Label6", "Min"},              {"Label5", "Max"},            {"SSFrame3", "Track Mode"},
            {"SSFrame2", "Cursor Information"}, {"Label1", "No.s ( X ) :"},
            {"CmdReset", "Reset Scale"},    {"CmdPrint", "Print Graph"}};
        for (bool plot : {true, false}) {
            const char* window = plot ? "Plot " : "RealTimeGraph ";
            for (const auto& [name, text] : both)
                QTest::addRow("%s%s", window, name) << plot << name << text;
        }
        QTest::newRow("Plot Label2") << true << "Label2" << "No.s ( Y ) :";
        QTest::newRow("Plot LblCompany") << true << "LblCompany" << "Company:";
        QTest::newRow("Plot LblSector") << true << "LblSector" << "Sector:";
        QTest::newRow("Plot LblName") << true << "LblName" << "Name:";
        QTest::newRow("Plot LblMessage0") << true << "LblMessage0" << "";
        QTest::newRow("Plot LblMessage19") << true << "LblMessage19" << "";
        QTest::newRow("RealTimeGraph Label2") << false << "Label2" << "Value ( Y ) :";
        QTest::newRow("RealTimeGraph LblUnit") << false << "LblUnit" << "Leq (dB)";
    }

    void designTexts()
    {
        QFETCH(bool, plot);
        QFETCH(QString, name);
        QFETCH(QString, text);
        const auto list = listOf({"60.0"});
        QWidget* window = plot ? static_cast<QWidget*>(plotLevels(*list))
                               : openSeries({60.0}, 60, 60);
        QCOMPARE(window->windowTitle(), plot ? QStringLiteral("Plot") : QStringLiteral("Real Time Graph"));
        QCOMPARE(labelText(window, name.toLatin1().constData()), text);
    }

    void pointerModes_data()
    {
        QTest::addColumn<bool>("plot");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("description");
        const QStringList shared{
            "Normal mode",
            "",
            "Click anywhere on the plot area and drag to pan the graph both horizontally and "
            "vertically.",
            "Click anywhere on the plot area and drag to pan the graph horizontally.",
            "Click anywhere on the plot area and drag to pan the graph vertically.",
            "Select a region on the graph to zoom both horizontally and vertically.",
            "Select a region on the graph to zoom horizontally.",
            "Select a region on the graph to zoom vertically."};
        const QStringList modes{"Normal", "Cursor Coordinates", "PanXY", "PanX",
                                "PanY",   "ZoomXY",             "ZoomX", "ZoomY"};
        for (bool plot : {true, false}) {
            for (int i = 0; i < modes.size(); ++i) {
                QString description = shared[i];
                if (i == 1)
                    description = plot ? "Drag the cursor with your mouse to get X (Count) and Y "
                                         "(dB) position."
                                       : "Drag the cursor with your mouse to get X (Count) and Y "
                                         "(Value) position.";
                QTest::addRow("%s %s", plot ? "Plot" : "RealTimeGraph", qPrintable(modes[i]))
                    << plot << i << modes[i] << description;
            }
        }
    }

    // Each choice sets the graph's mode and description at once; only the cursor mode shows a
    // cursor (Plot makes and removes its one, RealTimeGraph hides its two).
    void pointerModes()
    {
        QFETCH(bool, plot);
        QFETCH(int, index);
        QFETCH(QString, mode);
        QFETCH(QString, description);
        const auto list = listOf({"60.0", "70.0"});
        TimeGraphWindow* w = plot ? static_cast<TimeGraphWindow*>(plotLevels(*list))
                                  : openSeries({60.0, 70.0}, 60, 70);
        QCOMPARE(w->Combo1->count(), 8);
        QCOMPARE(w->Combo1->currentText(), QStringLiteral("Normal"));
        QCOMPARE(w->txtDescription->toPlainText(), QStringLiteral("Normal mode"));

        w->Combo1->setCurrentIndex(1); // leaving the cursor mode must take the cursor away
        w->Combo1->setCurrentIndex(index);
        QCOMPARE(w->Combo1->currentText(), mode);
        QCOMPARE(w->txtDescription->toPlainText(), description);
        QCOMPARE(int(w->CWGraph1->pointerMode()), index);
        const bool cursorShown = index == TimeGraphWindow::CursorMode;
        QCOMPARE(w->CWGraph1->isCursorVisible(0), cursorShown);
        QCOMPARE(w->CWGraph1->isCursorVisible(1), false);
        QCOMPARE(w->CWGraph1->cursorCount(), plot ? (cursorShown ? 1 : 0) : 2);
    }

    // The cursor starts in the middle of the view; the read-out follows it, snapped to a sample.
    void cursorReadout()
    {
        const auto list = listOf({"60.0", "70.0", "80.0", "90.0", "100.0"});
        Plot* w = plotLevels(*list);
        w->Combo1->setCurrentIndex(TimeGraphWindow::CursorMode);
        QCOMPARE(w->CWGraph1->cursorPosition(0), QPointF(3, 85));
        QCOMPARE(w->XPosition->text(), QStringLiteral("3"));
        QCOMPARE(w->YPosition->text(), QStringLiteral("85.0"));
        QCOMPARE(w->CWGraph1->cursorColor(0), QColor(Qt::red));
        w->CWGraph1->setCursorPosition(0, 4.3, 50);
        QCOMPARE(w->XPosition->text(), QStringLiteral("4"));
        QCOMPARE(w->YPosition->text(), QStringLiteral("90.0"));
        // Leaving the cursor mode removes the cursor and with it the read-out.
        w->Combo1->setCurrentIndex(TimeGraphWindow::NormalMode);
        QCOMPARE(w->XPosition->text(), QString());
        QCOMPARE(w->YPosition->text(), QString());
    }

    void rangeEditorsAndReset()
    {
        const auto list = listOf({"60.0", "61.0", "62.0", "63.0", "64.0", "65.0"});
        Plot* w = plotLevels(*list);
        QCOMPARE(editorsOf(w), (QList<double>{1, 6, 25, 145}));
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{1, 6, 25, 145}));
        QCOMPARE(w->AxisMin[2]->decimals(), 1);

        w->AxisMin[1]->setValue(2);
        w->AxisMax[2]->setValue(80.5);
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{2, 6, 25, 80.5}));
        QCOMPARE(w->AxisMax[2]->text(), QStringLiteral("80.5"));

        w->CWGraph1->setAxisRange(Axis::X, 3, 4); // as a zoom leaves it
        w->CmdReset->click();
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{1, 6, 25, 145}));
        QCOMPARE(editorsOf(w), (QList<double>{2, 6, 25, 80.5}));
    }

    void realTimeEditorsAndReset()
    {
        RealTimeGraph* w = openSeries({70.0, 71.0, 72.0}, 69.5, 72.5);
        QCOMPARE(editorsOf(w), (QList<double>{1, 3, 69.5, 72.5}));
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{1, 3, 69.5, 72.5}));
        QCOMPARE(w->CWGraph1->axisTitle(Axis::Y), QStringLiteral("Leq (dB)"));

        graphHandOver().GraphLoading = true; // edits while the window is being filled wait
        w->AxisMax[2]->setValue(100);
        QCOMPARE(w->CWGraph1->axisMax(Axis::Y), 72.5);
        graphHandOver().GraphLoading = false;
        w->AxisMin[2]->setValue(50);
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{1, 3, 50, 100}));

        w->CmdReset->click();
        QCOMPARE(editorsOf(w), (QList<double>{1, 3, 69.5, 72.5}));
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{1, 3, 69.5, 72.5}));
    }

    // Labels tie to the points of their records; a new plot into the open window clears the
    // earlier plot's labels.
    void pauseLabels()
    {
        const auto first = listOf({"60.0", "61.0*", "62.0*", "63.0"});
        Plot* w = plotLevels(*first);
        QCOMPARE(w->CWGraph1->labelNames(), (QStringList{"Pause 2", "Start 4"}));
        QCOMPARE(w->CWGraph1->labelCaption("Pause 2"), QStringLiteral("Pause"));
        QCOMPARE(w->CWGraph1->labelPosition("Pause 2"), QPointF(2, 30));
        QCOMPARE(w->CWGraph1->labelPoint("Pause 2"), QPointF(2, 61));
        QCOMPARE(w->CWGraph1->labelCaption("Start 4"), QStringLiteral("Start"));
        QCOMPARE(w->CWGraph1->labelPosition("Start 4"), QPointF(4, 105));
        QCOMPARE(w->CWGraph1->labelPoint("Start 4"), QPointF(4, 63));

        const auto second = listOf({"50.0", "51.0", "52.0*"});
        QCOMPARE(plotLevels(*second), w);
        QCOMPARE(w->CWGraph1->labelNames(), QStringList{"Pause 3"});
        QCOMPARE(w->CWGraph1->regionCount(), 1); // every pause is shaded, the open one too
        QCOMPARE(w->CWGraph1->pointCount(), 3);
        QCOMPARE(w->CWGraph1->axisMax(Axis::X), 3.0);

        // A list paused at every other record: the first pauses are marked, one caption counts
        // the rest.
        QStringList paused;
        for (std::size_t i = 0; i < MaxPauseMarks + 3; ++i)
            paused << QStringLiteral("60.0") << QStringLiteral("61.0*");
        const auto many = listOf(paused);
        QCOMPARE(plotLevels(*many), w);
        QCOMPARE(w->CWGraph1->regionCount(), int(MaxPauseMarks));
        QCOMPARE(w->CWGraph1->labelNames().size(), int(2 * MaxPauseMarks + 1));
        QCOMPARE(w->CWGraph1->labelCaption("Unmarked pauses"),
                 QStringLiteral("3 more pauses from record 1002 not marked"));
    }

    void emptyListsAndSeriesOpenEmpty()
    {
        const auto empty = listOf({});
        Plot* plot = plotLevels(*empty);
        QVERIFY(plot);
        QCOMPARE(plot->CWGraph1->pointCount(), 0);

        RealTimeGraph* graph = openSeries({}, 145, 0); // before the first sample: inverted
        QCOMPARE(graph->CWGraph1->pointCount(), 0);
        QCOMPARE(graph->CWGraph1->axisMin(Axis::Y), 0.0);
        QCOMPARE(graph->CWGraph1->axisMax(Axis::Y), 145.0);
        graph->CmdReset->click();
        graph->Combo1->setCurrentIndex(TimeGraphWindow::CursorMode);
        QVERIFY(graph->CWGraph1->isCursorVisible(0));
    }

    // Printing starts from the plain display; the window comes back as it was, after a print
    // and after a cancel alike. RealTimeGraph shows the printer note and prints each copy.
    void printGraph_data()
    {
        QTest::addColumn<bool>("plot");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("fullDisk"); // the PDF goes to a disk with no room left
        QTest::newRow("Plot printed") << true << true << 1 << false;
        QTest::newRow("Plot cancelled") << true << false << 1 << false;
        QTest::newRow("Plot on a full disk") << true << true << 1 << true;
        QTest::newRow("RealTimeGraph printed twice") << false << true << 2 << false;
        QTest::newRow("RealTimeGraph cancelled") << false << false << 1 << false;
        QTest::newRow("RealTimeGraph on a full disk") << false << true << 2 << true;
    }

    void printGraph()
    {
        QFETCH(bool, plot);
        QFETCH(bool, accept);
        QFETCH(int, copies);
        QFETCH(bool, fullDisk);
        QTemporaryDir dir;
        QString folder = dir.path();
        std::optional<kirv::test::SmallDisk> disk;
        if (fullDisk) {
            folder = dir.filePath(QStringLiteral("disk"));
            disk.emplace(folder);
            if (!disk->mounted())
                QSKIP(kirv::test::SmallDisk::CannotMount);
            QVERIFY(disk->fill());
        }
        const QString pdf = folder + QStringLiteral("/graph.pdf");
        m_dialogs->prints.enqueue(accept);
        m_dialogs->printPdfs.enqueue(pdf);
        m_dialogs->printCopies = copies;

        const auto list = listOf({"60.0", "61.0*", "62.0"});
        TimeGraphWindow* w = plot ? static_cast<TimeGraphWindow*>(plotLevels(*list))
                                  : openSeries({60.0, 61.0, 62.0}, 60, 62);
        w->CWGraph1->setBackgroundColor(Qt::black);
        const QSize size = w->size();
        const QString yTitle = w->CWGraph1->axisTitle(Axis::Y);
        w->Combo1->setCurrentIndex(TimeGraphWindow::CursorMode);

        w->CmdPrint->click();

        QCOMPARE(w->Combo1->currentIndex(), TimeGraphWindow::NormalMode);
        QCOMPARE(w->txtDescription->toPlainText(), QStringLiteral("Normal mode"));
        QVERIFY(!w->CWGraph1->isCursorVisible(0));
        QCOMPARE(m_dialogs->asked.first().kind, QStringLiteral("print"));
        auto messages = m_dialogs->messages();
        if (!plot && accept) {
            QVERIFY(!messages.isEmpty());
            const MessageSpec note = messages.takeFirst();
            QCOMPARE(note.text, PrinterNote);
            QCOMPARE(note.title, QStringLiteral("Kirv"));
            QCOMPARE(note.icon, QMessageBox::NoIcon);
        }
        if (fullDisk) { // said once, and no file left behind
            QCOMPARE(messages.size(), 1);
            QCOMPARE(messages[0].text,
                     QStringLiteral("Cannot print: Cannot write %1: No space left on device").arg(pdf));
            QCOMPARE(messages[0].icon, QMessageBox::Critical);
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("filler")});
        } else {
            QVERIFY(messages.isEmpty());
            QCOMPARE(pdfPages(pdf), accept ? 1 : 0);
        }

        QVERIFY(!w->FrmGraphic->isHidden());
        QCOMPARE(w->CWGraph1->backgroundColor(), QColor(Qt::black));
        QCOMPARE(w->CWGraph1->axisTitle(Axis::Y), yTitle);
        QCOMPARE(w->size(), size);
        QCOMPARE(w->layout()->contentsMargins(), QMargins(8, 8, 8, 8));
        QVERIFY(!w->autoFillBackground());

        w->Combo1->setCurrentIndex(TimeGraphWindow::CursorMode); // the cursor comes back
        QVERIFY(w->CWGraph1->isCursorVisible(0));
    }

    // Ten samples of 60.0..69.0 dB: each small graph hands over its own range and title, and the
    // large window shows all ten samples over 1..10.
    void timeGraphHandOver_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("title");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("first");
        QTest::newRow("CWG") << int(PanelTimeGraph::Level) << "SPL (dB)" << 60.0 << 69.0 << 60.0;
        QTest::newRow("CWLeq") << int(PanelTimeGraph::Leq) << "Leq (dB)" << 50.0 << 59.0 << 50.0;
        QTest::newRow("CWSEL") << int(PanelTimeGraph::SEL) << "SEL (dB)" << 70.0 << 79.0 << 70.0;
    }

    void timeGraphHandOver()
    {
        QFETCH(int, which);
        QFETCH(QString, title);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, first);
        auto data = std::make_unique<PanelGraphData>();
        for (int i = 0; i < 10; ++i)
            data->add(60.0 + i, 50.0 + i, 70.0 + i);
        Graph clicked;
        clicked.setAxisTitle(Axis::Y, title);

        RealTimeGraph* w = timeGraphClick(clicked, *data, PanelTimeGraph(which), nullptr);

        const GraphHandOver& h = graphHandOver();
        QCOMPARE(h.GraphCount, 10);
        QCOMPARE(h.GraphYLow, low);
        QCOMPARE(h.GraphYHigh, high);
        QCOMPARE(h.GraphTitle, title);
        QVERIFY(!h.GraphLoading);
        QCOMPARE(w->LblUnit->text(), title);
        QCOMPARE(w->CWGraph1->axisTitle(Axis::Y), title);
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{1, 10, low, high}));
        QCOMPARE(editorsOf(w), (QList<double>{1, 10, low, high}));
        QCOMPARE(w->CWGraph1->pointCount(), 10);
        QCOMPARE(w->CWGraph1->pointAt(0), QPointF(1, first));
        QCOMPARE(w->CWGraph1->pointAt(9), QPointF(10, first + 9));
    }

    // Before the first sample: nothing to copy and the extremes inverted; the window opens empty.
    void timeGraphClickBeforeAnySample()
    {
        auto data = std::make_unique<PanelGraphData>();
        Graph clicked;
        for (auto which : {PanelTimeGraph::Level, PanelTimeGraph::Leq, PanelTimeGraph::SEL}) {
            RealTimeGraph* w = timeGraphClick(clicked, *data, which, nullptr);
            QCOMPARE(w->CWGraph1->pointCount(), 0);
            QCOMPARE(graphHandOver().GraphCount, 0);
            QVERIFY(w->CWGraph1->axisMin(Axis::Y) < w->CWGraph1->axisMax(Axis::Y));
        }
    }

    // The panel's small time graphs open the window on a click, with the sampler's series; the
    // panel's timers are off while a plot is built and on again afterwards.
    void panelClicksAndTimers()
    {
        MemoryLink link;
        PortTable table{{"memory"}, {}, {}};
        Panel panel{link, PortChoice{1, {}}, table};
        PanelParts parts = attachPanelParts(panel);
        LiveSampler& sampler = parts.recording->sampler();
        const QDateTime start(QDate(2024, 5, 7), QTime(10, 0));
        for (int t = 0; sampler.graphs().SeriesIndex < 10 && t < 100; ++t) {
            const double level = 60.0 + sampler.graphs().SeriesIndex;
            sampler.tick(level, QString::number(level, 'f', 1), QString::number(level, 'f', 1),
                         start.addSecs(t));
        }

        emit panel.CWG->clicked();
        RealTimeGraph* w = realTimeGraphWindow();
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), &panel);
        QCOMPARE(w->LblUnit->text(), QStringLiteral("SPL (dB)"));
        QCOMPARE(rangesOf(w->CWGraph1), (QList<double>{1, 10, 60, 69}));
        QCOMPARE(w->CWGraph1->pointAt(9), QPointF(10, 69));
        emit panel.CWSEL->clicked();
        QVERIFY(realTimeGraphWindow() != w);
        QCOMPARE(realTimeGraphWindow()->LblUnit->text(), QStringLiteral("SEL (dB)"));

        QCOMPARE(realTimeGraphWindow()->pos(), panel.screen()->availableGeometry().topLeft());

        panel.setWindowTitle(QStringLiteral("Panel   V7.0"));
        const auto list = listOf({"60.0", "61.0"});
        Plot* plot = PlotRecordList(*list, &panel);
        QVERIFY(panel.Timer1->isActive() && panel.Timer2->isActive());
        QCOMPARE(panel.windowTitle(), QStringLiteral("Panel   V7.0"));
        QCOMPARE(plot->parentWidget(), &panel);
        // Beside the panel where it fits; else moved in, whole and clear of the panel's toolbar.
        const QRect beside = panel.frameGeometry();
        const QRect wanted(QPoint(beside.left() + beside.width(), beside.top()), plot->frameGeometry().size());
        const QRect available = panel.screen()->availableGeometry();
        if (available.contains(wanted))
            QCOMPARE(plot->frameGeometry(), wanted);
        QVERIFY(available.contains(plot->frameGeometry()));
        QVERIFY(!plot->frameGeometry().intersects(globalRect(panel.Toolbar1)));

        // "Plot" of an opened file's view draws in the view's own Plot, beside the view; the
        // panel's Plot keeps its series.
        FileList* view = panel.findChild<FileViews*>()->openDataFile(
            qEnvironmentVariable("KIRV_TEST_DATA") + QStringLiteral("/realtime_two_samples.kirv"));
        QVERIFY(view);
        const qsizetype before = plot->CWGraph1->pointCount();
        view->Toolbar1_ButtonClick(view->toolbarButton(QStringLiteral("Plot")));
        Plot* own = plotOf(view);
        QVERIFY(own && own != plot);
        QCOMPARE(own->parentWidget(), view);
        QCOMPARE(plotWindow(), own);
        QCOMPARE(own->CWGraph1->pointAt(1), QPointF(2, 89.1));
        QCOMPARE(plot->CWGraph1->pointCount(), before);
        QCOMPARE(plotRows(), 2);
    }

    void realTimeGraphIsRecreated()
    {
        QPointer<RealTimeGraph> first = openSeries({1, 2}, 1, 2);
        first->Combo1->setCurrentIndex(3);
        RealTimeGraph* second = openSeries({1, 2, 3}, 1, 3);
        QVERIFY(!first);
        QCOMPARE(second->Combo1->currentIndex(), 0);
        QCOMPARE(second->CWGraph1->pointCount(), 3);
    }

private:
    test::ScriptedDialogs* m_dialogs = nullptr;
};

QTEST_MAIN(TestPlotWindows)
#include "test_plot_windows.moc"
