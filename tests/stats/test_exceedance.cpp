#include "kirv/stats/exceedance.h"
#include "kirv/stats/record_levels.h"

#include <QTest>

using namespace kirv;

namespace {

// Expected table as runs: {first j, last j, text}.
struct Run
{
    int first;
    int last;
    const char* text;
};
using Runs = QList<Run>;

RecordStore storeOf(const QStringList& levels)
{
    RecordStore store;
    int n = 0;
    for (const QString& level : levels)
        store.append(QByteArray::number(++n), "2026/12/08 01:00:00", level.toUtf8());
    return store;
}

QStringList tableTexts(const ExceedanceTable& table)
{
    QStringList texts;
    for (int j = 0; j < ExceedanceTable::Entries; ++j)
        texts << table.text(j);
    return texts;
}

QStringList expand(const Runs& runs)
{
    QStringList texts(ExceedanceTable::Entries);
    for (const Run& run : runs)
        for (int j = run.first; j <= run.last; ++j)
            texts[j] = QString::fromLatin1(run.text);
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(Resolution)
Q_DECLARE_METATYPE(Runs)

class TestExceedance : public QObject
{
    Q_OBJECT

private slots:
    void classOfText_data();
    void classOfText();
    void table_data();
    void table();
    void gridLnLayout();
    void recordStoreMatchesTexts();
    void classCountsPassSixteenBits();
};

void TestExceedance::classOfText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fine");   // -1: not counted
    QTest::addColumn<int>("coarse"); // -1: not counted
    QTest::newRow("plain") << "93.4" << 934 << 93;
    QTest::newRow("marked") << "93.4*" << -1 << -1;
    QTest::newRow("marked with dash") << "-*" << -1 << -1;
    QTest::newRow("dash") << "--" << 250 << 25;
    QTest::newRow("negative") << "-3.0" << 250 << 25;
    QTest::newRow("capital L") << "L" << 1450 << 145;
    QTest::newRow("under mark with L") << "30.0L" << 1450 << 145;
    QTest::newRow("dash before L") << "-L" << 250 << 25;
    QTest::newRow("small l is no mark") << "60.0l" << 600 << 60;
    QTest::newRow("144.9") << "144.9" << 1449 << 144;
    QTest::newRow("145.0") << "145.0" << 1450 << 145;
    QTest::newRow("200") << "200" << 1450 << 145;
    QTest::newRow("144.96 rounds to the top") << "144.96" << 1450 << 144;
    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("no number") << "Over" << 0 << 0;
    QTest::newRow("blanks ignored") << " 6 0.5 " << 605 << 60;
    QTest::newRow("whole") << "70" << 700 << 70;
    QTest::newRow("hundredths up") << "60.06" << 601 << 60;
    QTest::newRow("hundredths down") << "60.04" << 600 << 60;
    QTest::newRow("tie to even down") << "60.05" << 600 << 60;
    QTest::newRow("tie to even up") << "60.15" << 602 << 60;
    QTest::newRow("just above tie") << "60.0501" << 601 << 60;
    QTest::newRow("leading point") << ".4" << 4 << 0;
    QTest::newRow("plus sign") << "+60.0" << 600 << 60;
    QTest::newRow("exponent") << "6e1" << 600 << 60;
    QTest::newRow("huge exponent") << "1e300" << 1450 << 145;
    QTest::newRow("many digits") << "99999999999999999999" << 1450 << 145;
}

void TestExceedance::classOfText()
{
    QFETCH(QString, text);
    QFETCH(int, fine);
    QFETCH(int, coarse);
    const QByteArray utf8 = text.toUtf8();
    for (const auto& [r, want] :
         {std::pair{Resolution::Fine, fine}, {Resolution::Coarse, coarse}}) {
        const auto fromText = levelClass(QStringView(text), r);
        const auto fromBytes = levelClass(QByteArrayView(utf8), r);
        QCOMPARE(fromText.value_or(-1), want);
        QCOMPARE(fromBytes.value_or(-1), want);
    }
}

void TestExceedance::table_data()
{
    QTest::addColumn<QStringList>("levels");
    QTest::addColumn<Resolution>("resolution");
    QTest::addColumn<int>("low");  // -1: none
    QTest::addColumn<int>("high"); // -1: none
    QTest::addColumn<qint64>("counted");
    QTest::addColumn<qint64>("leftOut");
    QTest::addColumn<Runs>("runs");

    const QStringList example{"60.0", "60.0", "70.0", "80.0"};
    QTest::newRow("worked example 0.1 dB")
        << example << Resolution::Fine << 600 << 800 << qint64(4) << qint64(0)
        << Runs{{0, 24, "80.0"}, {25, 49, "70.0"}, {50, 99, "60.0"}};
    QTest::newRow("worked example 1 dB")
        << example << Resolution::Coarse << 60 << 80 << qint64(4) << qint64(0)
        << Runs{{0, 24, "80"}, {25, 49, "70"}, {50, 99, "60"}};
    // A marked record is neither counted nor part of N, so every entry describes the measured
    // records and none is left over from elsewhere.
    QTest::newRow("marked left out of N") << QStringList{"60.0", "93.4*"} << Resolution::Fine << 600
                                          << 600 << qint64(1) << qint64(1) << Runs{{0, 99, "60.0"}};
    QTest::newRow("dash and L") << QStringList{"--", "L"} << Resolution::Fine << 250 << 1450
                                << qint64(2) << qint64(0)
                                << Runs{{0, 49, "145.0"}, {50, 99, "25.0"}};
    QTest::newRow("empty list") << QStringList{} << Resolution::Fine << -1 << -1 << qint64(0)
                                << qint64(0) << Runs{};
    QTest::newRow("all marked") << QStringList{"60.0*", "61.0*"} << Resolution::Coarse << -1 << -1
                                << qint64(0) << qint64(2) << Runs{};
    // Class 0 is never the low end, but its records are counted and reach the table.
    QTest::newRow("only class 0") << QStringList{"", "x"} << Resolution::Coarse << -1 << -1
                                  << qint64(2) << qint64(0) << Runs{{0, 99, "0"}};
    QTest::newRow("single record") << QStringList{"93.4"} << Resolution::Fine << 934 << 934
                                   << qint64(1) << qint64(0) << Runs{{0, 99, "93.4"}};
}

void TestExceedance::table()
{
    QFETCH(QStringList, levels);
    QFETCH(Resolution, resolution);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(qint64, counted);
    QFETCH(qint64, leftOut);
    QFETCH(Runs, runs);

    const LevelDistribution d = distribute(std::span<const QString>(levels), resolution);
    QCOMPARE(d.counts.size(), size_t(topClass(resolution)) + 1);
    QCOMPARE(d.lowClass().value_or(-1), low);
    QCOMPARE(d.highClass().value_or(-1), high);
    QCOMPARE(d.counted, counted);
    QCOMPARE(d.leftOut, leftOut);
    const ExceedanceTable table = exceedance(d);
    QCOMPARE(table.recordCount, counted);
    QCOMPARE(tableTexts(table), expand(runs));
}

void TestExceedance::gridLnLayout()
{
    const QStringList levels{"60.0", "60.0", "70.0", "80.0"};
    const ExceedanceTable table =
        exceedance(distribute(std::span<const QString>(levels), Resolution::Fine));
    QCOMPARE(gridLnTitles(),
             QStringList({"Ln", " 0", " 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8", " 9"}));
    QCOMPARE(gridLnRow(table, 0), QStringList({"L(00)", "80.0", "80.0", "80.0", "80.0", "80.0",
                                               "80.0", "80.0", "80.0", "80.0", "80.0"}));
    QCOMPARE(gridLnRow(table, 2), QStringList({"L(20)", "80.0", "80.0", "80.0", "80.0", "80.0",
                                               "70.0", "70.0", "70.0", "70.0", "70.0"}));
    QCOMPARE(gridLnRow(table, 5), QStringList({"L(50)", "60.0", "60.0", "60.0", "60.0", "60.0",
                                               "60.0", "60.0", "60.0", "60.0", "60.0"}));
    QCOMPARE(gridLnRow(table, 9).first(), QStringLiteral("L(90)"));
    QCOMPARE(gridLnRow(ExceedanceTable{}, 3),
             QStringList({"L(30)", "", "", "", "", "", "", "", "", "", ""}));
}

// The record list path (bytes, with progress) gives what the text path gives.
void TestExceedance::recordStoreMatchesTexts()
{
    QStringList levels;
    for (int i = 0; i < 10000; ++i)
        levels << QString::number(40.0 + (i * 7919 % 900) / 10.0, 'f', 1) +
                      (i % 97 == 0 ? "*" : "");
    levels << "--"
           << "L"
           << ""
           << "150.0";
    QList<qsizetype> reports;
    const LevelDistribution fromStore =
        distribute(storeOf(levels), Resolution::Fine, [&](qsizetype done) { reports << done; });
    const LevelDistribution fromTexts =
        distribute(std::span<const QString>(levels), Resolution::Fine);
    QCOMPARE(fromStore.counts, fromTexts.counts);
    QCOMPARE(fromStore.leftOut, fromTexts.leftOut);
    QCOMPARE(reports, QList<qsizetype>({4096, 8192, 10004}));
    QCOMPARE(tableTexts(exceedance(fromStore)), tableTexts(exceedance(fromTexts)));
    QVERIFY(distribute(RecordStore{}, Resolution::Coarse).counted == 0);
}

// One class holding more records than a 16-bit count can hold.
void TestExceedance::classCountsPassSixteenBits()
{
    LevelCounter counter(Resolution::Coarse);
    for (int i = 0; i < 70000; ++i)
        counter.add(QByteArrayView("65.0"));
    counter.add(QByteArrayView("90.0"));
    const LevelDistribution d = counter.take();
    QCOMPARE(d.counts[65], qint64(70000));
    QCOMPARE(d.counted, qint64(70001));
    const ExceedanceTable table = exceedance(d);
    QCOMPARE(table.text(0), QStringLiteral("65")); // 1 of 70001 records does not reach 0.5 %
    QCOMPARE(table.text(99), QStringLiteral("65"));
}

QTEST_APPLESS_MAIN(TestExceedance)
#include "test_exceedance.moc"
