#include "kirv/widgets/graph.h"

#include <qcustomplot.h>

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <vector>

using kirv::AxisNumberFormat;
using kirv::Graph;
using Axis = Graph::Axis;
using Mode = Graph::PointerMode;

Q_DECLARE_METATYPE(AxisNumberFormat)

namespace {

// Mouse events go to the plot widget directly, with the held buttons spelled out, so a drag
// does not depend on how the platform tracks button state.
void sendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void drag(QWidget* target, QPoint from, QPoint to)
{
    sendMouse(target, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    const QPoint middle = (from + to) / 2;
    sendMouse(target, QEvent::MouseMove, middle, Qt::NoButton, Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

QPoint pixelOf(const Graph& graph, double x, double y)
{
    return QPoint(int(graph.plot()->xAxis->coordToPixel(x)), int(graph.plot()->yAxis->coordToPixel(y)));
}

QStringList tickLabelsOf(Graph& graph, Axis axis)
{
    graph.plot()->replot();
    QCPAxis* a = axis == Axis::X ? graph.plot()->xAxis : graph.plot()->yAxis;
    return a->tickVectorLabels();
}

} // namespace

class TestGraph : public QObject
{
    Q_OBJECT

private:
    // A shown graph 0..10 x 0..10, so pixels and coordinates are both meaningful.
    std::unique_ptr<Graph> shownGraph()
    {
        auto graph = std::make_unique<Graph>();
        graph->resize(500, 320);
        graph->setAxisRange(Axis::X, 0, 10);
        graph->setAxisRange(Axis::Y, 0, 10);
        graph->show();
        if (!QTest::qWaitForWindowExposed(graph.get()))
            return nullptr;
        graph->plot()->replot();
        return graph;
    }

private slots:
    void tickLabels_data()
    {
        QTest::addColumn<int>("axis");
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("tenths long") << 1 << "*0.1" << 595.0 << 655.0
                                     << QStringList {"60.0", "61.0", "62.0", "63.0", "64.0", "65.0"};
        QTest::newRow("tenths short") << 1 << "*.1" << 595.0 << 655.0
                                      << QStringList {"60.0", "61.0", "62.0", "63.0", "64.0", "65.0"};
        QTest::newRow("tenths narrow") << 1 << "*.1" << 600.0 << 603.0
                                       << QStringList {"60.0", "60.1", "60.2", "60.3"};
        QTest::newRow("whole never repeats") << 1 << "0" << 0.0 << 3.0
                                             << QStringList {"0", "1", "2", "3"};
        QTest::newRow("whole counts") << 2 << "0" << 0.0 << 10.0
                                      << QStringList {"0", "2", "4", "6", "8", "10"};
        QTest::newRow("general") << 2 << "" << 0.0 << 0.5
                                 << QStringList {"0", "0.1", "0.2", "0.3", "0.4", "0.5"};
    }
    void tickLabels()
    {
        QFETCH(int, axis);
        QFETCH(QString, format);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(QStringList, labels);
        Graph graph;
        graph.resize(500, 320);
        QVERIFY(graph.setAxisFormat(Axis(axis), format));
        graph.setAxisRange(Axis(axis), min, max);
        QCOMPARE(tickLabelsOf(graph, Axis(axis)), labels);
    }

    void unknownFormatKeepsFormat()
    {
        Graph graph;
        graph.setAxisFormat(Axis::X, AxisNumberFormat::Tenths);
        QVERIFY(!graph.setAxisFormat(Axis::X, u"##"));
        QCOMPARE(graph.axisFormat(Axis::X), AxisNumberFormat::Tenths);
    }

    void ranges_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("readMin");
        QTest::addColumn<double>("readMax");
        QTest::newRow("plain") << 25.0 << 145.0 << 25.0 << 145.0;
        QTest::newRow("inverted start values") << 145.0 << 0.0 << 0.0 << 145.0;
        QTest::newRow("single sample") << 1.0 << 1.0 << 0.5 << 1.5;
        QTest::newRow("not a number ignored") << qQNaN() << 5.0 << 2.0 << 3.0;
    }
    void ranges()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, readMin);
        QFETCH(double, readMax);
        for (Axis axis : {Axis::X, Axis::Y}) {
            Graph graph;
            graph.setAxisRange(axis, 2, 3);
            QSignalSpy spy(&graph, &Graph::rangeChanged);
            graph.setAxisRange(axis, min, max);
            QCOMPARE(graph.axisMin(axis), readMin);
            QCOMPARE(graph.axisMax(axis), readMax);
            if (readMin != 2.0) {
                QCOMPARE(spy.count(), 1);
                QCOMPARE(spy.at(0).at(0).value<Axis>(), axis);
                QCOMPARE(spy.at(0).at(2).toDouble(), readMax);
            } else {
                QCOMPARE(spy.count(), 0);
            }
        }
    }

