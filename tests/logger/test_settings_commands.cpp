// The toolbar's settings commands on a panel whose meter is played on the in-memory link: the
// exact bytes of every command, the input boxes' texts and answers, the sampling choice, the
// clock window, and the panel's timers on every way out.
#include "kirv/app/ui/panel_assembly.h"
#include "kirv/logger/ui/sampling_choice.h"
#include "kirv/meter/serial_link.h"
#include "kirv/meter/ui/setup.h"
#include "kirv/widgets/lcd_display.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/ui/panel_recording.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace kirv;

namespace {

const QByteArray Frame = QByteArray::fromHex("020100"
                                              "03a603");

// A measuring meter: streams a frame every 20 ms, answers "J" with its interval and "I" with
// its clock, and notes whether the panel's timers were off when each command came.
struct Fixture
{
    MemoryLink link;
    QTimer stream;
    bool plugged = true;
    QByteArray intervalReply = QByteArray::fromHex("002a");
    PortTable table{{"memory"}, {}, {}};
    Panel panel{link, PortChoice{1, {}}, table};
    PanelParts parts = attachPanelParts(panel);
    test::ScriptedDialogs* dialogs = test::ScriptedDialogs::install();
    bool timersOffAtEveryCommand = true;

    Fixture()
    {
        QObject::connect(&stream, &QTimer::timeout, [this] {
            if (plugged)
                link.feed(Frame);
        });
        link.setResponder([this](MemoryLink& l, const QByteArray& written) {
            timersOffAtEveryCommand &= !panel.Timer1->isActive() && !panel.Timer2->isActive();
            if (!plugged)
                return;
            if (written == "J")
                l.feed(intervalReply);
            else if (written == "I")
                l.feed(QByteArray::fromHex("003008070509"));
        });
        stream.start(20);
        const bool loaded = panel.load(nullptr);
        Q_ASSERT(loaded);
        panel.show();
    }

    bool timersOn() const { return panel.Timer1->isActive() && panel.Timer2->isActive(); }

    void click(const char* key)
    {
        for (int i = 1; i <= Panel::ToolbarButtons; ++i)
            if (panel.toolbarButton(i)->data().toString() == QLatin1String(key))
                panel.toolbarWidget(i)->click();
    }

    // Answers the sampling choice window the command opened: OK (PC or meter) or its close box.
    bool answerChoice(int answer) // 0 meter, 1 PC, 2 close box
    {
        QPointer<SamplingChoice> choice;
        const auto open = [&] {
            choice = panel.findChild<SamplingChoice*>();
            return choice && choice->isVisible();
        };
        if (!QTest::qWaitFor(open, 3000))
            return false;
        if (!choice->OptMeter->isChecked())
            return false; // it opens on the meter's interval every time
        if (answer == 2) {
            choice->close();
        } else {
            (answer == 1 ? choice->OptPC : choice->OptMeter)->click();
            choice->CmdOK->click();
        }
        return true;
    }

    // The input box the command asked, once it asked.
    bool waitForInput(qsizetype asked)
    {
        return QTest::qWaitFor([&] { return dialogs->asked.size() > asked; }, 3000);
    }
};

const QString PcPrompt =
    QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ");
const QString MeterPrompt =
    QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 255 ) ");

} // namespace

