// The level statistics command, Histogram and RealHistogram, driven offscreen.
#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/histogram.h"
#include "kirv/plots/ui/histogram_clicks.h"
#include "kirv/plots/ui/histogram_parts.h"
#include "kirv/plots/ui/level_statistics_command.h"
#include "kirv/plots/ui/real_histogram.h"
#include "kirv/app/ui/panel_assembly.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/datafile.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/records/recordlist.h"
#include "kirv/records/sampling.h"
#include "kirv/records/ui/panel_recording.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using namespace kirv;

namespace {

// A list window as the command sees it: a caption, a PicResolution and a record list.
struct ListWindow
{
    QWidget window;
    QWidget* picResolution = new QWidget(&window);
    RecordList list;

    explicit ListWindow(const QStringList& levels)
    {
        window.setWindowTitle(QStringLiteral("List"));
        picResolution->setObjectName(QStringLiteral("PicResolution"));
        int n = 0;
        for (const QString& level : levels)
            list.append(Record{QString::number(++n), QStringLiteral("2026/12/08 01:00:00"), level});
    }
};

QStringList gridRow(const QTableWidget* grid, int r)
{
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c)
        cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
    return cells;
}

QStringList headerTexts(const QTableWidget* grid)
{
    QStringList titles;
    for (int c = 0; c < grid->columnCount(); ++c)
        titles << grid->horizontalHeaderItem(c)->text();
    return titles;
}

QStringList row(const QString& label, const QString& first, int split, const QString& second)
{
    QStringList cells{label};
    for (int c = 0; c < 10; ++c)
        cells << (c < split ? first : second);
    return cells;
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

void choose(QComboBox* combo, int item)
{
    combo->setCurrentIndex(item);
    emit combo->activated(item);
}

QAction* button(QToolBar* toolbar, const QString& key)
{
    for (QAction* a : toolbar->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

// A panel with its parts on an in-memory link; it is never loaded, so nothing polls.
struct PanelFixture
{
    MemoryLink link;
    PortTable table{{"memory"}, {}, {}};
    Panel panel{link, PortChoice{1, {}}, table};
    PanelParts parts = attachPanelParts(panel);
};

QString pdfInfo(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

} // namespace

class TestHistogramWindows : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dialogs = test::ScriptedDialogs::install(); }
    void cleanup()
    {
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<Histogram*>(w) || qobject_cast<RealHistogram*>(w))
                windows << w;
        qDeleteAll(windows);
    }

    void commandFillsGridLn_data();
    void commandFillsGridLn();
    void commandClosesEarlierHistogram();
    void histogramModes_data();
    void histogramModes();
    void histogramResetUsesItsOwnRun();
    void histogramLimitAndPrint();
    void realHistogramModes_data();
    void realHistogramModes();
    void realHistogramPrint();
    void distributionClickHandsOver_data();
    void distributionClickHandsOver();
    void panelGraphClicksOpenRealHistogram();
    void commandRunsWithPanelTimersOff();
    void openedFileViewRunsTheCommands();

private:
    test::ScriptedDialogs* m_dialogs = nullptr;
};

void TestHistogramWindows::commandFillsGridLn_data()
{
    QTest::addColumn<QStringList>("levels");
    QTest::addColumn<bool>("fine");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<QStringList>("rowL00");
    QTest::addColumn<QStringList>("rowL20");
    QTest::addColumn<QStringList>("rowL50");
    QTest::addColumn<QString>("records");

    const QStringList example{"60.0", "60.0", "70.0", "80.0"};
    QTest::newRow("0.1 dB") << example << true << 600 << 800 << row("L(00)", "80.0", 10, "")
                            << row("L(20)", "80.0", 5, "70.0") << row("L(50)", "60.0", 10, "")
                            << "4 records counted, 0 marked records (*) left out";
    QTest::newRow("1 dB") << example << false << 60 << 80 << row("L(00)", "80", 10, "")
                          << row("L(20)", "80", 5, "70") << row("L(50)", "60", 10, "")
                          << "4 records counted, 0 marked records (*) left out";
    QTest::newRow("marked") << QStringList{"60.0", "93.4*"} << true << 600 << 600
                            << row("L(00)", "60.0", 10, "") << row("L(20)", "60.0", 10, "")
                            << row("L(50)", "60.0", 10, "")
                            << "1 record counted, 1 marked record (*) left out";
    // Nothing counted: the entries of the earlier run are gone, the histogram is empty.
    QTest::newRow("empty") << QStringList{} << true << 0 << 0 << row("L(00)", "", 10, "")
                           << row("L(20)", "", 10, "") << row("L(50)", "", 10, "")
                           << "0 records counted, 0 marked records (*) left out";
}

