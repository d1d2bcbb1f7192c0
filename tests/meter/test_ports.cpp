// Port names, the port table and the command line.
#include "kirv/app/options.h"
#include "kirv/meter/port_table.h"
#include "tests/meter/fake_devices.h"

#include <QtTest>

using namespace kirv;
using namespace kirv::test;

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

    // The system's serial devices: hardware terminals only, each by its stable name where it has
    // one, in the table's order (a link by the device it points at).
    void systemDevices()
    {
        FakeSystem system;
        system.terminal("tty1", false);        // a virtual console
        system.terminal("ttyS0", true, "4\n"); // a UART
        system.terminal("ttyS1", true, "0\n"); // a UART slot the kernel found empty
        system.terminal("ttyACM0", true);
        system.terminal("ttyUSB0", true);
        system.terminal("ttyUSB1", true);
        system.terminal("ttyUSB2", true, nullptr, false); // no device node
        system.stableName("usb-FTDI_FT232R_USB_UART_A10K-if00-port0", "../../ttyUSB1");
        system.stableName("usb-Prolific_USB-Serial_Controller-if00-port0", "../../ttyUSB9"); // unplugged
        system.stableName("usb-b-if00", system.dev("ttyACM0"));
        system.stableName("usb-a-if00", system.dev("ttyACM0")); // two names of one device
        const QString byId = system.roots.dev + "/serial/by-id/";
        QCOMPARE(PortTable::systemDevices(system.roots),
                 QStringList({system.dev("ttyUSB0"), byId + "usb-FTDI_FT232R_USB_UART_A10K-if00-port0",
                              byId + "usb-a-if00", system.dev("ttyS0")}));
    }

    // A device is listed once, by the first of its names in the table's order; a link is kept
    // as given and the detail line says which device it is now.
    void sameDeviceOnce_data()
    {
        QTest::addColumn<QString>("given"); // a --port device: a name under dev
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QString>("detail"); // of COM1
        const QString link = "serial/by-id/usb-FTDI-if00-port0";
        QTest::newRow("kernel name given") << "ttyUSB0" << QStringList{"ttyUSB0", "ttyUSB1", "ttyS4"} << "ttyUSB0";
        QTest::newRow("link given") << link << QStringList{link, "ttyUSB1", "ttyS4"} << link + " (ttyUSB0)";
        QTest::newRow("other device given") << "ttyS4" << QStringList{"ttyS4", link, "ttyUSB1"} << "ttyS4";
    }
    void sameDeviceOnce()
    {
        QFETCH(QString, given);
        QFETCH(QStringList, devices);
        FakeSystem system;
        for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyS4"})
            system.terminal(name, true);
        system.stableName("usb-FTDI-if00-port0", "../../ttyUSB0");
        const PortTable table({system.dev(given)}, {}, PortTable::systemDevices(system.roots));
#ifndef Q_OS_WIN
        QCOMPARE(table.size(), devices.size());
        for (int i = 0; i < devices.size(); ++i)
            QCOMPARE(table.device(i + 1), system.dev(devices[i]));
        QFETCH(QString, detail);
        QCOMPARE(table.describe(1), "COM1 = " + system.dev(detail));
#endif
    }

#ifdef Q_OS_UNIX
    // A link opens as the device it points at when it is opened, so after a replug the same
    // name reaches the new device.
    void linkFollowedAtEachOpen()
    {
        Pty first, second;
        QVERIFY(!first.path().isEmpty() && !second.path().isEmpty());
        const QString link = m_dir.filePath("usb-meter-if00-port0");
        QtSerialLink serial;
        for (const Pty* pty : {&first, &second}) {
            QFile::remove(link);
            QVERIFY(QFile::link(pty->path(), link));
            QVERIFY2(serial.open(link, QString::fromLatin1(MeterLineSettings)), qPrintable(serial.lastError()));
            QCOMPARE(serial.portName(), link);
            QCOMPARE(serial.write("Q\r"), qint64(2));
            QByteArray got;
            QTRY_VERIFY_WITH_TIMEOUT((got += pty->received()).contains("Q\r"), 5000);
            serial.close();
        }
    }
#endif

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
        QVERIFY(!link.open(device, QString::fromLatin1(MeterLineSettings)));
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
