// The toolbar's settings against the virtual meter over a pty: the bytes the meter receives for
// the weighting and range keys, the meter's sampling interval and its clock, what it does with
// them, and "Refresh" in the middle of a recording.
#include "tests/e2e/e2e_fixture.h"

#include "kirv/logger/ui/sampling_choice.h"
#include "kirv/base/clock.h"
#include "kirv/meter/ui/setup.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/recordlist.h"
#include "kirv/records/ui/panel_recording.h"

#include <QAction>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace kirv;

namespace {
constexpr int WaitMs = 5000;

bool timersOn(const Panel& p)
{
    return p.Timer1->isActive() && p.Timer2->isActive();
}
} // namespace

class TestE2eSettings : public QObject
{
    Q_OBJECT
private slots:
    void keysReachTheMeter_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown"); // what the panel shows once the meter acted
        QTest::newRow("AC") << QByteArray("AC") << QByteArray("G") << "C";
        QTest::newRow("FSI") << QByteArray("FSI") << QByteArray("D") << "SLOW";
        QTest::newRow("Up") << QByteArray("Up") << QByteArray("E") << "70-130";
        QTest::newRow("Down") << QByteArray("Down") << QByteArray("F") << "50-110";
    }
    void keysReachTheMeter()
    {
        QFETCH(QByteArray, key);
        QFETCH(QString, shown);
        E2eFixture f;
        QVERIFY(f.settle());
        f.meter->clearReceived();
        clickToolbar(*f.panel, key.constData());
        QVERIFY(timersOn(*f.panel));
        QFETCH(QByteArray, bytes);
        QTRY_COMPARE_WITH_TIMEOUT(f.meter->received(), bytes, WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(f.panel->BoardCA->text() == shown ||
                                     f.panel->BoardSFI->text() == shown ||
                                     f.panel->BoardLevel->text() == shown,
                                 WaitMs);
    }

    void meterInterval_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kept");
        QTest::newRow("300") << "300" << QByteArray::fromHex("4a4300ff") << 255;
        QTest::newRow("1") << "1" << QByteArray::fromHex("4a430001") << 1;
        QTest::newRow("Cancel") << "" << QByteArray("J") << 42;
    }
    void meterInterval()
    {
        QFETCH(QString, answer);
        E2eFixture f;
        f.meter->setSamplingInterval(42);
        QVERIFY(f.settle());
        f.meter->clearReceived();
        f.dialogs->inputs.enqueue(answer);
        clickToolbar(*f.panel, "Sampling");
        QPointer<SamplingChoice> choice;
        QTRY_VERIFY_WITH_TIMEOUT(
            (choice = f.panel->findChild<SamplingChoice*>()) && choice->isVisible(), WaitMs);
        choice->CmdOK->click(); // the meter's interval, as it opened
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs->asked.size(), 1, WaitMs);
        QCOMPARE(f.dialogs->asked.first().defaultText, QStringLiteral("42"));
        QTRY_VERIFY_WITH_TIMEOUT(timersOn(*f.panel), WaitMs);
        QFETCH(QByteArray, bytes);
        QTRY_COMPARE_WITH_TIMEOUT(f.meter->received(), bytes, WaitMs);
        QTEST(f.meter->samplingInterval(), "kept");
    }

    void meterClock()
    {
        E2eFixture f;
        QVERIFY(f.settle());
        f.meter->clearReceived();
        setNowSource([] { return QDateTime(QDate(2009, 5, 7), QTime(8, 30, 59)); });
        clickToolbar(*f.panel, "RTC");
        QPointer<Setup> setup = f.panel->findChild<Setup*>();
        QVERIFY(setup);
        setup->CmdSetTime->click();
        setNowSource({});
        QTRY_COMPARE_WITH_TIMEOUT(f.meter->received().toHex(' '),
                                  QByteArray("42 59 30 08 07 05 09"), WaitMs);
        QVERIFY(!timersOn(*f.panel));

        // The meter's clock runs on from what was set, and the window reads it back.
        setup->LblMeterTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(
            setup->LblMeterTime->text().startsWith(QLatin1String("2009/05/07 08:3")), WaitMs);
        QVERIFY(f.meter->received().mid(7).startsWith('I'));
        QCOMPARE(f.meter->meterTime().date(), QDate(2009, 5, 7));
        QVERIFY(!timersOn(*f.panel));
        QTest::mouseClick(setup->CmdExit, Qt::LeftButton);
        QVERIFY(timersOn(*f.panel));
        QTRY_VERIFY_WITH_TIMEOUT(!setup, WaitMs);
        QVERIFY(f.settle());
    }

    void refreshLeavesTheRecordingAlone()
    {
        QTemporaryDir dir;
        E2eFixture f;
        PanelRecording& rec = *f.app.parts().recording;
        rec.setWorkingFolder(dir.path());
        f.meter->setLevel(70.0);
        QVERIFY(f.settle());
        f.dialogs->files.enqueue(dir.filePath(QStringLiteral("run.kirv")));
        rec.saveButtonClicked();
        QTest::mouseClick(rec.CmdSaveOK, Qt::LeftButton);
        QVERIFY(rec.recording());
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("2"), 8000);

        const SamplingState before = rec.sampler().state();
        const qsizetype fakeSize = QFileInfo(dir.filePath(QStringLiteral("Fake"))).size();
        const QString leq = f.panel->BoardLeq->text();
        f.meter->clearReceived();
        clickToolbar(*f.panel, "Refresh");

        const SamplingState& after = rec.sampler().state();
        QVERIFY(rec.recording());
        QCOMPARE(after.RecordRows, before.RecordRows);
        QCOMPARE(after.Rec.count(), before.Rec.count());
        QCOMPARE(after.RecMax.text, before.RecMax.text);
        QCOMPARE(after.ListRows, 0);
        QCOMPARE(after.Live.count(), 0);
        QCOMPARE(rec.liveList().count(), 0);
        QCOMPARE(rec.sampler().graphs().Count01Low, 1500);
        QCOMPARE(rec.sampler().graphs().Count1Low, 150);
        QCOMPARE(rec.sampler().graphs().SeriesIndex, 0);
        QCOMPARE(f.panel->BoardLeq->text(), leq);
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("Fake"))).size(), fakeSize);
        QCOMPARE(f.meter->received(), QByteArray()); // nothing goes to the meter
        QVERIFY(timersOn(*f.panel));

        // The recording goes on counting where it was.
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QString::number(before.RecordRows + 1),
                                  8000);
        QVERIFY(rec.stopRecording());
    }
};

QTEST_MAIN(TestE2eSettings)
#include "test_e2e_settings.moc"
