// The windows of the meter settings on the in-memory link: Setup with its two clocks, the set
// button and every way of closing it; SamplingChoice; the clickable label used by keyboard and
// by assistive technology.
#include "kirv/logger/ui/sampling_choice.h"
#include "kirv/base/clock.h"
#include "kirv/meter/serial_link.h"
#include "kirv/meter/ui/setup.h"
#include "kirv/widgets/controls.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace kirv;

namespace {
const QDateTime FixedNow(QDate(2009, 5, 7), QTime(8, 30, 59));

// Setup on a meter that answers "I" (unless unplugged), with a record of the panel's timers.
struct SetupFixture
{
    MemoryLink link;
    QList<bool> timers; // every switch of the panel's timers, in order
    bool plugged = true;
    QPointer<Setup> setup;

    SetupFixture()
    {
        setNowSource([] { return FixedNow; });
        link.setResponder([this](MemoryLink& l, const QByteArray& written) {
            if (plugged && written == "I")
                l.feed(QByteArray::fromHex("003008070509"));
        });
        setup = new Setup(link, [this](bool on) { timers.append(on); });
        setup->setAttribute(Qt::WA_DeleteOnClose);
        setup->show();
    }
    ~SetupFixture()
    {
        delete setup;
        setNowSource({});
    }
    bool timersOn() const { return !timers.isEmpty() && timers.last(); }

    // QPointer so a test can see the window went away.
    QPointer<Setup> setupPtr() const { return setup; }
};
} // namespace

class TestSettingsWindows : public QObject
{
    Q_OBJECT
private slots:
    void setupShowsItsDesignTexts()
    {
        SetupFixture f;
        QCOMPARE(f.setup->windowTitle(), QStringLiteral("Setup"));
        QCOMPARE(f.setup->FrameTime->title(), QStringLiteral("Time"));
        QCOMPARE(f.setup->LblMeterTime->text(), QStringLiteral("Meter Time"));
        QCOMPARE(f.setup->LblPCTime->text(), QStringLiteral("PC System Time"));
        QCOMPARE(f.setup->CmdSetTime->text(), QStringLiteral("Set Meter Time To System Time"));
        QCOMPARE(f.setup->CmdExit->text(), QStringLiteral("Exit"));
        QCOMPARE(f.setup->Timer1->interval(), 350);
        QVERIFY(f.setup->Timer1->isActive());
        f.setup->grab().save(QDir::temp().filePath(QStringLiteral("kirv_setup.png")));
    }

