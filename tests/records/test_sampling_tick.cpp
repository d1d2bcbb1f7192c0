#include "kirv/base/clock.h"
#include "kirv/records/filenames.h"
#include "kirv/records/sampling.h"
#include "kirv/base/civil_time.h"

#include <QTest>

#include <limits>
#include <memory>
#include <numeric>

using namespace kirv;

namespace {

const QDateTime StartTime(QDate(2024, 3, 9), QTime(23, 59, 58));

QString levelText(double level)
{
    return tenthText(level);
}

// Drives a sampler one second per tick from StartTime, the live reading and LblValue alike.
struct Clocked
{
    explicit Clocked(int rowLimit = MaxListRows) : sampler(std::make_unique<LiveSampler>(rowLimit)) {}

    std::unique_ptr<LiveSampler> sampler;
    int seconds = 0;

    TickResult tick(double level)
    {
        return sampler->tick(level, levelText(level), levelText(level), StartTime.addSecs(seconds++));
    }
    // Ticks until a sample is taken (the first sample after start or a new interval comes at
    // the tick after the interval has run).
    TickResult sample(double level)
    {
        for (;;) {
            TickResult r = tick(level);
            if (r.sampled)
                return r;
        }
    }
    const SamplingState& state() const { return sampler->state(); }
    const PanelGraphData& graphs() const { return sampler->graphs(); }
};

} // namespace

class TestSamplingTick : public QObject
{
    Q_OBJECT

private slots:
    void intervalSpacesSamplesNotRunningValues_data();
    void intervalSpacesSamplesNotRunningValues();
    void maximumKeepsItsFirstTime();
    void sampleRecordsShownLevel();
    void threeRecordedTicks();
    void corruptLevelWordKeepsLeqAndSel();
    void recordingStopsAtRowLimit();
    void fullListIsSavedAndRestarted();
    void levelClasses_data();
    void levelClasses();
    void edgesAndVisibleHistogram();
    void seriesWrapAfterLastSlot();
    void refreshKeepsRecordingAndScales();
    void linkLossEndsRecordingKeepsExtremes();
    void automaticName();
};

void TestSamplingTick::intervalSpacesSamplesNotRunningValues_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<QList<int>>("sampledTicks");
    QTest::newRow("1 s") << 1 << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    QTest::newRow("5 s") << 5 << QList<int>{6, 11, 16};
    QTest::newRow("7 s") << 7 << QList<int>{8, 15};
}

void TestSamplingTick::intervalSpacesSamplesNotRunningValues()
{
    QFETCH(int, interval);
    QFETCH(QList<int>, sampledTicks);
    Clocked c;
    c.sampler->setSampleInterval(interval);
    QList<int> sampled;
    QString lastLeq;
    for (int t = 1; t <= 16; ++t) {
        const TickResult r = c.tick(50.0 + t);
        QVERIFY2(r.leqText != lastLeq, "Leq must change every tick");
        lastLeq = r.leqText;
        if (r.sampled) {
            sampled << t;
            QCOMPARE(r.record.number, QString::number(sampled.size()));
        }
    }
    QCOMPARE(sampled, sampledTicks);
    c.sampler->setSampleInterval(100000); // clamped, and the count starts again
    QCOMPARE(c.state().SampleInterval, MaxSampleInterval);
    QCOMPARE(c.state().SampleTick, 0);
    QCOMPARE(c.state().ListRows, int(sampledTicks.size()));
    QCOMPARE(c.state().Live.count(), qint64(16));
}

void TestSamplingTick::maximumKeepsItsFirstTime()
{
    Clocked c;
    TickResult r = c.tick(60.0);
    QVERIFY(r.maxChanged);
    QCOMPARE(r.maxText, QStringLiteral("60.0"));
    QCOMPARE(r.maxTime, QStringLiteral("2024/03/09 23:59:58"));
    r = c.tick(70.0);
    QCOMPARE(r.leqText, QStringLiteral("67.4"));
    QCOMPARE(r.selText, QStringLiteral("70.4"));
    QVERIFY(r.maxChanged);
    QCOMPARE(r.maxTime, QStringLiteral("2024/03/09 23:59:59"));
    r = c.tick(70.0);
    QVERIFY(!r.maxChanged);
    QCOMPARE(c.state().LiveMax.time, QStringLiteral("2024/03/09 23:59:59"));
}