void TestHistogramWindows::commandFillsGridLn()
{
    QFETCH(QStringList, levels);
    QFETCH(bool, fine);
    QFETCH(int, low);
    QFETCH(int, high);

    ListWindow earlier({"99.0"});
    showLevelStatistics(&earlier.window, earlier.list, true, nullptr);

    ListWindow list(levels);
    list.window.show();
    showLevelStatistics(&list.window, list.list, fine, nullptr);

    const LevelStatisticsResults& r = levelStatistics();
    QCOMPARE(list.window.windowTitle(), QStringLiteral("List"));
    QVERIFY(list.picResolution->isHidden());
    QCOMPARE(r.StatLowClass, low);
    QCOMPARE(r.StatHighClass, high);
    QCOMPARE(r.StatRecordCount, qint64(levels.size() - levels.filter("*").size()));
    Histogram* h = r.histogram;
    QVERIFY(h && h->isVisible());
    QCOMPARE(h->windowTitle(), QStringLiteral("Histogram"));
    QCOMPARE(headerTexts(h->GridLn),
             QStringList({"Ln", " 0", " 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8", " 9"}));
    QTEST(gridRow(h->GridLn, 0), "rowL00");
    QTEST(gridRow(h->GridLn, 2), "rowL20");
    QTEST(gridRow(h->GridLn, 5), "rowL50");
    QTEST(h->LblRecords->text(), "records");
    for (int j = 0; j < 100; ++j)
        QCOMPARE(r.LnTable[j], h->GridLn->item(j / 10, j % 10 + 1)->text());
    QCOMPARE(h->CWG->axisMin(Graph::Axis::X), double(low));
    QCOMPARE(h->CWG->axisMax(Graph::Axis::X), double(high + 1));
    QCOMPARE(h->CWG->axisMax(Graph::Axis::Y), r.StatYHigh);
    QCOMPARE(h->CWG->pointCount(), r.StatRecordCount > 0 ? (fine ? 1451 : 146) : 0);
    QCOMPARE(h->CWG->axisFormat(Graph::Axis::X),
             fine ? AxisNumberFormat::Tenths : AxisNumberFormat::Whole);
}

void TestHistogramWindows::commandClosesEarlierHistogram()
{
    ListWindow list({"60.0"});
    showLevelStatistics(&list.window, list.list, true, nullptr);
    QPointer<Histogram> first = levelStatistics().histogram;
    showLevelStatistics(&list.window, list.list, false, nullptr);
    QTRY_VERIFY(first.isNull());
    QVERIFY(levelStatistics().histogram);
    QCOMPARE(levelStatistics().LnTable[0], QStringLiteral("60"));
}

void TestHistogramWindows::histogramModes_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<Graph::PointerMode>("mode");
    QTest::addColumn<QString>("description");
    QTest::newRow("Normal") << 0 << Graph::PointerMode::Normal << "Normal mode";
    QTest::newRow("PanXY") << 1 << Graph::PointerMode::PanXY
                           << "Clique em alguma parte da área de renderização e arraste para "
                              "expandir o gráfico horizontal e verticalmente.";
    QTest::newRow("PanX") << 2 << Graph::PointerMode::PanX
                          << "Clique em alguma parte da área de renderização e arraste para "
                             "expandir o gráfico horizontalmente.";
    QTest::newRow("PanY") << 3 << Graph::PointerMode::PanY
                          << "Clique em alguma parte da área de renderização e arraste para "
                             "expandir o gráfico verticalmente.";
    QTest::newRow("ZoomXY") << 4 << Graph::PointerMode::ZoomXY
                            << "Selecione uma região do gráfico para aumentar o zoom horizontal e "
                               "verticalmente.";
    QTest::newRow("ZoomX")
        << 5 << Graph::PointerMode::ZoomX
        << "Selecione uma região do gráfico para aumentar o zoom horizontalmente.";
    QTest::newRow("ZoomY") << 6 << Graph::PointerMode::ZoomY
                           << "Selecione uma região do gráfico para aumentar o zoom verticalmente.";
}

