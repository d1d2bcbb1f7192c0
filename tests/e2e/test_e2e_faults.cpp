// The program against a misbehaving line and port, over the virtual meter's pty: stray bytes
// after every frame, a port that is no serial port.
#include "e2e_fixture.h"

#include "kirv/panel/ui/widgets.h"

#include <QLabel>
#include <QtTest>

using namespace kirv;

class TestE2eFaults : public QObject
{
    Q_OBJECT
private slots:
    // Ten seconds of frames each followed by a stray byte: the panel keeps following the meter
    // and the link is never taken for lost.
    void strayByteAfterEveryFrame()
    {
        E2eFixture f;
        QVERIFY(f.settle());
        QSignalSpy lost(f.panel, &Panel::linkLostChanged);
        QSignalSpy applied(f.panel, &Panel::tickApplied);
        f.meter->setStrayByte(true);
        f.meter->setLevel(77.7);
        QVERIFY(!lost.wait(10000));
        QVERIFY2(applied.count() >= 25, qPrintable(QString::number(applied.count()))); // 5 a second
        QCOMPARE(f.panel->LblCOM->text(), QStringLiteral("COM1"));
        QCOMPARE(f.panel->LblValue->text(), QStringLiteral("77.7"));
    }

    void portThatIsNoSerialPortSaysSo()
    {
        Options o;
        o.com = QStringLiteral("/dev/null");
        auto* dialogs = test::ScriptedDialogs::install();
        Application app(o);
        QSignalSpy finished(&app, &Application::finished);
        app.start();
        QCOMPARE(finished.count(), 1);
        const auto messages = dialogs->messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QStringLiteral("No device found, try again!"));
        QCOMPARE(messages[0].detail, QStringLiteral("/dev/null is not a serial port. Choose the port of the meter's cable."));
    }
};

QTEST_MAIN(TestE2eFaults)
#include "test_e2e_faults.moc"
