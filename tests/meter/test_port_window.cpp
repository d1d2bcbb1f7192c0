// The port window's detail line: which device the typed port is, shown whole.
#include "kirv/meter/ui/port.h"
#include "tests/meter/fake_devices.h"

#include <QComboBox>
#include <QLabel>
#include <QtTest>

using namespace kirv;
using namespace kirv::test;

class TestPortWindow : public QObject
{
    Q_OBJECT
private slots:
    void detailLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("detail"); // "DEV/" stands for the fake system's device folder
        QTest::newRow("kernel name") << "COM1" << "COM1 = DEV/ttyUSB0";
        QTest::newRow("stable name") << "COM2"
                                     << "COM2 = DEV/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0 (ttyUSB1)";
        QTest::newRow("Auto") << "Auto" << "COM1 = DEV/ttyUSB0";
        QTest::newRow("no such entry") << "COM3" << "COM3 = (none)";
        QTest::newRow("typed path") << "/dev/ttyS9" << "/dev/ttyS9";
        QTest::newRow("no port name") << "com2" << "Not a port name";
    }
    void detailLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, detail);
        FakeSystem system;
        system.terminal("ttyUSB0", true);
        system.terminal("ttyUSB1", true);
        system.stableName("usb-FTDI_FT232R_USB_UART_A10K-if00-port0", "../../ttyUSB1");
        const PortTable table({}, {}, PortTable::systemDevices(system.roots));
        Port window(table);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.TxtCOM->setCurrentText(text);
#ifndef Q_OS_WIN
        detail.replace("DEV/", system.roots.dev + '/');
        QCOMPARE(window.LblDevice->text(), detail);
        QVERIFY2(window.LblDevice->contentsRect().width() >=
                     window.LblDevice->fontMetrics().horizontalAdvance(detail),
                 qPrintable(QStringLiteral("%1 px for %2").arg(window.LblDevice->width()).arg(detail)));
#endif
    }
};

QTEST_MAIN(TestPortWindow)
#include "test_port_window.moc"
