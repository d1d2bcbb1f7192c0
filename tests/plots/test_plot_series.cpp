#include "kirv/plots/plot_series.h"

#include <QTest>

using kirv::PlotPause;
using kirv::PlotSeriesBuilder;

using Pauses = QList<QPair<qsizetype, qsizetype>>; // start, end (0: to the last record)

class TestPlotSeries : public QObject
{
    Q_OBJECT

private slots:
    void values_data()
    {
        QTest::addColumn<QStringList>("levels");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<Pauses>("pauses");

        QTest::newRow("pause and start")
            << QStringList{"60.0", "61.0*", "62.0*", "63.0"} << QList<double>{60, 61, 62, 63}
            << Pauses{{2, 4}};
        QTest::newRow("pause to the end")
            << QStringList{"60.0", "61.0", "62.0*", "63.0*"} << QList<double>{60, 61, 62, 63}
            << Pauses{{3, 0}};
        QTest::newRow("pause on the last record")
            << QStringList{"60.0", "61.0*"} << QList<double>{60, 61} << Pauses{{2, 0}};
        QTest::newRow("pause open under a dash at the end")
            << QStringList{"60.0*", "--"} << QList<double>{60, 25} << Pauses{{1, 0}};
        QTest::newRow("two pauses")
            << QStringList{"50.0*", "51.0", "52.0*", "53.0*", "54.0"}
            << QList<double>{50, 51, 52, 53, 54} << Pauses{{1, 2}, {3, 5}};
        QTest::newRow("141 outside a pause is off the scale")
            << QStringList{"141.0", "139.9", "140.0"} << QList<double>{145, 139.9, 145} << Pauses{};
        QTest::newRow("141 inside a pause is drawn")
            << QStringList{"60.0*", "141.0*", "144.9*", "145.0*", "70.0"}
            << QList<double>{60, 141, 144.9, 145, 70} << Pauses{{1, 5}};
        QTest::newRow("an off-scale level neither starts nor ends a pause")
            << QStringList{"150.0*", "60.0*", "150.0", "61.0"} << QList<double>{145, 60, 145, 61}
            << Pauses{{2, 4}};
        QTest::newRow("no level and L keep the pause state")
            << QStringList{"--", "-- . -", "L", "60.0*", "--", "L", "62.0"}
            << QList<double>{25, 25, 145, 60, 25, 145, 62} << Pauses{{4, 7}};
        QTest::newRow("L anywhere, lower case l is no mark")
            << QStringList{"30.0L", "L30.0", "70.0l"} << QList<double>{145, 145, 70} << Pauses{};
        QTest::newRow("texts the readers take loosely")
            << QStringList{" 89.1", "8 9.2*", "", "abc", "-3.5", "1e1", "70.25"}
            << QList<double>{89.1, 89.2, 0, 0, -3.5, 10, 70.25} << Pauses{{2, 3}};
        QTest::newRow("empty list") << QStringList{} << QList<double>{} << Pauses{};
    }

    void values()
    {
        QFETCH(QStringList, levels);
        QFETCH(QList<double>, y);
        QFETCH(Pauses, pauses);

        PlotSeriesBuilder builder;
        builder.reserve(levels.size());
        for (const QString& level : levels)
            builder.add(level.toUtf8());
        const auto series = builder.finish();

        QCOMPARE(QList<double>(series.y.begin(), series.y.end()), y);
        Pauses got;
        for (const PlotPause& pause : series.pauses)
            got.append({pause.start, pause.end});
        QCOMPARE(got, pauses);
    }

    void builderStartsOverAfterFinish()
    {
        PlotSeriesBuilder builder;
        builder.add("60.0*");
        builder.finish();
        builder.add("61.0");
        const auto series = builder.finish();
        QCOMPARE(series.y.size(), std::size_t(1));
        QVERIFY(series.pauses.empty());
    }
};

QTEST_GUILESS_MAIN(TestPlotSeries)
#include "test_plot_series.moc"