void TestSamplingTick::sampleRecordsShownLevel()
{
    LiveSampler s;
    s.tick(93.4, "93.4*", "", StartTime);
    const TickResult r = s.tick(93.5, "93.5*", "93.4*", StartTime.addSecs(1));
    QVERIFY(r.sampled);
    QCOMPARE(r.maxText, QStringLiteral("93.5*"));
    QCOMPARE(r.record.level, QStringLiteral("93.4*"));
    QCOMPARE(r.record.time, QStringLiteral("2024/03/09 23:59:59"));
    QCOMPARE(s.state().SampleTime, r.record.time);
}

void TestSamplingTick::threeRecordedTicks()
{
    Clocked c;
    c.tick(50.0); // the first tick after start takes no sample
    c.sampler->startRecording();
    const QList<double> levels{60.0, 70.0, 70.0};
    QStringList lines;
    RunningLevel expected;
    for (double level : levels) {
        const TickResult r = c.tick(level);
        QVERIFY(r.recorded);
        QVERIFY(!r.recordingFull);
        lines << r.recordLine;
        expected.add(level);
    }
    QCOMPARE(lines, (QStringList{"1\t2024/03/09 23:59:59\t60.0\t", "2\t2024/03/10 00:00:00\t70.0\t",
                                 "3\t2024/03/10 00:00:01\t70.0\t"}));
    const RecordingSummary sum = c.sampler->stopRecording();
    QCOMPARE(sum.RecordRows, 3);
    QCOMPARE(sum.RecLeqText, expected.leqText());
    QCOMPARE(sum.RecSELText, expected.selText());
    QCOMPARE(sum.RecMaxText, QStringLiteral("70.0"));
    QCOMPARE(sum.RecMaxTime, QStringLiteral("2024/03/10 00:00:00"));
    // Stopped: counters are back, the live list and running values go on.
    QVERIFY(!c.state().Recording);
    QCOMPARE(c.state().Rec.count(), qint64(0));
    QCOMPARE(c.state().RecMax.text, QStringLiteral("0"));
    QCOMPARE(c.state().RecordRows, 0);
    QCOMPARE(c.state().Live.count(), qint64(4));
    QVERIFY(!c.tick(80.0).recorded);

    // The next recording starts afresh even before its first tick.
    c.sampler->startRecording();
    const RecordingSummary empty = c.sampler->stopRecording();
    QCOMPARE(empty.RecLeqText, QString());
    QCOMPARE(empty.RecMaxText, QStringLiteral("0"));
    QCOMPARE(empty.RecMaxTime, QString());
}

// A corrupted frame's level word 0x7FFF (3276.7 dB) in a recording: recorded as sent, and the
// panel's and the data file's Leq and SEL stay numbers.
void TestSamplingTick::corruptLevelWordKeepsLeqAndSel()
{
    Clocked c;
    c.tick(50.0);
    c.sampler->startRecording();
    c.tick(60.0);
    const TickResult corrupt = c.tick(3276.7);
    QCOMPARE(corrupt.recordLine, QStringLiteral("2\t2024/03/10 00:00:00\t3276.7\t"));
    const TickResult after = c.tick(60.0);
    QCOMPARE(after.leqText, QStringLiteral("3270.6"));
    QCOMPARE(after.selText, QStringLiteral("3276.7"));
    const RecordingSummary sum = c.sampler->stopRecording();
    QCOMPARE(sum.RecLeqText, QStringLiteral("3271.9"));
    QCOMPARE(sum.RecSELText, QStringLiteral("3276.7"));
    QCOMPARE(sum.RecMaxText, QStringLiteral("3276.7"));
}

void TestSamplingTick::recordingStopsAtRowLimit()
{
    constexpr int Limit = 3;
    Clocked c(Limit);
    c.sampler->startRecording();
    TickResult r;
    for (int i = 1; i < Limit; ++i) {
        r = c.sample(60.0);
        QVERIFY(!r.recordingFull);
    }
    r = c.sample(60.0);
    QCOMPARE(r.recordRows, Limit);
    QVERIFY(r.recordingFull);
    QVERIFY(r.recordLine.startsWith(QStringLiteral("3\t")));
    QCOMPARE(c.sampler->stopRecording().RecordRows, Limit);
}