    void countAxisScalesToData()
    {
        Graph graph;
        const std::vector<double> counts {0, 3, 37, 2};
        graph.plotY(counts);
        QCOMPARE(graph.autoScaleCountAxis(), 40.0);
        QCOMPARE(graph.axisMin(Axis::Y), 0.0);
        QCOMPARE(graph.axisMax(Axis::Y), 40.0);

        graph.setCountAxisAutoScale(true);
        const std::vector<double> more {0, 900, 1000};
        graph.plotY(more);
        QCOMPARE(graph.axisMax(Axis::Y), 1200.0);
        graph.clearData();
        QCOMPARE(graph.axisMax(Axis::Y), 1.0);

        // An explicit range (a reset command) ends the automatic scaling.
        graph.setAxisRange(Axis::Y, 0, 50);
        graph.plotY(more);
        QVERIFY(!graph.countAxisAutoScale());
        QCOMPARE(graph.axisMax(Axis::Y), 50.0);
    }

    void plotWithFirstXAndStep()
    {
        Graph graph;
        const std::vector<double> y {60, 61, 62.5};
        graph.plotY(y, 10, 1);
        QCOMPARE(graph.pointCount(), 3);
        QCOMPARE(graph.pointAt(0), QPointF(10, 60));
        QCOMPARE(graph.pointAt(2), QPointF(12, 62.5));
        QCOMPARE(graph.pointAt(3), QPointF());
        graph.appendY(63);
        QCOMPARE(graph.pointAt(3), QPointF(13, 63));

        graph.plotY(y, 0, 2);
        QCOMPARE(graph.pointAt(2), QPointF(4, 62.5));
        graph.plotY({});
        QCOMPARE(graph.pointCount(), 0);
    }

    // A series of millions of points is drawn from its lowest and highest of each few points
    // when zoomed out; its spike, its dip and its gap stay, and the points read back are all of
    // them. Zoomed in, every point is drawn.
    void longSeriesLevelOfDetail_data()
    {
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<bool>("coarse");
        QTest::newRow("whole") << 1.0 << 3e6 << true;
        QTest::newRow("a thousand points") << 1'500'000.0 << 1'501'000.0 << false;
    }
    void longSeriesLevelOfDetail()
    {
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(bool, coarse);
        Graph graph;
        graph.resize(800, 300);
        graph.show();
        QVERIFY(QTest::qWaitForWindowExposed(&graph));
        std::vector<double> y(3'000'000);
        for (size_t i = 0; i < y.size(); ++i)
            y[i] = 50.0 + double(i % 7);
        y[1'234'567] = 120.0;
        y[2'000'001] = 10.0;
        y[2'500'000] = std::nan("");
        graph.plotY(y, 1, 1);
        graph.setAxisRange(Axis::X, lower, upper);
        graph.plot()->replot(QCustomPlot::rpImmediateRefresh);
        const auto drawn = graph.plot()->graph(0)->data();
        QCOMPARE(drawn->size() < 1'000'000, coarse);
        QCOMPARE(graph.pointCount(), 3'000'000);
        QCOMPARE(graph.pointAt(1'234'567), QPointF(1'234'568, 120.0));
        QCOMPARE(graph.pointAt(2'000'001), QPointF(2'000'002, 10.0));
        if (coarse) {
            bool found = false;
            const QCPRange levels = drawn->valueRange(found);
            QCOMPARE(levels.lower, 10.0);
            QCOMPARE(levels.upper, 120.0);
            QVERIFY(std::any_of(drawn->constBegin(), drawn->constEnd(),
                                [](const QCPGraphData& d) { return std::isnan(d.value) && d.key == 2'500'001; }));
            QVERIFY(std::is_sorted(drawn->constBegin(), drawn->constEnd(),
                                   [](const QCPGraphData& a, const QCPGraphData& b) { return a.key < b.key; }));
        }
    }

