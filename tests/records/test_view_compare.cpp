// "Compare with..." of a view's Plot: offered only while another file is open, the choice of
// the other views, the second file's levels and the period Leq difference on the first file's
// axis by the clock and by elapsed time, the table of both files' figures under the graph
// (worked out by hand), and the end of the comparison when the second view closes.

#include "tests/records/view_fixture.h"
#include "tests/stats/compare_files.h"

#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_compare.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/stats/ui/compare_choice.h"
#include "kirv/stats/ui/periods.h"
#include "kirv/stats/ui/plot_comparison.h"
#include "kirv/widgets/graph.h"

#include <qcustomplot.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>

using namespace kirv;
using namespace kirv::test;

namespace {

using Points = QList<QPointF>;

Points pointsOf(const QCPGraph* graph)
{
    Points points;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
        points << QPointF(it->key, it->value);
    return points;
}

// NaN never equals itself: a gap is compared as a gap.
bool samePoints(const Points& a, const Points& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const bool gaps = std::isnan(a[i].y()) && std::isnan(b[i].y());
        if (a[i].x() != b[i].x() || (!gaps && a[i].y() != b[i].y()))
            return false;
    }
    return true;
}

// A figure's column: its name, then A's, B's and the difference.
QStringList figureTexts(const QTableWidget* grid, int column)
{
    QStringList texts{grid->horizontalHeaderItem(column)->text()};
    for (int r = 0; r < grid->rowCount(); ++r)
        texts << grid->item(r, column)->text();
    return texts;
}

// A panel with the two files of the compare table open, A's periods one minute long.
struct CompareFixture
{
    QTemporaryDir dir;
    PanelFixture f;
    FileViews* views = f.panel.findChild<FileViews*>(QStringLiteral("FileViews"));
    QPointer<FileList> a, b;

    FileList* open(const char* name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return nullptr;
        file.close();
        return views->openDataFile(file.fileName());
    }

    Plot* plotOfA()
    {
        a->toolbarButton("Plot")->trigger();
        return plotOf(a);
    }

    // "Compare with..." and the first file of the choice.
    CompareChoice* choose(Plot* plot)
    {
        plot->Compare->ActCompare->trigger();
        auto* choice = plot->findChild<CompareChoice*>();
        if (choice)
            choice->Buttons->button(QDialogButtonBox::Ok)->click();
        return choice;
    }
};

} // namespace

class TestViewCompare : public QObject
{
    Q_OBJECT

private slots:
    void offeredWhileAnotherViewIsOpen();
    void comparison_data();
    void comparison();
    void closingTheSecondViewEndsIt();
};

void TestViewCompare::offeredWhileAnotherViewIsOpen()
{
    CompareFixture c;
    c.a = c.open("a.kirv", compareFileA());
    Plot* plot = c.plotOfA();
    QVERIFY(plot);
    const auto offered = [&](bool on, const char* tip) {
        QCOMPARE(plot->Compare->ActCompare->isEnabled(), on);
        QCOMPARE(plot->Compare->CmdCompare->isEnabled(), on);
        QCOMPARE(plot->Compare->CmdCompare->toolTip(), QLatin1String(tip));
        QCOMPARE(plot->Compare->ActCompare->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));
    };
    offered(false, "Open another data file to compare with");
    plot->Compare->ActCompare->trigger(); // off: nothing opens
    QVERIFY(!plot->findChild<CompareChoice*>());

    c.b = c.open("b.kirv", compareFileB());
    offered(true, "Draw the levels of another open file over these (Ctrl+K)");
    QVERIFY(c.b->close());
    QTRY_VERIFY(!c.b);
    offered(false, "Open another data file to compare with");
}

void TestViewCompare::comparison_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<double>("firstX"); // where B's first record lies on A's record axis
    QTest::addColumn<Points>("difference");

    const double gap = std::nan("");
    // A starts at 08:00:30: its 08:00 period begins at x = -29, its 08:01 period at x = 31.
    // By the clock only 08:01 has a partner (B 63.0 - A 60.0); by elapsed time each minute has.
    QTest::newRow("clock time") << int(PlotCompare::ClockTime) << 31.0
                                << Points{{-29, gap}, {31, 3.0}, {91, 3.0}};
    QTest::newRow("elapsed time") << int(PlotCompare::ElapsedTime) << 1.0
                                  << Points{{-29, 13.0}, {31, 10.0}, {91, 10.0}};
}