void TestHistogramWindows::histogramModes()
{
    QFETCH(int, item);
    QFETCH(Graph::PointerMode, mode);
    QFETCH(QString, description);
    Histogram h;
    QCOMPARE(comboItems(h.Picture1->Combo1),
             QStringList({"Normal", "PanXY", "PanX", "PanY", "ZoomXY", "ZoomX", "ZoomY", "Reset"}));
    QCOMPARE(h.Picture1->Combo1->currentIndex(), -1);
    QCOMPARE(h.Picture1->Combo1->placeholderText(), QStringLiteral("Normal"));
    QVERIFY(h.Picture1->txtDescription->text().isEmpty());
    QCOMPARE(h.CWG->axisTitle(Graph::Axis::X), QStringLiteral("dB"));
    QCOMPARE(h.CWG->axisTitle(Graph::Axis::Y), QStringLiteral("Frequency (Times)"));
    QCOMPARE(h.CWG->cursorCount(), 2);
    h.show();
    h.Picture1->show();
    h.CWG->setCursorVisible(1, true);
    choose(h.Picture1->Combo1, item);
    QCOMPARE(h.Picture1->txtDescription->text(), description);
    QCOMPARE(h.CWG->pointerMode(), mode);
    QVERIFY(h.Picture1->isHidden());
    QVERIFY(!h.CWG->isCursorVisible(0) && !h.CWG->isCursorVisible(1));
}

// "Reset" goes back to the values of the window's own run, whatever a later command stored.
void TestHistogramWindows::histogramResetUsesItsOwnRun()
{
    ListWindow list({"60.0", "60.0", "70.0", "80.0"});
    showLevelStatistics(&list.window, list.list, true, nullptr);
    Histogram* h = levelStatistics().histogram;
    const double yHigh = levelStatistics().StatYHigh;
    levelStatistics().StatLowClass = 3;
    levelStatistics().StatHighClass = 9;
    levelStatistics().StatYHigh = 77;

    choose(h->Picture1->Combo1, 5);
    h->CWG->setAxisRange(Graph::Axis::X, 650, 700);
    h->CWG->setAxisRange(Graph::Axis::Y, 0.5, 1.5);
    const QString zoomText = h->Picture1->txtDescription->text();
    choose(h->Picture1->Combo1, HistogramResetItem);
    QCOMPARE(h->CWG->axisMin(Graph::Axis::X), 600.0);
    QCOMPARE(h->CWG->axisMax(Graph::Axis::X), 801.0);
    QCOMPARE(h->CWG->axisMin(Graph::Axis::Y), 0.0);
    QCOMPARE(h->CWG->axisMax(Graph::Axis::Y), yHigh);
    QCOMPARE(h->CWG->pointerMode(), Graph::PointerMode::Normal);
    QCOMPARE(h->Picture1->txtDescription->text(), zoomText);
}

void TestHistogramWindows::histogramLimitAndPrint()
{
    QTemporaryDir dir;
    Histogram h;
    h.show();
    QCOMPARE(button(h.Toolbar1, "Limit")->toolTip(), QStringLiteral("Limit"));
    QCOMPARE(button(h.Toolbar1, "Print")->toolTip(), QStringLiteral("Print"));
    QVERIFY(h.Picture1->isHidden());
    button(h.Toolbar1, "Limit")->trigger();
    QVERIFY(h.Picture1->isVisible());
    button(h.Toolbar1, "Limit")->trigger();
    QVERIFY(h.Picture1->isHidden());

    // Cancelled: nothing printed, nothing changed.
    button(h.Toolbar1, "Print")->trigger();
    QCOMPARE(m_dialogs->asked.size(), 1);
    QVERIFY(h.Toolbar1->isVisible());

    const QString pdf = dir.filePath("histogram.pdf");
    m_dialogs->prints << true;
    m_dialogs->printPdfs << pdf;
    button(h.Toolbar1, "Limit")->trigger();
    button(h.Toolbar1, "Print")->trigger();
    QVERIFY(h.Toolbar1->isVisible());
    QVERIFY(h.Picture1->isHidden());
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(pdfInfo(pdf).contains(QRegularExpression("Pages:\\s+1\\n")));
}

