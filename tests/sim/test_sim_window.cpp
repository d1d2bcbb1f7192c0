// The "Virtual Meter" window drives the meter and follows it.

#include "sim/ui/virtual_meter_window.h"
#include "sim/virtual_meter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kirv::sim;

class TestSimWindow : public QObject
{
    Q_OBJECT
private slots:
    void controlsDriveTheMeter();
    void windowFollowsKeysFromTheLine();
    void survivesTheMeter();
};

void TestSimWindow::controlsDriveTheMeter()
{
    VirtualMeter meter;
    QVERIFY(meter.start());
    VirtualMeterWindow window(&meter);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Virtual Meter"));

    QCOMPARE(window.cableButton()->text(), QStringLiteral("Pull cable"));
    QTest::mouseClick(window.cableButton(), Qt::LeftButton);
    QVERIFY(!meter.isPlugged());
    QCOMPARE(window.cableButton()->text(), QStringLiteral("Plug cable"));
    QTest::mouseClick(window.cableButton(), Qt::LeftButton);
    QVERIFY(meter.isPlugged());

    window.noiseBox()->setChecked(true);
    QVERIFY(meter.noise());
    window.modeBox()->setCurrentIndex(1);
    QCOMPARE(meter.mode(), Mode::Logger);
    window.patternBox()->setCurrentIndex(2);
    QCOMPARE(meter.pattern(), Pattern::Traffic);
    window.levelBox()->setValue(82.5);
    QCOMPARE(meter.level(), 82.5);
    window.rangeBox()->setCurrentIndex(0);
    QCOMPARE(meter.rangeCode(), 0);
    QCOMPARE(window.rangeBox()->currentText(), QStringLiteral("80-140"));
    window.stateBox()->setCurrentIndex(2);
    QCOMPARE(meter.runState(), RunState::Stop);

    // An offscreen picture of the window, to look at: KIRV_SCREENSHOT_DIR=/some/dir.
    const QString dir = qEnvironmentVariable("KIRV_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(window.grab().save(dir + "/virtual_meter_window.png"));
}

void TestSimWindow::windowFollowsKeysFromTheLine()
{
    VirtualMeter meter;
    VirtualMeterWindow window(&meter);
    meter.pressKey(1);  // A -> C
    meter.pressKey(2);  // FAST -> SLOW
    meter.pressKey(10); // 60-120 -> 50-110
    QCOMPARE(window.freqWeightingBox()->currentText(), QStringLiteral("C"));
    QCOMPARE(window.timeWeightingBox()->currentText(), QStringLiteral("SLOW"));
    QCOMPARE(window.rangeBox()->currentText(), QStringLiteral("50-110"));
    // Showing the meter's state must not write it back (no feedback loop).
    QCOMPARE(meter.freqWeighting(), 1);

    // The interval and clock the line set ("C" 00 3C, "B" for 2009-05-07 08:30:00).
    const QDateTime start(QDate(2024, 1, 1), QTime(0, 0));
    meter.core().setSystemClock([start] { return start; });
    meter.core().receive(QByteArray::fromHex("43003c") + QByteArray::fromHex("42003008070509"), 0);
    window.refresh();
    QCOMPARE(window.intervalLabel()->text(), QStringLiteral("60 s"));
    QCOMPARE(window.clockLabel()->text(), QStringLiteral("2009/05/07 08:30:00"));
}

void TestSimWindow::survivesTheMeter()
{
    auto* meter = new VirtualMeter;
    VirtualMeterWindow window(meter);
    delete meter;
    window.refresh();
    window.cableButton()->click();
    QVERIFY(!window.isEnabled());
}

QTEST_MAIN(TestSimWindow)
#include "test_sim_window.moc"