    void clocksToggleOnClickAndKeys()
    {
        SetupFixture f;
        QTest::mouseClick(f.setup->LblMeterTime, Qt::LeftButton);
        QTest::keyClick(f.setup->LblPCTime, Qt::Key_Space);
        QTRY_COMPARE_WITH_TIMEOUT(f.setup->LblMeterTime->text(),
                                  QStringLiteral("2009/05/07 08:30:00"), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(f.setup->LblPCTime->text(), QStringLiteral("2009/05/07 08:30:59"),
                                  3000);
        QVERIFY(f.link.written().startsWith("I"));
        QCOMPARE(f.link.written(), QByteArray(f.link.written().size(), 'I'));
        QVERIFY(!f.timersOn());
        f.setup->grab().save(QDir::temp().filePath(QStringLiteral("kirv_setup_clocks.png")));

        // Off again: the captions come back, the panel's timers stay off until the window closes.
        QTest::keyClick(f.setup->LblMeterTime, Qt::Key_Return);
        QTest::keyClick(f.setup->LblPCTime, Qt::Key_Enter);
        QTRY_COMPARE_WITH_TIMEOUT(f.setup->LblMeterTime->text(), QStringLiteral("Meter Time"),
                                  3000);
        QTRY_COMPARE_WITH_TIMEOUT(f.setup->LblPCTime->text(), QStringLiteral("PC System Time"),
                                  3000);
        QVERIFY(!f.timersOn());
        f.setup->CmdExit->click();
        QVERIFY(f.timersOn());
    }

    void setTimeSendsTheFixedClockInOneWrite()
    {
        SetupFixture f;
        f.link.clearWritten();
        int writes = 0;
        f.link.setResponder([&](MemoryLink&, const QByteArray&) { ++writes; });
        f.setup->CmdSetTime->click();
        QCOMPARE(f.link.written().toHex(' '), QByteArray("42 59 30 08 07 05 09"));
        QCOMPARE(writes, 1);
        QVERIFY(!f.timersOn());
        QVERIFY(f.setup->Timer1->isActive());
    }

    void closingRestartsThePanelTimers_data()
    {
        QTest::addColumn<bool>("plugged");
        QTest::addColumn<int>("how"); // 0 Exit, 1 close box, 2 Escape
        for (bool plugged : {true, false})
            for (int how : {0, 1, 2})
                QTest::addRow("%s, %s", plugged ? "meter" : "cable out",
                              how == 0   ? "Exit"
                              : how == 1 ? "close box"
                                         : "Escape")
                    << plugged << how;
    }
    void closingRestartsThePanelTimers()
    {
        QFETCH(bool, plugged);
        QFETCH(int, how);
        SetupFixture f;
        f.plugged = plugged;
        f.setup->LblMeterTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(f.link.written().count('I') >= 2, 3000);
        QVERIFY(!f.timersOn());
        const QPointer<Setup> window = f.setupPtr();
        QElapsedTimer clock;
        clock.start();
        if (how == 0)
            f.setup->CmdExit->click();
        else if (how == 1)
            f.setup->close();
        else
            QTest::keyClick(f.setup, Qt::Key_Escape);
        QVERIFY(f.timersOn());
        QVERIFY(clock.elapsed() < 200);
        // Gone, so nothing more is asked of the meter; the timers stay on.
        QTRY_VERIFY_WITH_TIMEOUT(!window, 3000);
        QVERIFY(f.timersOn());
    }

    void closingDuringAReadEndsIt()
    {
        SetupFixture f;
        f.plugged = false;
        f.setup->LblMeterTime->click();
        // Close from inside the read's wait.
        bool closed = false;
        f.link.setResponder([&](MemoryLink&, const QByteArray&) {
            if (!closed) {
                closed = true;
                QTimer::singleShot(5, f.setup, [&] { f.setup->close(); });
            }
        });
        const QPointer<Setup> window = f.setupPtr();
        QTRY_VERIFY_WITH_TIMEOUT(!window, 3000);
        QVERIFY(f.timersOn());
        QCOMPARE(f.timers.count(true), 1);
    }

    void samplingChoice_data()
    {
        QTest::addColumn<bool>("pc");
        QTest::newRow("OK untouched is the meter") << false;
        QTest::newRow("PC chosen") << true;
    }
    void samplingChoice()
    {
        QFETCH(bool, pc);
        SamplingChoice choice;
        QCOMPARE(choice.windowTitle(), QStringLiteral("Sampling Rate"));
        QCOMPARE(choice.OptMeter->text(), QStringLiteral("Meter Sampling Rate"));
        QCOMPARE(choice.OptPC->text(), QStringLiteral("PC Sampling Rate"));
        QCOMPARE(choice.CmdOK->text(), QStringLiteral("OK"));
        QVERIFY(choice.isModal());
        QVERIFY(choice.OptMeter->isChecked());
        choice.show();
        choice.grab().save(QDir::temp().filePath(QStringLiteral("kirv_sampling_choice.png")));
        QSignalSpy chosen(&choice, &SamplingChoice::chosen);
        if (pc)
            choice.OptPC->click();
        choice.CmdOK->click();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toBool(), pc);
        QVERIFY(!choice.isVisible());
    }

    void samplingChoiceCloseBoxAnswersNothing()
    {
        SamplingChoice choice;
        choice.show();
        QSignalSpy chosen(&choice, &SamplingChoice::chosen);
        choice.OptPC->click();
        choice.close();
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(choice.result(), int(QDialog::Rejected));
    }

    void clickLabelOffersAPressAction()
    {
        QWidget window;
        auto* label = new ClickLabel(QStringLiteral("COM1"), &window);
        window.show();
        QSignalSpy clicks(label, &ClickLabel::clicked);
        QCOMPARE(label->focusPolicy(), Qt::TabFocus);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::Button);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("COM1"));
        QAccessibleActionInterface* actions = a->actionInterface();
        QVERIFY(actions);
        QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        actions->doAction(QAccessibleActionInterface::pressAction());
        QTest::keyClick(label, Qt::Key_Space);
        QTest::keyClick(label, Qt::Key_A); // other keys do nothing
        QCOMPARE(clicks.count(), 2);
    }
};

QTEST_MAIN(TestSettingsWindows)
#include "test_settings_windows.moc"