void TestSamplingTick::fullListIsSavedAndRestarted()
{
    constexpr int Limit = 2;
    Clocked c(Limit);
    for (int i = 0; i < Limit; ++i)
        QVERIFY(!c.sample(60.0).listFull);
    TickResult r = c.sample(61.0);
    QVERIFY(r.listFull);
    QCOMPARE(r.record.number, QString());
    QCOMPARE(c.state().ListRows, Limit);
    // The graphs still take the sample.
    QCOMPARE(c.graphs().SeriesIndex, Limit + 1);

    const std::optional<SampleRecord> first = c.sampler->listSaved();
    QVERIFY(first);
    QCOMPARE(first->number, QStringLiteral("1"));
    QCOMPARE(first->level, QStringLiteral("61.0"));
    QCOMPARE(first->time, r.record.time);
    QCOMPARE(c.state().ListRows, 1);
    r = c.sample(62.0);
    QVERIFY(!r.listFull);
    QCOMPARE(r.record.number, QStringLiteral("2"));
    QVERIFY(!c.sampler->listSaved()); // nothing held back any more
}

void TestSamplingTick::levelClasses_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<int>("fine");
    QTest::addColumn<int>("coarse");
    QTest::newRow("93.0 whole") << 93.0 << 930 << 93;
    QTest::newRow("93.1 next class") << 93.1 << 931 << 94;
    QTest::newRow("92.9") << 92.9 << 929 << 93;
    QTest::newRow("0.0") << 0.0 << 0 << 0;
    QTest::newRow("0.1") << 0.1 << 1 << 1;
    QTest::newRow("140.0") << 140.0 << 1400 << 140;
    QTest::newRow("above the table") << 150.3 << 1400 << 140;
    QTest::newRow("negative") << -1.5 << 0 << 0;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0 << 0;
    QTest::newRow("huge") << 1e300 << 1400 << 140;
}

void TestSamplingTick::levelClasses()
{
    QFETCH(double, level);
    QFETCH(int, fine);
    QFETCH(int, coarse);
    Clocked c;
    c.sample(level);
    const PanelGraphData& g = c.graphs();
    QCOMPARE(g.LevelCount01[std::size_t(fine)], 1);
    QCOMPARE(g.LevelCount1[std::size_t(coarse)], 1);
    QCOMPARE(std::accumulate(g.LevelCount01.begin(), g.LevelCount01.end(), 0), 1);
    QCOMPARE(std::accumulate(g.LevelCount1.begin(), g.LevelCount1.end(), 0), 1);
    QCOMPARE(g.SeriesIndex, 1);
}

void TestSamplingTick::edgesAndVisibleHistogram()
{
    Clocked c;
    TickResult r;
    for (int i = 0; i < 10; ++i)
        r = c.sample(60.0 + i);
    const PanelGraphData& g = c.graphs();
    QCOMPARE(g.Count01Low, 600);
    QCOMPARE(g.Count01High, 690);
    QCOMPARE(g.Count1Low, 59);
    QCOMPARE(g.Count1High, 69); // 69.0 does not lie above the edge 69 set by 68.0
    QCOMPARE(g.SeriesIndex, 10);
    QCOMPARE(g.LevelSeries[0], 60.0);
    QCOMPARE(g.LevelSeries[9], 69.0);
    QCOMPARE(r.intXLow, 58);
    QCOMPARE(r.intXHigh, 70);
    QCOMPARE(r.decXLow, 599);
    QCOMPARE(r.decXHigh, 691);
    QVERIFY(!r.showInt);
    // Leq/SEL scales follow the shown (truncated) values.
    QCOMPARE(g.LeqSeries[9], r.leq);
    QCOMPARE(QString::number(r.leq, 'f', 1), r.leqText);
    QCOMPARE(g.LeqHigh, r.leq);
    QCOMPARE(g.LeqLow, 60.0);
    QCOMPARE(g.SELHigh, r.sel);

    r = c.sample(90.1); // spread 30.1 dB
    QVERIFY(r.showInt);
    QCOMPARE(g.Count1High, 91);
}

