// The compare table of two files against figures worked out by hand: each file's Leq, L10, L90
// and Lmax with their difference, and the period Leq paired by the clock and by elapsed time.

#include "kirv/stats/compare_table.h"
#include "kirv/stats/report_of.h"
#include "tests/stats/compare_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kirv;
using namespace kirv::test;

namespace {

struct Pair
{
    const char* startA; // "" where A has no such period
    const char* startB;
    std::optional<double> leqA, leqB, difference;
};

} // namespace

Q_DECLARE_METATYPE(std::vector<Pair>)
Q_DECLARE_METATYPE(std::vector<qint64>)

class TestCompareTable : public QObject
{
    Q_OBJECT

private slots:
    void table_data();
    void table();
    void missingFigures();
};

void TestCompareTable::table_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<std::vector<Pair>>("pairs");
    QTest::addColumn<std::vector<qint64>>("at");

    // By the clock only 08:01 lies in both; A alone has 08:00, B alone 08:02.
    QTest::newRow("clock time")
        << int(CompareAlignment::ClockTime)
        << std::vector<Pair>{{"2009/03/04 08:00:00", "", 50.0, {}, {}},
                             {"2009/03/04 08:01:00", "2009/03/04 08:01:00", 60.0, 63.0, 3.0},
                             {"", "2009/03/04 08:02:00", {}, 70.0, {}}}
        << std::vector<qint64>{};
    // Each file's first minute beside the other's first, the second beside the second.
    QTest::newRow("elapsed time")
        << int(CompareAlignment::ElapsedTime)
        << std::vector<Pair>{{"2009/03/04 08:00:00", "2009/03/04 08:01:00", 50.0, 63.0, 13.0},
                             {"2009/03/04 08:01:00", "2009/03/04 08:02:00", 60.0, 70.0, 10.0}}
        << std::vector<qint64>{0, 60};
}

void TestCompareTable::table()
{
    QFETCH(int, alignment);
    QFETCH(std::vector<Pair>, pairs);
    QFETCH(std::vector<qint64>, at);

    QTemporaryDir dir;
    const QString a = dir.filePath("a.kirv"), b = dir.filePath("b.kirv");
    for (const auto& [path, bytes] : {std::pair{a, compareFileA()}, std::pair{b, compareFileB()}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    ReportRequest request;
    request.periodMinutes = 1;
    const FileReport ra = reportOf(a, request), rb = reportOf(b, request);
    QVERIFY(ra.ok() && rb.ok());
    const CompareTable t = compareTable(ra.values, rb.values, CompareAlignment(alignment));

    QCOMPARE(t.fileA, a);
    QCOMPARE(t.fileB, b);
    const double leqA = handLeq(50.0, 60.0), leqB = handLeq(63.0, 70.0);
    QCOMPARE(leqA, 57.4);
    QCOMPARE(leqB, 67.7);
    const std::array<std::array<double, 3>, 4> figures{{{leqA, leqB, 10.3},
                                                        {60.0, 70.0, 10.0},  // L10
                                                        {50.0, 63.0, 13.0},  // L90
                                                        {60.0, 70.0, 10.0}}}; // Lmax
    const std::array<const char*, 4> labels{"Leq", "L10", "L90", "Lmax"};
    for (size_t i = 0; i < 4; ++i) {
        const CompareFigure& f = t.figures[i];
        QCOMPARE(QLatin1String(f.label), QLatin1String(labels[i]));
        QCOMPARE(f.a, figures[i][0]);
        QCOMPARE(f.b, figures[i][1]);
        QCOMPARE(f.difference, figures[i][2]);
    }

    QCOMPARE(t.periods.size(), pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        const ComparePeriod& p = t.periods[i];
        const Pair& want = pairs[i];
        QCOMPARE(p.a ? p.a->start : QString(), QLatin1String(want.startA));
        QCOMPARE(p.b ? p.b->start : QString(), QLatin1String(want.startB));
        QCOMPARE(p.a ? std::optional(p.a->leq) : std::nullopt, want.leqA);
        QCOMPARE(p.b ? std::optional(p.b->leq) : std::nullopt, want.leqB);
        QCOMPARE(p.difference, want.difference);
        if (!at.empty())
            QCOMPARE(p.at, at[i]);
    }
}

// A file without a counted record has no figures: the difference is missing, not a number.
void TestCompareTable::missingFigures()
{
    ReportValues a, b;
    a.leq = 60.0;
    a.lmax = 61.0;
    const CompareTable t = compareTable(a, b, CompareAlignment::ClockTime);
    for (const CompareFigure& f : t.figures)
        QVERIFY(!f.b && !f.difference);
    QCOMPARE(t.figures[0].a, 60.0);
    QVERIFY(t.periods.empty());
}

QTEST_GUILESS_MAIN(TestCompareTable)
#include "test_compare_table.moc"
