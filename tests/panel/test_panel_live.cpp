// The panel driven by a meter played on the in-memory link: what each frame shows, the lost and
// recovered link, the keys' bytes, the caption toggle and the graph selector.
#include "kirv/widgets/graph.h"
#include "kirv/app/ui/panel_assembly.h"
#include "kirv/meter/ui/panel_live.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"
#include "kirv/widgets/lcd_display.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

using namespace kirv;

namespace {

QByteArray frame(int range, int status, int word)
{
    QByteArray f;
    f.append('\x02').append(char(range)).append(char(status)).append(char(word >> 8)).append(char(word & 0xFF)).append('\x03');
    return f;
}

// A meter on the in-memory link: streams its frame every 20 ms while plugged, and acknowledges
// "A" (as a measuring meter does before a key).
struct Meter
{
    MemoryLink link;
    QTimer timer;
    QByteArray current = frame(1, 0, 934);
    bool plugged = true;
    bool attending = false; // after "A" the meter is quiet until the key comes

    Meter()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (plugged && !attending)
                link.feed(current);
        });
        link.setResponder([this](MemoryLink& l, const QByteArray& written) {
            if (!plugged)
                return;
            if (written == protocol::AttentionCommand) {
                attending = true;
                l.feed(protocol::Acknowledge);
            } else if (written.startsWith('K')) {
                attending = false;
            }
        });
        timer.start(20);
    }
};

struct Fixture
{
    Meter meter;
    PortTable table{{"memory"}, {}, {}};
    Panel panel{meter.link, PortChoice{1, {}}, table};
    PanelParts parts = attachPanelParts(panel);

    Fixture()
    {
        QString detail;
        const bool loaded = panel.load(&detail);
        Q_ASSERT(loaded);
        panel.show();
    }

    // Lets the panel take `frame` and show it.
    bool showFrame(const QByteArray& f)
    {
        meter.current = f;
        QSignalSpy applied(&panel, &Panel::tickApplied);
        // The first tick may already be waiting with the old frame: wait for two.
        return applied.wait(2000) && applied.wait(2000);
    }
};

} // namespace