void TestViewCompare::comparison()
{
    QFETCH(int, alignment);
    QFETCH(double, firstX);
    QFETCH(Points, difference);

    CompareFixture c;
    c.a = c.open("a.kirv", compareFileA());
    c.b = c.open("b.kirv", compareFileB());
    c.a->toolbarButton("Periods")->trigger();
    auto* periods = c.a->findChild<Periods*>();
    QVERIFY(periods);
    periods->CboLength->setCurrentIndex(periods->CboLength->findData(1));
    Plot* plot = c.plotOfA();
    PlotCompare* compare = plot->Compare;
    compare->CboAlign->setCurrentIndex(alignment);

    plot->Compare->ActCompare->trigger();
    auto* choice = plot->findChild<CompareChoice*>();
    QVERIFY(choice);
    QCOMPARE(choice->windowTitle(), QStringLiteral("Compare with"));
    QCOMPARE(choice->LblPrompt->text(), QStringLiteral("Compare a.kirv with:"));
    QCOMPARE(choice->LstFiles->count(), 1);
    QCOMPARE(choice->LstFiles->item(0)->text(), QStringLiteral("b.kirv"));
    QCOMPARE(choice->LstFiles->accessibleName(), QStringLiteral("Open files"));
    choice->Buttons->button(QDialogButtonBox::Ok)->click();
    QTRY_VERIFY(compare->comparing());
    QCOMPARE(comparedList(*plot), c.b.data());

    // The table: each file's own figures and how far B lies above A.
    const QTableWidget* grid = compare->GridCompare;
    QVERIFY(grid->isVisible());
    QCOMPARE(grid->accessibleName(), QStringLiteral("Compared figures"));
    QStringList headers;
    for (int r = 0; r < grid->rowCount(); ++r)
        headers << grid->verticalHeaderItem(r)->text();
    QCOMPARE(headers, (QStringList{"a.kirv", "b.kirv", "B - A"}));
    const auto text = [](double x) { return QString::number(x, 'f', 1); };
    const double leqA = handLeq(50.0, 60.0), leqB = handLeq(63.0, 70.0);
    QCOMPARE(figureTexts(grid, 0), (QStringList{"Leq", text(leqA), text(leqB), text(leqB - leqA)}));
    QCOMPARE(figureTexts(grid, 1), (QStringList{"L10", "60.0", "70.0", "10.0"}));
    QCOMPARE(figureTexts(grid, 2), (QStringList{"L90", "50.0", "63.0", "13.0"}));
    QCOMPARE(figureTexts(grid, 3), (QStringList{"Lmax", "60.0", "70.0", "10.0"}));

    // B's levels on A's axis, one second a record; the difference only with its box.
    const Points levels = pointsOf(compare->levelsGraph());
    QCOMPARE(levels.size(), 120);
    QCOMPARE(levels.first(), QPointF(firstX, 63.0));
    QCOMPARE(levels.last(), QPointF(firstX + 119, 70.0));
    QVERIFY(samePoints(pointsOf(compare->differenceGraph()), difference));
    QVERIFY(!compare->differenceGraph()->visible());
    compare->ChkDifference->setChecked(true);
    QVERIFY(compare->differenceGraph()->visible());
    QCOMPARE(plot->CWGraph1->plot()->yAxis2->label(), QStringLiteral("B - A (dB)"));
    // "Reset Scale" takes in both files.
    plot->CmdReset->click();
    QCOMPARE(plot->CWGraph1->axisMin(Graph::Axis::X), std::min(1.0, firstX));
    QCOMPARE(plot->CWGraph1->axisMax(Graph::Axis::X), std::max(60.0, firstX + 119));
    if (const QString grabs = qEnvironmentVariable("KIRV_GRAB_DIR"); !grabs.isEmpty()) {
        plot->show();
        QVERIFY(QTest::qWaitForWindowExposed(plot));
        plot->grab().save(grabs + QStringLiteral("/compare_%1.png").arg(QTest::currentDataTag()).replace(' ', '_'));
    }

    // The other alignment draws anew; the figures stay, being each file's own.
    compare->CboAlign->setCurrentIndex(1 - alignment);
    QVERIFY(!samePoints(pointsOf(compare->differenceGraph()), difference));
    QCOMPARE(figureTexts(grid, 2), (QStringList{"L90", "50.0", "63.0", "13.0"}));
    compare->CmdEndCompare->click();
    QVERIFY(!compare->comparing() && grid->isHidden());
    QTRY_VERIFY(!comparedList(*plot));
    QCOMPARE(compare->levelsGraph()->data()->size(), 0);
}

void TestViewCompare::closingTheSecondViewEndsIt()
{
    CompareFixture c;
    c.a = c.open("a.kirv", compareFileA());
    c.b = c.open("b.kirv", compareFileB());
    Plot* plot = c.plotOfA();
    QVERIFY(c.choose(plot));
    QTRY_VERIFY(plot->Compare->comparing());
    QVERIFY(c.b->close());
    QTRY_VERIFY(!c.b);
    QVERIFY(!plot->Compare->comparing());
    QVERIFY(plot->Compare->GridCompare->isHidden());
    QVERIFY(!plot->Compare->ActCompare->isEnabled());
}

QTEST_MAIN(TestViewCompare)
#include "test_view_compare.moc"