void TestHistogramWindows::realHistogramModes_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<Graph::PointerMode>("mode");
    QTest::addColumn<QString>("description");
    QTest::newRow("Normal") << 0 << Graph::PointerMode::Normal << "Normal mode";
    QTest::newRow("PanXY") << 1 << Graph::PointerMode::PanXY
                           << "Click anywhere on the plot area and drag to pan the graph both "
                              "horizontally and vertically.";
    QTest::newRow("PanX")
        << 2 << Graph::PointerMode::PanX
        << "Click anywhere on the plot area and drag to pan the graph horizontally.";
    QTest::newRow("PanY")
        << 3 << Graph::PointerMode::PanY
        << "Click anywhere on the plot area and drag to pan the graph vertically.";
    QTest::newRow("ZoomXY")
        << 4 << Graph::PointerMode::ZoomXY
        << "Select a region on the graph to zoom both horizontally and vertically.";
    QTest::newRow("ZoomX") << 5 << Graph::PointerMode::ZoomX
                           << "Select a region on the graph to zoom horizontally.";
    QTest::newRow("ZoomY") << 6 << Graph::PointerMode::ZoomY
                           << "Select a region on the graph to zoom vertically.";
}

void TestHistogramWindows::realHistogramModes()
{
    QFETCH(int, item);
    QFETCH(Graph::PointerMode, mode);
    QFETCH(QString, description);
    RealHistogram h;
    h.show();
    QCOMPARE(h.windowTitle(), QStringLiteral("Histogram"));
    QCOMPARE(comboItems(h.Picture1->Combo1),
             QStringList(
                 {"Normal", "PanXY", "PanX", "PanY", "ZoomXY", "ZoomX", "ZoomY", "Reset Scale"}));
    QCOMPARE(h.Picture1->Combo1->currentIndex(), 0);
    QCOMPARE(h.Picture1->txtDescription->text(), QStringLiteral("Normal mode"));
    QVERIFY(h.Picture1->isHidden());
    for (const auto& [key, tip] :
         {std::pair{"Track", "Track Mode"}, {"Reset", "Reset Scale"}, {"Print", "Print"}})
        QCOMPARE(button(h.Toolbar1, key)->toolTip(), QString::fromLatin1(tip));

    // "Track" shows the panel even when it is shown already.
    button(h.Toolbar1, "Track")->trigger();
    button(h.Toolbar1, "Track")->trigger();
    QVERIFY(h.Picture1->isVisible());
    choose(h.Picture1->Combo1, item);
    QVERIFY(h.Picture1->isHidden());
    QCOMPARE(h.Picture1->txtDescription->text(), description);
    QCOMPARE(h.CWGraph1->pointerMode(), mode);

    // Both resets go back to the hand-over values and keep the pointer mode.
    const std::vector<int> counts(141, 3);
    const HistogramHandOver handOver = h.plotTable(counts, false, 40, 90);
    for (const bool fromList : {false, true}) {
        h.CWGraph1->setAxisRange(Graph::Axis::X, 50, 60);
        h.CWGraph1->setAxisRange(Graph::Axis::Y, 1, 2);
        if (fromList) {
            button(h.Toolbar1, "Track")->trigger();
            choose(h.Picture1->Combo1, HistogramResetItem);
            QVERIFY(h.Picture1->isHidden());
        } else {
            button(h.Toolbar1, "Reset")->trigger();
        }
        QCOMPARE(h.CWGraph1->axisMin(Graph::Axis::X), handOver.HistXLow);
        QCOMPARE(h.CWGraph1->axisMax(Graph::Axis::X), handOver.HistXHigh);
        QCOMPARE(h.CWGraph1->axisMin(Graph::Axis::Y), 0.0);
        QCOMPARE(h.CWGraph1->axisMax(Graph::Axis::Y), handOver.HistYHigh);
        QCOMPARE(h.CWGraph1->pointerMode(), mode);
    }
}