    void stripChart()
    {
        Graph graph;
        graph.setStripCapacity(5);
        graph.setStripLength(3);
        graph.appendY(40);
        QCOMPARE(graph.pointAt(0), QPointF(1, 40));
        QCOMPARE(graph.axisMin(Axis::X), 1.0);
        QCOMPARE(graph.axisMax(Axis::X), 3.0);
        for (int i = 2; i <= 8; ++i)
            graph.appendY(40 + i);
        QCOMPARE(graph.pointCount(), 5);
        QCOMPARE(graph.pointAt(0), QPointF(4, 44));
        QCOMPARE(graph.pointAt(4), QPointF(8, 48));
        QCOMPARE(graph.axisMin(Axis::X), 6.0);
        QCOMPARE(graph.axisMax(Axis::X), 8.0);

        graph.clearData();
        QCOMPARE(graph.pointCount(), 0);
        graph.appendY(50);
        QCOMPARE(graph.pointAt(0), QPointF(1, 50));
    }

    void cursorsByApi()
    {
        Graph graph;
        graph.setAxisRange(Axis::X, 0, 10);
        graph.setAxisRange(Axis::Y, 20, 40);
        const int c = graph.addCursor(Qt::red);
        QCOMPARE(graph.cursorCount(), 1);
        QCOMPARE(graph.cursorPosition(c), QPointF(5, 30));
        QVERIFY(graph.isCursorVisible(c));
        QCOMPARE(graph.cursorColor(c), QColor(Qt::red));

        QSignalSpy moved(&graph, &Graph::cursorMoved);
        graph.setCursorPosition(c, 2.5, 33);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0), (QVariantList {c, 2.5, 33.0}));
        graph.setCursorPosition(c, 2.5, 33);
        QCOMPARE(moved.count(), 1);

        const std::vector<double> y {21, 22, 23, 24};
        graph.plotY(y);
        graph.setCursorSnapToPlot(c, true);
        graph.setCursorPosition(c, 2.6, 39);
        QCOMPARE(graph.cursorPosition(c), QPointF(3, 23));

        const int second = graph.addCursor(Qt::green);
        graph.removeCursor(c);
        QCOMPARE(graph.cursorCount(), 1);
        QCOMPARE(graph.cursorColor(0), QColor(Qt::green));
        graph.removeCursor(second); // gone out of range now: ignored
        graph.removeAllCursors();
        QCOMPARE(graph.cursorCount(), 0);
        QCOMPARE(graph.cursorPosition(0), QPointF());
    }

    void cursorDrag()
    {
        auto graph = shownGraph();
        QVERIFY(graph);
        const int c = graph->addCursor();
        graph->setCursorPosition(c, 5, 5);
        QSignalSpy moved(graph.get(), &Graph::cursorMoved);

        // Outside the cursor mode a drag leaves the cursor alone.
        drag(graph->plot(), pixelOf(*graph, 5, 5), pixelOf(*graph, 7, 3));
        QCOMPARE(moved.count(), 0);

        graph->setPointerMode(Mode::Cursor);
        drag(graph->plot(), pixelOf(*graph, 5, 5), pixelOf(*graph, 7, 3));
        QVERIFY(moved.count() >= 1);
        const QList<QVariant> last = moved.constLast();
        QCOMPARE(last.at(0).toInt(), c);
        QVERIFY(qAbs(last.at(1).toDouble() - 7) < 0.1);
        QVERIFY(qAbs(last.at(2).toDouble() - 3) < 0.1);
        QCOMPARE(graph->cursorPosition(c), QPointF(last.at(1).toDouble(), last.at(2).toDouble()));

        // A press away from the cursor brings it there; a hidden cursor never moves.
        graph->setCursorVisible(c, false);
        moved.clear();
        drag(graph->plot(), pixelOf(*graph, 2, 8), pixelOf(*graph, 3, 8));
        QCOMPARE(moved.count(), 0);
    }

    void pointerModes_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<bool>("xChanges");
        QTest::addColumn<bool>("yChanges");
        QTest::newRow("Normal") << Mode::Normal << false << false;
        QTest::newRow("Cursor") << Mode::Cursor << false << false;
        QTest::newRow("PanXY") << Mode::PanXY << true << true;
        QTest::newRow("PanX") << Mode::PanX << true << false;
        QTest::newRow("PanY") << Mode::PanY << false << true;
        QTest::newRow("ZoomXY") << Mode::ZoomXY << true << true;
        QTest::newRow("ZoomX") << Mode::ZoomX << true << false;
        QTest::newRow("ZoomY") << Mode::ZoomY << false << true;
    }
    void pointerModes()
    {
        QFETCH(Mode, mode);
        QFETCH(bool, xChanges);
        QFETCH(bool, yChanges);
        auto graph = shownGraph();
        QVERIFY(graph);
        graph->setPointerMode(mode);
        QCOMPARE(graph->pointerMode(), mode);
        drag(graph->plot(), pixelOf(*graph, 2, 2), pixelOf(*graph, 6, 7));
        QCOMPARE(graph->axisMin(Axis::X) != 0.0 || graph->axisMax(Axis::X) != 10.0, xChanges);
        QCOMPARE(graph->axisMin(Axis::Y) != 0.0 || graph->axisMax(Axis::Y) != 10.0, yChanges);
        if (mode == Mode::ZoomX || mode == Mode::ZoomXY) {
            QVERIFY(qAbs(graph->axisMin(Axis::X) - 2) < 0.1);
            QVERIFY(qAbs(graph->axisMax(Axis::X) - 6) < 0.1);
        }
        if (mode == Mode::ZoomY || mode == Mode::ZoomXY) {
            QVERIFY(qAbs(graph->axisMin(Axis::Y) - 2) < 0.1);
            QVERIFY(qAbs(graph->axisMax(Axis::Y) - 7) < 0.1);
        }
        if (mode == Mode::PanX || mode == Mode::PanXY) // the view follows the pointer
            QVERIFY(qAbs(graph->axisMin(Axis::X) + 4) < 0.1);
    }

    void clickOnlyInPlainDisplay()
    {
        auto graph = shownGraph();
        QVERIFY(graph);
        QSignalSpy clicked(graph.get(), &Graph::clicked);
        drag(graph->plot(), pixelOf(*graph, 5, 5), pixelOf(*graph, 5, 5));
        QCOMPARE(clicked.count(), 1);
        drag(graph->plot(), pixelOf(*graph, 2, 5), pixelOf(*graph, 8, 5));
        QCOMPARE(clicked.count(), 1);
        graph->setPointerMode(Mode::PanXY);
        drag(graph->plot(), pixelOf(*graph, 5, 5), pixelOf(*graph, 5, 5));
        QCOMPARE(clicked.count(), 1);
    }

    void labelsTiedToPoints()
    {
        Graph graph;
        const std::vector<double> y {60, 61, 62, 63};
        graph.plotY(y);
        graph.addLabel("Pause0", "Pause", 2, 30);
        graph.addLabel("Start0", "Start", 4, 105);
        QCOMPARE(graph.labelNames(), (QStringList {"Pause0", "Start0"}));
        QCOMPARE(graph.labelCaption("Start0"), "Start");
        QCOMPARE(graph.labelPosition("Pause0"), QPointF(2, 30));
        QCOMPARE(graph.labelPoint("Pause0").value_or(QPointF()), QPointF(2, 61));

        // The tie follows the data; without data there is no point.
        const std::vector<double> other {70, 71, 72, 73};
        graph.plotY(other);
        QCOMPARE(graph.labelPoint("Start0").value_or(QPointF()), QPointF(4, 73));
        graph.clearData();
        QVERIFY(!graph.labelPoint("Start0"));
        graph.plot()->replot(); // drawing a label without a point must hold

        graph.addLabel("Pause0", "Again", 3, 30);
        QCOMPARE(graph.labelNames().count("Pause0"), 1);
        QCOMPARE(graph.labelCaption("Pause0"), "Again");
        graph.removeLabel("Start0");
        QCOMPARE(graph.labelNames(), QStringList {"Pause0"});
        QVERIFY(!graph.labelPoint("Start0"));
        graph.clearLabels();
        QVERIFY(graph.labelNames().isEmpty());
        QCOMPARE(graph.plot()->itemCount(), 0);
    }

    // A crowd of labels shows the first of it; zoomed in, each has room. Regions stay drawn.
    void labelsOnlyWithRoom()
    {
        auto graph = shownGraph();
        QVERIFY(graph);
        graph->plotY(std::vector<double>(400, 5.0));
        graph->setAxisRange(Axis::X, 1, 400);
        for (int i = 0; i < 40; ++i) {
            graph->addRegion(10 * i + 1, 10 * i + 3);
            graph->addLabel(QStringLiteral("Pause %1").arg(i), "Pause", 10 * i + 1, 2);
        }
        const auto shown = [&] {
            graph->plot()->replot();
            const QStringList names = graph->labelNames();
            return std::count_if(names.begin(), names.end(), [&](const QString& n) { return graph->isLabelShown(n); });
        };
        QVERIFY(shown() > 3 && shown() < 20);
        QVERIFY(graph->isLabelShown("Pause 0") && !graph->isLabelShown("Pause 1"));
        QCOMPARE(graph->regionCount(), 40);
        graph->setAxisRange(Axis::X, 1, 40);
        QCOMPARE(shown(), 4);
    }

    // The lowest and highest classes of the span low .. high + 1 are drawn whole: a class's step
    // reaches from it to the next class.
    void histogramEdgeClassesWhole()
    {
        auto graph = shownGraph();
        QVERIFY(graph);
        graph->setPlotStyle(Graph::PlotStyle::Steps);
        std::vector<double> counts(20, 0.0);
        counts[5] = counts[9] = 8;
        graph->plotY(counts, 0.0, 1.0);
        graph->setAxisRange(Axis::X, 5, 10);
        graph->plot()->replot();
        const QImage image = graph->plot()->toPixmap().toImage();
        const auto filled = [&](double x) {
            return image.pixelColor(pixelOf(*graph, x, 3.3)) != graph->backgroundColor(); // off the grid
        };
        QVERIFY(filled(5.1) && filled(5.9));
        QVERIFY(!filled(6.1));
        QVERIFY(filled(9.1) && filled(9.9));
    }

    void backgroundColour_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::newRow("white") << QColor(Qt::white);
        QTest::newRow("black") << QColor(Qt::black);
    }
    void backgroundColour()
    {
        QFETCH(QColor, color);
        Graph graph;
        graph.resize(300, 200);
        graph.setBackgroundColor(color);
        QCOMPARE(graph.backgroundColor(), color);
        graph.plot()->replot();
        const QImage image = graph.grab().toImage();
        QCOMPARE(image.pixelColor(2, 2), color);
        QCOMPARE(image.pixelColor(image.width() - 3, image.height() - 3), color);
    }
};

QTEST_MAIN(TestGraph)
#include "test_graph.moc"
