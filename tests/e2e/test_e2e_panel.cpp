// The panel following the virtual meter over a pty: what it shows, a pulled cable, the keys,
// and a port that cannot be opened.
#include "tests/e2e/e2e_fixture.h"

#include "kirv/meter/protocol.h"
#include "kirv/widgets/lcd_display.h"
#include "kirv/widgets/controls.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QStatusBar>
#include <QtTest>

using namespace kirv;
using Meter = sim::VirtualMeter;

class TestE2ePanel : public QObject
{
    Q_OBJECT
private slots:
    void panelShowsTheMeter_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("freq");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("over");
        QTest::addColumn<bool>("under");
        QTest::addColumn<QString>("lcd");
        QTest::addColumn<QString>("rangeText");
        QTest::addColumn<QString>("board");
        QTest::newRow("74.3 C slow run") << 74.3 << 1 << 1 << 1 << int(Meter::RunState::Run) << false << false << "74.3" << "70-130" << "C";
        QTest::newRow("over in 30-90, Z imp pause") << 95.0 << 5 << 2 << 2 << int(Meter::RunState::Pause) << true << false << "95.0" << "30-90" << "Z";
        QTest::newRow("below the range, stop") << 24.9 << 5 << 0 << 0 << int(Meter::RunState::Stop) << false << true << "- - -" << "30-90" << "A";
        QTest::newRow("filter") << 60.0 << 2 << 3 << 0 << int(Meter::RunState::Run) << false << false << "60.0" << "60-120" << "20-200Hz Filter";
    }
    void panelShowsTheMeter()
    {
        QFETCH(double, level);
        QFETCH(int, range);
        QFETCH(int, freq);
        QFETCH(int, time);
        QFETCH(int, state);
        QFETCH(bool, over);
        QFETCH(bool, under);
        E2eFixture f;
        QVERIFY(f.panel);
        f.meter->setLevel(level);
        f.meter->setRangeCode(range);
        f.meter->setFreqWeighting(freq);
        f.meter->setTimeWeighting(time);
        f.meter->setRunState(Meter::RunState(state));
        f.meter->setOver(over);
        f.meter->setUnder(under);
        QVERIFY(f.settle());
        Panel& p = *f.panel;
        QTEST(p.ShownLCD->text(), "lcd");
        QTEST(p.BoardLevel->text(), "rangeText");
        QTEST(p.BoardCA->text(), "board");
        QCOMPARE(p.LblOver->isVisible(), over);
        QCOMPARE(p.LblUnder->isVisible(), under);
        QCOMPARE(p.LblRun->isVisible(), state == int(Meter::RunState::Run));
        QCOMPARE(p.LblPause->isVisible(), state == int(Meter::RunState::Pause));
        QCOMPARE(p.LblStop->isVisible(), state == int(Meter::RunState::Stop));
        const char* weights[] = {"FAST", "SLOW", "IMP"};
        QCOMPARE(p.BoardSFI->text(), QString::fromLatin1(weights[time]));
        QCOMPARE(p.LblCOM->text(), QStringLiteral("COM1"));
    }

    void filterBlinks()
    {
        E2eFixture f;
        f.meter->setFreqWeighting(3);
        QVERIFY(f.settle());
        QSignalSpy applied(f.panel, &Panel::tickApplied);
        bool last = f.panel->LblCA->isVisible();
        for (int i = 0; i < 3; ++i) {
            QVERIFY(applied.wait(3000));
            QVERIFY(f.panel->LblCA->isVisible() != last);
            last = f.panel->LblCA->isVisible();
            QCOMPARE(f.panel->LblCA->text(), QStringLiteral("A"));
        }
    }

    void pulledCableAndReturn()
    {
        E2eFixture f;
        QVERIFY(f.settle());
        QList<bool> states;
        QString whileLost;
        connect(f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            states << lost;
            if (lost) {
                whileLost = f.panel->LblCOM->text();
                QTimer::singleShot(500, f.meter, &Meter::plug);
            }
        });
        QElapsedTimer clock;
        clock.start();
        qint64 lostAfter = -1;
        connect(f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            if (lost)
                lostAfter = clock.elapsed();
        });
        f.meter->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(states, QList<bool>({true, false}), 8000);
        QCOMPARE(whileLost, QStringLiteral("No COM"));
        QVERIFY2(lostAfter < 2500, qPrintable(QString::number(lostAfter))); // about a second
        QCOMPARE(f.panel->LblCOM->text(), QStringLiteral("COM1"));
        f.meter->setLevel(88.8);
        QVERIFY(f.settle());
        QCOMPARE(f.panel->ShownLCD->text(), QStringLiteral("88.8"));
    }

    void keyReachesTheMeter()
    {
        E2eFixture f;
        f.meter->setRangeCode(2);
        QVERIFY(f.settle());
        f.meter->clearReceived();
        QSignalSpy keys(f.meter, &Meter::keyPressed);
        QTest::mouseClick(f.panel->BtnDown, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(keys.count(), 1, 3000);
        QCOMPARE(keys.first().first().toInt(), 10);
        const QByteArray received = f.meter->received();
        QVERIFY2(received.endsWith(QByteArray::fromHex("4b00000a")), received.toHex(' ').constData());
        QCOMPARE(received.left(received.size() - 4), QByteArray(received.size() - 4, 'A'));
        QVERIFY(f.settle());
        QCOMPARE(f.panel->BoardLevel->text(), QStringLiteral("50-110"));
    }

    void keyToAMeterWithItsCablePulled()
    {
        E2eFixture f;
        QVERIFY(f.settle());
        f.meter->unplug();
        f.meter->clearReceived();
        QSignalSpy keys(f.meter, &Meter::keyPressed);
        QTest::mouseClick(f.panel->BtnDown, Qt::LeftButton);
        QCOMPARE(f.panel->statusBar()->currentMessage(),
                 QStringLiteral("The meter did not answer: the key \"Down\" was not sent."));
        f.panel->grab().save(QDir::temp().filePath(QStringLiteral("kirv_panel_key_not_sent.png")));
        f.meter->plug();
        QVERIFY(f.settle());
        QCOMPARE(keys.count(), 0);
        QVERIFY2(!f.meter->received().contains('K'), f.meter->received().toHex(' ').constData());
    }

    void missingPortEndsWithTheMessage_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("detail");
        QTest::newRow("missing") << "/dev/kirv-no-such-port"
                                 << "/dev/kirv-no-such-port: no such device. Check that the meter's cable is plugged in.";
        QTest::newRow("no serial port") << "/dev/null"
                                        << "/dev/null is not a serial port. Choose the port of the meter's cable.";
    }
    void missingPortEndsWithTheMessage()
    {
        QFETCH(QString, device);
        Options o;
        o.com = device;
        auto* dialogs = test::ScriptedDialogs::install();
        Application app(o);
        QSignalSpy finished(&app, &Application::finished);
        app.start();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toInt(), 1);
        const auto messages = dialogs->messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QStringLiteral("No device found, try again!"));
        QCOMPARE(messages[0].icon, QMessageBox::Critical);
        QTEST(messages[0].detail, "detail");
        QVERIFY(!app.panel());
    }

    void unknownPortTextEndsWithTheMessage()
    {
        Options o;
        o.com = QStringLiteral("com3"); // lower case is no port name: port 0 does not open
        auto* dialogs = test::ScriptedDialogs::install();
        Application app(o);
        QSignalSpy finished(&app, &Application::finished);
        app.start();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(dialogs->messages().value(0).text, QStringLiteral("No device found, try again!"));
    }
};

QTEST_MAIN(TestE2ePanel)
#include "test_e2e_panel.moc"