void TestHistogramWindows::realHistogramPrint()
{
    QTemporaryDir dir;
    RealHistogram h;
    h.show();
    const QSize size = h.size();

    button(h.Toolbar1, "Print")->trigger(); // cancelled
    QVERIFY(m_dialogs->messages().isEmpty());

    const QString pdf = dir.filePath("real.pdf");
    m_dialogs->prints << true;
    m_dialogs->printPdfs << pdf;
    button(h.Toolbar1, "Print")->trigger();
    QCOMPARE(m_dialogs->messages().size(), 1);
    const MessageSpec note = m_dialogs->messages().first();
    QCOMPARE(note.text,
             QStringLiteral("Note\rThe effect of the properties of the Printer settings\rdepends on "
                            "the driver supplied by the printer manufacturer.\rSome property settings "
                            "may have no effect, or several different property settings\rmay all have "
                            "the same effect. Settings outside the accepted range may or may not "
                            "produce an error.\rFor more information, see the manufacturer's "
                            "documentation for the specific driver."));
    QCOMPARE(note.icon, QMessageBox::NoIcon);
    QCOMPARE(note.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(pdfInfo(pdf).contains(QRegularExpression("Pages:\\s+1\\n")));
    // The window is back as it was.
    QVERIFY(h.Toolbar1->isVisible());
    QCOMPARE(h.size(), size);
    QCOMPARE(h.CWGraph1->axisTitle(Graph::Axis::Y), QStringLiteral("Frequency (Times)"));
    QCOMPARE(h.backgroundRole(), QPalette::Button);
    QCOMPARE(h.CWGraph1->backgroundColor(), QColor(Qt::white));

    // A printer that fails (a folder that does not exist) is said, and leaves the window as it
    // was too.
    m_dialogs->prints << true;
    m_dialogs->printPdfs << dir.filePath("missing/real.pdf");
    button(h.Toolbar1, "Print")->trigger();
    QVERIFY(!QFile::exists(dir.filePath("missing/real.pdf")));
    QCOMPARE(m_dialogs->messages().last().text,
             QStringLiteral("Cannot print: Cannot create %1: the folder does not exist")
                 .arg(dir.filePath("missing/real.pdf")));
    QCOMPARE(m_dialogs->messages().last().icon, QMessageBox::Critical);
    QVERIFY(h.Toolbar1->isVisible());
    QCOMPARE(h.size(), size);
    QCOMPARE(h.CWGraph1->axisTitle(Graph::Axis::Y), QStringLiteral("Frequency (Times)"));
}

void TestHistogramWindows::distributionClickHandsOver_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<bool>("fine");
    QTest::addColumn<double>("xLow");
    QTest::addColumn<double>("xHigh");
    QTest::addColumn<double>("yHigh");
    QTest::addColumn<AxisNumberFormat>("format");
    // Ten samples of 60.0 .. 69.0 dB, one in each class.
    QTest::newRow("CWDec") << 10 << true << 599.0 << 691.0 << 2.0 << AxisNumberFormat::Tenths;
    QTest::newRow("CWInt") << 10 << false << 58.0 << 70.0 << 2.0 << AxisNumberFormat::Whole;
    // Before the first sample the edges are inverted (CWInt: 144 .. 1): the window opens anyway.
    QTest::newRow("CWDec nothing yet")
        << 0 << true << 1.0 << 1449.0 << 1.0 << AxisNumberFormat::Tenths;
    QTest::newRow("CWInt nothing yet")
        << 0 << false << 1.0 << 144.0 << 1.0 << AxisNumberFormat::Whole;
}

void TestHistogramWindows::distributionClickHandsOver()
{
    QFETCH(int, samples);
    QFETCH(bool, fine);
    auto data = std::make_unique<PanelGraphData>();
    for (int i = 0; i < samples; ++i)
        data->add(60.0 + i, 60.0, 60.0);

    QPointer<RealHistogram> earlier = openRealHistogram(*data, fine);
    RealHistogram* h = openRealHistogram(*data, fine);
    QTRY_VERIFY(earlier.isNull());
    QVERIFY(h->isVisible());
    const HistogramHandOver& handOver = histogramClicks().handOver;
    QTEST(handOver.HistXLow, "xLow");
    QTEST(handOver.HistXHigh, "xHigh");
    QTEST(handOver.HistYHigh, "yHigh");
    QTEST(h->CWGraph1->axisFormat(Graph::Axis::X), "format");
    QCOMPARE(h->CWGraph1->pointCount(), fine ? 1401 : 141);
    if (samples > 0)
        QCOMPARE(h->CWGraph1->pointAt(fine ? 650 : 65).y(), 1.0);
}