class TestPanelLive : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { test::ScriptedDialogs::install(); }

    void designTexts()
    {
        Fixture f;
        QCOMPARE(f.panel.windowTitle(), QStringLiteral("Panel   V7.0"));
        QCOMPARE(f.panel.LblCOM->text(), QStringLiteral("COM1"));
        const char* keys[] = {"Save", "Open", "Sampling", "AC", "FSI", "Up", "Down", "RTC", "Memory", "Erase", "Refresh"};
        const char* tips[] = {"Save As", "Open File To Read", "Sampling Rate", "Frequency Weight", "Time Weight",
                              "Level Up", "Level Down", "Real Time Clock", "Data Logger", "Erase Memory", "Refresh"};
        for (int i = 0; i < Panel::ToolbarButtons; ++i) {
            QCOMPARE(f.panel.toolbarButton(i + 1)->data().toString(), QString::fromLatin1(keys[i]));
            QCOMPARE(f.panel.toolbarButton(i + 1)->toolTip(), QString::fromLatin1(tips[i]));
            QCOMPARE(f.panel.toolbarWidget(i + 1)->accessibleDescription(), QString::fromLatin1(tips[i]));
        }
        const QList<QPair<QPushButton*, QString>> buttons{
            {f.panel.BtnCA, "A / C"}, {f.panel.BtnFastSlow, "Fast/Slow/Imp"}, {f.panel.BtnLeq, "Leq SEL SPL"},
            {f.panel.BtnMax, "Max Min Inst"}, {f.panel.BtnPlayPause, "Run Pause Stop"},
            {f.panel.BtnRecord, "Record Erase"}, {f.panel.BtnDate, "Date Time"},
            {f.panel.BtnInteg, "Integ Time"}, {f.panel.BtnUp, "Up"}, {f.panel.BtnDown, "Down"}};
        for (const auto& [button, caption] : buttons)
            QCOMPARE(button->text(), caption);
        QCOMPARE(f.panel.SSOpt[0]->text(), QStringLiteral("SPL"));
        QCOMPARE(f.panel.SSOpt[1]->text(), QStringLiteral("Leq"));
        QCOMPARE(f.panel.SSOpt[2]->text(), QStringLiteral("SEL"));
        QVERIFY(f.panel.SSOpt[0]->isChecked());
        QCOMPARE(f.panel.CWG->axisTitle(Graph::Axis::Y), QStringLiteral("SPL (dB)"));
        QCOMPARE(f.panel.CWLeq->axisTitle(Graph::Axis::Y), QStringLiteral("Leq (dB)"));
        QCOMPARE(f.panel.CWSEL->axisTitle(Graph::Axis::Y), QStringLiteral("SEL (dB)"));
        QCOMPARE(f.panel.CWInt->axisTitle(Graph::Axis::Y), QStringLiteral("Frequency (Times)"));
    }

    void frameToControls_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("lcd");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("level");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QString>("weighting"); // BoardCA
        QTest::addColumn<QString>("shownTime"); // the one of FAST/SLOW/IMP visible
        QTest::addColumn<bool>("over");
        QTest::addColumn<bool>("under");
        QTest::addColumn<QString>("state"); // run/pause/stop visible
        QTest::newRow("93.4 in 70-130, A fast, run") << frame(1, 0x04, 934) << "93.4" << "93.4" << 93 << "70-130" << true << true << "A" << "FAST" << false << false << "run";
        QTest::newRow("top range: Up disabled") << frame(0, 0x01 | 0x08, 1000) << "100.0" << "100.0" << 100 << "80-140" << false << true << "A" << "SLOW" << false << false << "pause";
        QTest::newRow("bottom range: Down disabled, over") << frame(0x85, 0x02 | 0x10 | 0x20, 600) << "60.0" << "60.0" << 60 << "30-90" << true << false << "C" << "IMP" << true << false << "stop";
        QTest::newRow("25.0 in 30-90 shows the level") << frame(5, 0x40, 250) << "25.0" << "25.0" << 30 << "30-90" << true << false << "Z" << "FAST" << false << false << "";
        QTest::newRow("24.9 in 30-90 shows dashes") << frame(5, 0x80, 249) << "- - -" << "24.9" << 30 << "30-90" << true << false << "A" << "FAST" << false << true << "";
        QTest::newRow("141.2 in 80-140 pins the bar") << frame(0x80, 0, 1412) << "141.2" << "141.2" << 140 << "80-140" << false << true << "A" << "FAST" << true << false << "";
        QTest::newRow("marked level") << frame(1, 0, 0x8000 | 934) << "93.4*" << "93.4*" << 93 << "70-130" << true << true << "A" << "FAST" << false << false << "";
    }
    void frameToControls()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shownTime);
        QFETCH(QString, state);
        Fixture f;
        QVERIFY(f.showFrame(bytes));
        Panel& p = f.panel;
        QTEST(p.ShownLCD->text(), "lcd");
        QCOMPARE(p.ShownLCD->accessibleName(), p.ShownLCD->text());
        QTEST(p.LblValue->text(), "value");
        QTEST(p.SoundBar->value(), "bar");
        QTEST(p.BoardLevel->text(), "level");
        QCOMPARE(p.LblBarMin->text() + "-" + p.LblBarMax->text(), p.BoardLevel->text());
        QTEST(p.toolbarButton(6)->isEnabled(), "up");
        QTEST(p.toolbarButton(7)->isEnabled(), "down");
        QTEST(p.BoardCA->text(), "weighting");
        QCOMPARE(p.BoardSFI->text(), shownTime);
        QCOMPARE(p.LblFast->isVisible(), shownTime == "FAST");
        QCOMPARE(p.LblSlow->isVisible(), shownTime == "SLOW");
        QCOMPARE(p.LblIMP->isVisible(), shownTime == "IMP");
        QTEST(p.LblOver->isVisible(), "over");
        QTEST(p.LblUnder->isVisible(), "under");
        QCOMPARE(p.LblRun->isVisible(), state == "run");
        QCOMPARE(p.LblPause->isVisible(), state == "pause");
        QCOMPARE(p.LblStop->isVisible(), state == "stop");
    }

    void emptyTimeWeightKeepsTheIndicator()
    {
        Fixture f;
        QVERIFY(f.showFrame(frame(1, 0x01, 700))); // SLOW
        QVERIFY(f.showFrame(frame(1, 0x03, 700))); // no time weighting
        QVERIFY(f.panel.LblSlow->isVisible());
        QVERIFY(!f.panel.LblFast->isVisible());
        QCOMPARE(f.panel.BoardSFI->text(), QString());
    }

    void filterWeightingBlinks()
    {
        Fixture f;
        QVERIFY(f.showFrame(frame(1, 0x60, 700)));
        QCOMPARE(f.panel.BoardCA->text(), QStringLiteral("20-200Hz Filter"));
        QCOMPARE(f.panel.LblCA->text(), QStringLiteral("A"));
        QSignalSpy applied(&f.panel, &Panel::tickApplied);
        QList<bool> seen;
        for (int i = 0; i < 4; ++i) {
            QVERIFY(applied.wait(2000));
            seen << f.panel.LblCA->isVisible();
        }
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] != seen[i - 1]);
        QVERIFY(f.showFrame(frame(1, 0x20, 700)));
        QVERIFY(f.panel.LblCA->isVisible());
        QCOMPARE(f.panel.LblCA->text(), QStringLiteral("C"));
    }

    void lostLinkAndRecovery()
    {
        // The recovery waits inside the tick until the meter is back, so the meter's cable is
        // pulled and plugged by timers while the test only watches what the panel reported.
        Fixture f;
        QVERIFY(f.showFrame(frame(1, 0, 934)));
        QString comWhileLost, valueWhileLost;
        bool timer2WhileLost = true;
        QList<bool> states;
        connect(&f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            states << lost;
            if (lost) {
                comWhileLost = f.panel.LblCOM->text();
                valueWhileLost = f.panel.LblValue->text();
                timer2WhileLost = f.panel.Timer2->isActive();
                QTimer::singleShot(300, [&f] { f.meter.plugged = true; });
            }
        });
        f.meter.plugged = false;
        QTRY_COMPARE_WITH_TIMEOUT(states, QList<bool>({true, false}), 5000);
        QCOMPARE(comWhileLost, QStringLiteral("No COM"));
        QCOMPARE(valueWhileLost, QString());
        QVERIFY(!timer2WhileLost);
        QCOMPARE(f.panel.LblCOM->text(), QStringLiteral("COM1"));
        QVERIFY(f.panel.Timer2->isActive());
        QVERIFY(f.showFrame(frame(2, 0, 800)));
        QCOMPARE(f.panel.ShownLCD->text(), QStringLiteral("80.0"));
    }

    void keysSendTheirCode_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("code");
        const char* names[] = {"BtnCA", "BtnFastSlow", "BtnLeq", "BtnMax", "BtnPlayPause",
                               "BtnRecord", "BtnDate", "BtnInteg", "BtnUp", "BtnDown"};
        for (int i = 0; i < 10; ++i)
            QTest::newRow(names[i]) << QString::fromLatin1(names[i]) << i + 1;
    }
    void keysSendTheirCode()
    {
        QFETCH(QString, button);
        QFETCH(int, code);
        Fixture f;
        f.meter.link.clearWritten();
        auto* b = f.panel.findChild<QPushButton*>(button);
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton);
        const QByteArray key = protocol::keyCommand(code);
        const QByteArray written = f.meter.link.written();
        QVERIFY2(written.endsWith(key), written.toHex(' ').constData());
        QVERIFY(written.startsWith('A'));
        QCOMPARE(written.count(key), 1);
    }

    // A key pressed to a meter that went dead: the press gives up after about a second, a second
    // press meanwhile leaves the first one's guard on, and the poll then finds the link lost.
    void keyPressToADeadMeter()
    {
        Fixture f;
        QVERIFY(f.showFrame(frame(1, 0, 934)));
        f.meter.plugged = false;
        f.meter.link.clearWritten();
        QList<bool> states;
        connect(&f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            states << lost;
            if (lost)
                QTimer::singleShot(300, [&f] { f.meter.plugged = true; });
        });
        bool busyAfterSecondPress = false;
        QTimer::singleShot(100, &f.panel, [&] {
            QTest::mouseClick(f.panel.BtnUp, Qt::LeftButton);
            busyAfterSecondPress = f.parts.live->keyBusy();
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(f.panel.BtnDown, Qt::LeftButton);
        QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(busyAfterSecondPress); // the first press was still waiting
        QVERIFY(!f.parts.live->keyBusy());
        QCOMPARE(f.meter.link.written().count('K'), 0);
        QCOMPARE(f.panel.statusBar()->currentMessage(),
                 QStringLiteral("The meter did not answer: the key \"Down\" was not sent."));
        QTRY_COMPARE_WITH_TIMEOUT(states, QList<bool>({true, false}), 5000);
        QTest::mouseClick(f.panel.BtnUp, Qt::LeftButton); // taken: the line is cleared
        QCOMPARE(f.panel.statusBar()->currentMessage(), QString());
    }

    void captionToggle()
    {
        Fixture f;
        QTest::mouseClick(f.panel.LblCOM, Qt::LeftButton);
        QCOMPARE(f.panel.windowTitle(), QStringLiteral("Panel   V7.0   20090507"));
        QTest::mouseClick(f.panel.LblCOM, Qt::LeftButton);
        QCOMPARE(f.panel.windowTitle(), QStringLiteral("Panel   V7.0"));
        f.panel.setWindowTitle(QStringLiteral("37 Records Completed"));
        QTest::mouseClick(f.panel.LblCOM, Qt::LeftButton);
        QCOMPARE(f.panel.windowTitle(), QStringLiteral("Panel   V7.0"));
    }

    void graphSelector()
    {
        Fixture f;
        const struct { int option; bool g, leq, sel; } cases[] = {
            {1, false, true, false}, {2, false, false, true}, {0, true, false, false}};
        for (const auto& c : cases) {
            QTest::mouseClick(f.panel.SSOpt[std::size_t(c.option)], Qt::LeftButton);
            QCOMPARE(f.panel.CWG->isVisible(), c.g);
            QCOMPARE(f.panel.CWLeq->isVisible(), c.leq);
            QCOMPARE(f.panel.CWSEL->isVisible(), c.sel);
        }
    }
};

QTEST_MAIN(TestPanelLive)
#include "test_panel_live.moc"