class TestSettingsCommands : public QObject
{
    Q_OBJECT
private slots:
    void settingKeys_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("AC") << QByteArray("AC") << QByteArray("G");
        QTest::newRow("FSI") << QByteArray("FSI") << QByteArray("D");
        QTest::newRow("Up") << QByteArray("Up") << QByteArray("E");
        QTest::newRow("Down") << QByteArray("Down") << QByteArray("F");
    }
    void settingKeys()
    {
        QFETCH(QByteArray, key);
        Fixture f;
        f.parts.recording->PicSave->show();
        f.click(key.constData());
        QTEST(f.link.written(), "bytes");
        QVERIFY(f.timersOffAtEveryCommand);
        QVERIFY(f.timersOn());
        QVERIFY(f.parts.recording->PicSave->isHidden());
    }

    void meterSampling_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("300 gives 255") << "300" << QByteArray::fromHex("4a4300ff");
        QTest::newRow("1") << "1" << QByteArray::fromHex("4a430001");
        QTest::newRow("2.5 to even") << "2.5" << QByteArray::fromHex("4a430002");
        QTest::newRow("Cancel") << "" << QByteArray("J");
        QTest::newRow("not a number") << "abc" << QByteArray("J");
    }
    void meterSampling()
    {
        QFETCH(QString, answer);
        Fixture f;
        f.dialogs->inputs.enqueue(answer);
        f.click("Sampling");
        QVERIFY(f.answerChoice(0));
        QVERIFY(f.waitForInput(0));
        const auto& asked = f.dialogs->asked.first();
        QCOMPARE(asked.kind, QStringLiteral("input"));
        QCOMPARE(asked.prompt, MeterPrompt);
        QCOMPARE(asked.title, QStringLiteral("Input Sampling Time"));
        QCOMPARE(asked.defaultText, QStringLiteral("42")); // what the meter answered to "J"
        QTEST(f.link.written(), "bytes");
        QVERIFY(f.timersOffAtEveryCommand);
        QTRY_VERIFY_WITH_TIMEOUT(f.timersOn(), 3000);
    }

    void intervalReplyThatIsNoIntervalIsAnError_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("one byte") << QByteArray(1, '\0');
        QTest::newRow("one byte, then a frame") << QByteArray(1, '\x05') + Frame; // not 1282
    }
    void intervalReplyThatIsNoIntervalIsAnError()
    {
        QFETCH(QByteArray, reply);
        Fixture f;
        f.stream.stop(); // a meter that answers only this and sends nothing else
        f.intervalReply = reply;
        f.click("Sampling");
        QVERIFY(f.answerChoice(0));
        QVERIFY(f.waitForInput(0));
        QCOMPARE(f.dialogs->asked.size(), 1);
        QCOMPARE(f.dialogs->asked.first().kind, QStringLiteral("message"));
        const MessageSpec m = f.dialogs->asked.first().message;
        QCOMPARE(m.text, QStringLiteral("Error! Try again!"));
        QCOMPARE(int(m.icon), int(QMessageBox::Critical));
        QCOMPARE(f.link.written(), QByteArray("JJJJJJ")); // asked again five times, nothing set
        QVERIFY(f.timersOn());
    }

    void pcSampling_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("interval");
        QTest::newRow("0 gives 1") << "0" << 1;
        QTest::newRow("100000 gives 86400") << "100000" << 86400;
        QTest::newRow("2.5 gives 2") << "2.5" << 2;
        QTest::newRow("3.5 gives 4") << "3.5" << 4;
        QTest::newRow("letters keep it") << "abc" << 7;
        QTest::newRow("Cancel keeps it") << "" << 7;
    }
    void pcSampling()
    {
        QFETCH(QString, answer);
        Fixture f;
        f.parts.recording->sampler().setSampleInterval(7);
        f.dialogs->inputs.enqueue(answer);
        f.click("Sampling");
        QVERIFY(f.answerChoice(1));
        QVERIFY(f.waitForInput(0));
        const auto& asked = f.dialogs->asked.first();
        QCOMPARE(asked.prompt, PcPrompt);
        QCOMPARE(asked.title, QStringLiteral("Input Sampling Time"));
        QCOMPARE(asked.defaultText, QStringLiteral("7"));
        QTEST(f.parts.recording->sampler().state().SampleInterval, "interval");
        QCOMPARE(f.link.written(), QByteArray()); // nothing goes to the meter
        QVERIFY(f.timersOn());
    }

    void pcSamplingRefusedWhileRecording()
    {
        // The header of the running recording names one interval for all its records.
        Fixture f;
        QTemporaryDir dir;
        f.parts.recording->setWorkingFolder(dir.path());
        f.parts.recording->sampler().setSampleInterval(5);
        f.dialogs->files.enqueue(dir.filePath(QStringLiteral("rec.kirv")));
        f.parts.recording->CmdSaveOK->click();
        QVERIFY(f.parts.recording->recording());
        f.dialogs->inputs.enqueue(QStringLiteral("1"));
        f.click("Sampling");
        QVERIFY(f.answerChoice(1));
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs->asked.size(), 2, 3000);
        const MessageSpec m = f.dialogs->asked.last().message;
        QCOMPARE(m.text, QStringLiteral("Recording Mode!\n\rPlease stop recording!"));
        QCOMPARE(int(m.icon), int(QMessageBox::Critical));
        QCOMPARE(f.parts.recording->sampler().state().SampleInterval, 5);
        QVERIFY(f.parts.recording->stopRecording());
    }

    void closeBoxKeepsThePreviousChoice()
    {
        Fixture f;
        f.dialogs->inputs.enqueue(QStringLiteral("5"));
        f.click("Sampling");
        QVERIFY(f.answerChoice(1));
        QVERIFY(f.waitForInput(0));
        f.dialogs->inputs.enqueue(QStringLiteral("9"));
        f.click("Sampling");
        QVERIFY(f.answerChoice(2)); // PC still
        QVERIFY(f.waitForInput(1));
        QCOMPARE(f.dialogs->asked.last().prompt, PcPrompt);
        QCOMPARE(f.parts.recording->sampler().state().SampleInterval, 9);
        QCOMPARE(f.link.written(), QByteArray());
    }

    void clockWindowHoldsTheTimers_data()
    {
        QTest::addColumn<bool>("plugged");
        QTest::newRow("meter") << true;
        QTest::newRow("cable out") << false;
    }
    void clockWindowHoldsTheTimers()
    {
        QFETCH(bool, plugged);
        Fixture f;
        f.click("RTC");
        QPointer<Setup> setup = f.panel.findChild<Setup*>();
        QVERIFY(setup && setup->isVisible());
        QCOMPARE(setup->windowModality(), Qt::WindowModal);
        QVERIFY(f.timersOn()); // until the meter clock is shown
        setup->LblMeterTime->click();
        QTRY_COMPARE_WITH_TIMEOUT(setup->LblMeterTime->text(),
                                  QStringLiteral("2009/05/07 08:30:00"), 3000);
        QVERIFY(!f.timersOn());
        // The cable comes out while the meter clock shows: the reads go unanswered.
        f.plugged = plugged;
        const qsizetype asked = f.link.written().count('I');
        QTRY_VERIFY_WITH_TIMEOUT(f.link.written().count('I') >= asked + 2, 3000);
        QVERIFY(!f.timersOn());
        setup->close();
        QVERIFY(f.timersOn());
        QVERIFY(!setup->isVisible());
        f.plugged = true; // else the panel's own link recovery waits for the meter from here on
        QTRY_VERIFY_WITH_TIMEOUT(!setup, 3000);
        QVERIFY(f.timersOffAtEveryCommand);
    }

    void panelClosedUnderTheClockWindow()
    {
        MemoryLink link;
        link.setResponder([](MemoryLink& l, const QByteArray& written) {
            if (written == "I")
                l.feed(QByteArray::fromHex("003008070509"));
        });
        QTimer stream;
        QObject::connect(&stream, &QTimer::timeout, [&link] { link.feed(Frame); });
        stream.start(20);
        PortTable table{{"memory"}, {}, {}};
        auto* panel = new Panel(link, PortChoice{1, {}}, table);
        attachPanelParts(*panel);
        QVERIFY(panel->load(nullptr));
        for (int i = 1; i <= Panel::ToolbarButtons; ++i)
            if (panel->toolbarButton(i)->data().toString() == QLatin1String("RTC"))
                panel->toolbarWidget(i)->click();
        QPointer<Setup> setup = panel->findChild<Setup*>();
        QVERIFY(setup);
        setup->LblMeterTime->click();
        QTRY_COMPARE_WITH_TIMEOUT(setup->LblMeterTime->text(),
                                  QStringLiteral("2009/05/07 08:30:00"), 3000);
        delete panel; // the window and its hold of the timers go with it, touching nothing
        QVERIFY(!setup);
    }

    void markedReadingOnBothDisplays()
    {
        Fixture f;
        f.stream.stop();
        f.stream.disconnect();
        QObject::connect(&f.stream, &QTimer::timeout, [&f] {
            f.link.feed(QByteArray::fromHex("020100"
                                            "83a603")); // 93.4 dB, marked
        });
        f.stream.start(20);
        QTRY_COMPARE_WITH_TIMEOUT(f.panel.ShownLCD->text(), QStringLiteral("93.4*"), 3000);
        QVERIFY(f.panel.ShownLCD->marked());
        QCOMPARE(f.panel.LblValue->text(), QStringLiteral("93.4*"));
        for (QLabel* l : {f.panel.LblValue, f.panel.LblA, f.panel.LblC})
            QVERIFY2(l->isVisible(), qPrintable(l->objectName()));
        QCOMPARE(f.panel.LblA->text(), QStringLiteral("A"));
        QCOMPARE(f.panel.LblC->text(), QStringLiteral("C"));
        f.panel.grab().save(QDir::temp().filePath(QStringLiteral("kirv_panel_marked.png")));
    }

    void commandDuringAnotherExchangeLeavesItsTimersOff()
    {
        // A download, say, holds the timers off; a key clicked meanwhile must not restart them.
        Fixture f;
        f.panel.stopTimers();
        f.click("Up");
        QCOMPARE(f.link.written(), QByteArray("E"));
        QVERIFY(!f.panel.Timer1->isActive());
        QVERIFY(!f.panel.Timer2->isActive());
    }
};

QTEST_MAIN(TestSettingsCommands)
#include "test_settings_commands.moc"