// Ten samples of 60.0 .. 69.0 dB through the recording's sampler, then clicks on the panel's
// distribution graphs.
void TestHistogramWindows::panelGraphClicksOpenRealHistogram()
{
    PanelFixture f;
    LiveSampler& sampler = f.parts.recording->sampler();
    QDateTime time(QDate(2026, 12, 8), QTime(1, 0));
    while (sampler.graphs().SeriesIndex < 10) {
        const double level = 60.0 + sampler.graphs().SeriesIndex;
        sampler.tick(level, QString::number(level, 'f', 1), QString::number(level, 'f', 1), time);
        time = time.addSecs(1);
    }
    emit f.panel.CWDec->clicked();
    QPointer<RealHistogram> dec = histogramClicks().window;
    QVERIFY(dec && dec->isVisible());
    QCOMPARE(histogramClicks().handOver, (HistogramHandOver{691.0, 599.0, 2.0}));
    emit f.panel.CWInt->clicked();
    QTRY_VERIFY(dec.isNull());
    QCOMPARE(histogramClicks().handOver, (HistogramHandOver{70.0, 58.0, 2.0}));
    QCOMPARE(histogramClicks().window->CWGraph1->axisFormat(Graph::Axis::X),
             AxisNumberFormat::Whole);
}

// The timers are off for the run (seen when Histogram shows) and on afterwards, whatever their
// state was before.
void TestHistogramWindows::commandRunsWithPanelTimersOff()
{
    struct ShowWatch : QObject
    {
        Panel* panel = nullptr;
        int timersOnAtShow = -1;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Show && qobject_cast<Histogram*>(o))
                timersOnAtShow = int(panel->Timer1->isActive()) + int(panel->Timer2->isActive());
            return false;
        }
    };
    PanelFixture f;
    ShowWatch watch;
    watch.panel = &f.panel;
    qApp->installEventFilter(&watch);
    ListWindow list({"60.0", "70.0"});
    f.panel.Timer1->start(100000);
    showLevelStatistics(&list.window, list.list, true, &f.panel);
    qApp->removeEventFilter(&watch);
    QCOMPARE(watch.timersOnAtShow, 0);
    QVERIFY(f.panel.Timer1->isActive());
    QVERIFY(f.panel.Timer2->isActive());
    f.panel.stopTimers();
}

// "Open" fills a view; its "0.1 dB" and "1 dB" buttons run the statistics on its records.
void TestHistogramWindows::openedFileViewRunsTheCommands()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("week.kirv");
    RecordStore records;
    for (const char* level : {"60.0", "60.0", "70.0", "80.0", "75.0*"})
        records.append(QByteArray::number(records.count() + 1), "2026/12/08 01:00:00", level);
    QVERIFY(writeDataFile(path, RealTimeHeader{}.lines(), records).ok());

    PanelFixture f;
    FileList* view = f.panel.findChild<FileViews*>()->openDataFile(path);
    QVERIFY(view);
    const QString caption = view->windowTitle();
    view->PicResolution->show();
    view->Cmd01dB->click();
    Histogram* h = levelStatistics().histogram;
    QVERIFY(h);
    QCOMPARE(gridRow(h->GridLn, 2), row("L(20)", "80.0", 5, "70.0"));
    QCOMPARE(h->LblRecords->text(), QStringLiteral("4 records counted, 1 marked record (*) left out"));
    QVERIFY(view->PicResolution->isHidden());
    QCOMPARE(view->windowTitle(), caption);
    view->Cmd1dB->click();
    QTRY_VERIFY(levelStatistics().histogram != h);
    QCOMPARE(gridRow(levelStatistics().histogram->GridLn, 2), row("L(20)", "80", 5, "70"));
    f.panel.stopTimers();
}

QTEST_MAIN(TestHistogramWindows)
#include "test_histogram_windows.moc"
