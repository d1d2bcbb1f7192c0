// Port names, the port table and the command line.
#include "kirv/app/options.h"
#include "kirv/meter/port_table.h"

#include <QtTest>

using namespace kirv;

class TestPorts : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
private slots:
    void textToNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("Auto") << "Auto" << 1;
        for (int i = 1; i <= 8; ++i)
            QTest::addRow("COM%d", i) << QStringLiteral("COM%1").arg(i) << i;
        QTest::newRow("lower case") << "com3" << 0;
        QTest::newRow("auto lower") << "auto" << 0;
        QTest::newRow("COM9") << "COM9" << 0;
        QTest::newRow("blank after") << "COM3 " << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void textToNumber()
    {
        QFETCH(QString, text);
        QTEST(portNumberFromText(text, 0), "number");
    }

    void tableOrder()
    {
        const PortTable table({"/dev/given"}, "/dev/pts/7",
                              {"/dev/ttyS10", "/dev/ttyS2", "/dev/ttyACM0", "/dev/ttyUSB1", "/dev/ttyUSB0"});
#ifndef Q_OS_WIN
        const QStringList expected{"/dev/given", "/dev/pts/7", "/dev/ttyUSB0", "/dev/ttyUSB1",
                                   "/dev/ttyACM0", "/dev/ttyS2", "/dev/ttyS10"};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(table.device(i + 1), expected[i]);
        QCOMPARE(table.device(8), QString());
        QCOMPARE(table.device(0), QString());
        QCOMPARE(table.describe(3), QStringLiteral("COM3 = /dev/ttyUSB0"));
        QCOMPARE(table.describe(8), QStringLiteral("COM8 = (none)"));
#endif
    }

    void choices()
    {
        const PortTable table({}, "/dev/pts/3", {});
        QCOMPARE(deviceForChoice({1, {}}, table), QStringLiteral("/dev/pts/3"));
        QCOMPARE(deviceForChoice({0, "/dev/ttyUSB4"}, table), QStringLiteral("/dev/ttyUSB4"));
        QCOMPARE(labelForChoice({3, {}}), QStringLiteral("COM3"));
        QCOMPARE(labelForChoice({0, "/dev/ttyUSB4"}), QStringLiteral("ttyUSB4"));
        QVERIFY(isDevicePath("/dev/ttyUSB0"));
        QVERIFY(!isDevicePath("COM1"));
    }

    void failureDetails()
    {
        QVERIFY(openFailureDetail({0, {}}, {}, OpenFailure::Other, {}).startsWith("No port was chosen"));
        QCOMPARE(openFailureDetail({5, {}}, {}, OpenFailure::Other, {}),
                 QStringLiteral("COM5 is not connected to any serial device on this computer."));
        QVERIFY(openFailureDetail({1, {}}, "/dev/x", OpenFailure::PermissionDenied, {}).contains("dialout"));
        QVERIFY(openFailureDetail({1, {}}, "/dev/x", OpenFailure::Busy, {}).contains("busy"));
        QVERIFY(openFailureDetail({1, {}}, "/dev/x", OpenFailure::NoSuchDevice, {}).contains("no such device"));
    }

    // What the port window's detail text says for devices that cannot be the meter's port.
    void openFailureOfWhatIsNoSerialPort_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("detail");
        const QString file = m_dir.filePath("notes.txt");
        QTest::newRow("/dev/null") << "/dev/null" << int(OpenFailure::NotSerialPort)
                                   << "/dev/null is not a serial port. Choose the port of the meter's cable.";
        QTest::newRow("regular file") << file << int(OpenFailure::NotSerialPort)
                                      << file + " is not a serial port. Choose the port of the meter's cable.";
        QTest::newRow("folder") << m_dir.path() << int(OpenFailure::NotSerialPort)
                                << m_dir.path() + " is not a serial port. Choose the port of the meter's cable.";
        const QString missing = m_dir.filePath("ttyUSB9");
        QTest::newRow("missing") << missing << int(OpenFailure::NoSuchDevice)
                                 << missing + ": no such device. Check that the meter's cable is plugged in.";
    }
    void openFailureOfWhatIsNoSerialPort()
    {
        QFETCH(QString, device);
        QFile(m_dir.filePath("notes.txt")).open(QIODevice::WriteOnly);
        QtSerialLink link;
        QVERIFY(!link.open(device, QString::fromLatin1(kMeterLineSettings)));
        QTEST(int(link.lastFailure()), "failure");
        QTEST(openFailureDetail({0, device}, device, link.lastFailure(), link.lastError()), "detail");
    }

    void commandLine()
    {
        QString message;
        bool isError = false;
        auto o = parseOptions({"kirv", "--port", "/dev/a", "--port", "/dev/b", "--simulate"}, &message, &isError);
        QVERIFY(o);
        QCOMPARE(o->ports, QStringList({"/dev/a", "/dev/b"}));
        QVERIFY(o->simulate);
        QVERIFY(!parseOptions({"kirv", "--bogus"}, &message, &isError));
        QVERIFY(isError);
        QVERIFY(!parseOptions({"kirv", "--help"}, &message, &isError));
        QVERIFY(!isError);
        QVERIFY(message.contains("--simulate"));
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "test_ports.moc"