void TestSamplingTick::seriesWrapAfterLastSlot()
{
    PanelGraphData g;
    QCOMPARE(int(g.LevelSeries.size()), SeriesSlots);
    g.SeriesIndex = SeriesSlots - 1;
    g.add(70.0, 70.0, 80.0);
    QCOMPARE(g.LevelSeries[std::size_t(SeriesSlots - 1)], 70.0);
    QCOMPARE(g.SELSeries[std::size_t(SeriesSlots - 1)], 80.0);
    QCOMPARE(g.SeriesIndex, 0);
    g.add(71.0, 70.5, 80.5);
    QCOMPARE(g.LevelSeries[0], 71.0);
    QCOMPARE(g.SeriesIndex, 1);
}

void TestSamplingTick::refreshKeepsRecordingAndScales()
{
    Clocked c;
    c.sampler->startRecording();
    for (double level : {70.0, 80.0, 75.0})
        c.sample(level);
    const SamplingState before = c.state();
    const double leqHigh = c.graphs().LeqHigh;
    c.sampler->refresh();
    const SamplingState& s = c.state();
    QCOMPARE(s.Live.count(), qint64(0));
    QCOMPARE(s.Live.energy(), 0.0);
    QCOMPARE(s.LiveMax.level, 0.0);
    QCOMPARE(s.ListRows, 0);
    QCOMPARE(s.LiveLeqText, before.LiveLeqText);
    QVERIFY(s.Recording);
    QCOMPARE(s.RecordRows, before.RecordRows);
    QCOMPARE(s.Rec.count(), before.Rec.count());
    const PanelGraphData& g = c.graphs();
    QCOMPARE(g.Count1Low, 150);
    QCOMPARE(g.Count1High, 0);
    QCOMPARE(g.Count01Low, 1500);
    QCOMPARE(g.Count01High, 0);
    QCOMPARE(g.SeriesIndex, 0);
    QCOMPARE(std::accumulate(g.LevelCount1.begin(), g.LevelCount1.end(), 0), 0);
    QCOMPARE(g.LeqHigh, leqHigh);
    // The list restarts at record 1; a lower level is a new maximum.
    const TickResult r = c.sample(65.0);
    QCOMPARE(r.record.number, QStringLiteral("1"));
    QCOMPARE(r.recordRows, before.RecordRows + 1);
    QCOMPARE(c.state().LiveMax.level, 65.0);
}

void TestSamplingTick::linkLossEndsRecordingKeepsExtremes()
{
    Clocked c;
    QVERIFY(!c.sampler->resetAfterLinkLoss());
    c.sampler->startRecording();
    for (double level : {70.0, 80.0})
        c.sample(level);
    QVERIFY(c.sampler->resetAfterLinkLoss());
    const SamplingState& s = c.state();
    QVERIFY(!s.Recording);
    QCOMPARE(s.RecordRows, 0);
    QCOMPARE(s.RecMax.text, QStringLiteral("0"));
    QCOMPARE(s.Rec.count(), qint64(0));
    QCOMPARE(s.Live.count(), qint64(0));
    QCOMPARE(s.ListRows, 0);
    const PanelGraphData& g = c.graphs();
    QCOMPARE(g.SeriesIndex, 0);
    QCOMPARE(std::accumulate(g.LevelCount01.begin(), g.LevelCount01.end(), 0), 0);
    QCOMPARE(g.Count01Low, 700);
    QCOMPARE(g.Count01High, 800);
    QCOMPARE(g.Count1Low, 69);
    QCOMPARE(g.Count1High, 81);
    QVERIFY(!c.sample(60.0).recorded);
}

void TestSamplingTick::automaticName()
{
    QCOMPARE(autoListFileName(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5))),
             QStringLiteral("0102030405.kirv"));
    QCOMPARE(stampText(QDateTime(QDate(2024, 11, 12), QTime(13, 14, 15))),
             QStringLiteral("2024/11/12 13:14:15"));
}

QTEST_APPLESS_MAIN(TestSamplingTick)
#include "test_sampling_tick.moc"
