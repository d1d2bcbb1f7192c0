// Every window as a user opens it against the virtual meter: whole on the screen (the suite runs
// once per screen size, see CMakeLists.txt), its shown values heard through the accessibility
// interface; and the look of a lost link.
#include "tests/e2e/e2e_fixture.h"

#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/data_list.h"
#include "kirv/logger/ui/memory.h"
#include "kirv/logger/ui/sampling_choice.h"
#include "kirv/base/clock.h"
#include "kirv/meter/ui/port.h"
#include "kirv/meter/ui/setup.h"
#include "kirv/widgets/graph.h"
#include "kirv/widgets/lcd_display.h"
#include "kirv/widgets/placement.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/open_command.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QToolBar>
#include <QtTest>

using namespace kirv;

namespace {

constexpr int WaitMs = 8000;

QWidget* shown(const QString& name) // by name, or by title for a window without one
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && (w->objectName() == name || w->windowTitle() == name))
            return w;
    return nullptr;
}

// The windows a user opens while measuring, or with the meter in its memory state. The logger's
// commands run from the test's own stack, not under the live poll that waits for frames.
struct Screens : E2eFixture
{
    Port port{app.ports()};
    QList<QPointer<QWidget>> windows;

    explicit Screens(bool logger)
    {
        loggerState() = LoggerState();
        if (logger) {
            meter->setMode(sim::Mode::Logger);
            clickToolbar(*panel, "Memory");
            Memory::current()->GridSet_Click(Memory::current()->GridSet->model()->index(1, 0));
            windows << Memory::current() << DataList::current();
            return;
        }
        settle();
        port.show();
        auto* views = panel->findChild<FileViews*>();
        const QString data = qEnvironmentVariable("KIRV_TEST_DATA") + QLatin1Char('/');
        FileList* list = views->openDataFile(data + QStringLiteral("logger_three_samples.kirv"));
        windows << &port << panel << shown(QStringLiteral("Virtual Meter")) << list
                << views->openDataFile(data + QStringLiteral("realtime_two_samples.kirv"));
        emit list->plotRequested();
        list->Cmd01dB->click();
        emit panel->CWG->clicked();
        emit panel->CWDec->clicked();
        clickToolbar(*panel, "RTC");
        clickToolbar(*panel, "Sampling");
        QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("SamplingChoice")), WaitMs);
        for (const char* name : {"Plot", "Histogram", "RealTimeGraph", "RealHistogram", "Setup", "SamplingChoice"})
            windows << shown(QString::fromLatin1(name));
    }
    ~Screens()
    {
        delete Memory::current();
        delete DataList::current();
        delete shown(QStringLiteral("RealHistogram")); // the one window nothing owns
        loggerState() = LoggerState();
    }
};

// Every name and value an accessibility client hears from `iface` down.
void heard(QAccessibleInterface* iface, QStringList& texts)
{
    texts << iface->text(QAccessible::Name) << iface->text(QAccessible::Value);
    for (int i = 0; i < iface->childCount(); ++i)
        heard(iface->child(i), texts);
}

QString nameOf(QWidget* w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

} // namespace

class TestE2eScreens : public QObject
{
    Q_OBJECT
    static void windows_data()
    {
        QTest::addColumn<bool>("logger");
        QTest::newRow("measuring") << false;
        QTest::newRow("logger") << true;
    }

private slots:
    // Whole on the screen; beside the panel where that fits; the set view clear of the set list.
    void windowsFitTheScreen_data() { windows_data(); }
    void windowsFitTheScreen()
    {
        QFETCH(bool, logger);
        Screens f(logger);
        QVERIFY(!f.windows.contains(nullptr));
        QCOMPARE(f.windows.size(), logger ? 2 : 11);
        const QRect panel = f.panel->frameGeometry();
        const QPoint beside(panel.left() + panel.width(), panel.top());
        // The first file's view lies beside the panel, the second a step off the first (so that
        // neither covers the other), a view's plot beside its view.
        const QWidget* first = f.panel->findChild<QWidget*>(QStringLiteral("FileList"));
        for (QWidget* w : f.windows) {
            const QRect frame = w->frameGeometry();
            const QRect available = w->screen()->availableGeometry();
            QVERIFY2(available.contains(frame), qPrintable(w->objectName()));
            QPoint wanted = beside;
            if (w->objectName() == QLatin1String("FileListReal"))
                wanted = first->frameGeometry().topLeft() + QPoint(32, 32);
            else if (w->objectName() == QLatin1String("Plot"))
                wanted = QPoint(w->parentWidget()->frameGeometry().left() +
                                    w->parentWidget()->frameGeometry().width(),
                                w->parentWidget()->frameGeometry().top());
            if (QStringList{"FileList", "FileListReal", "Plot", "Memory"}.contains(w->objectName()) &&
                available.contains(QRect(wanted, frame.size())))
                QCOMPARE(frame.topLeft(), wanted);
        }
        QCOMPARE(panel.topLeft(), f.panel->screen()->availableGeometry().topLeft());
        if (logger)
            QVERIFY(!DataList::current()->frameGeometry().intersects(globalRect(Memory::current()->GridSet)));
    }

    // Each shown label's text is heard in its window's accessible tree; boards with their caption.
    void valuesAreHeard_data() { windows_data(); }
    void valuesAreHeard()
    {
        QFETCH(bool, logger);
        Screens f(logger);
        for (QWidget* w : f.windows) {
            QStringList texts;
            heard(QAccessible::queryAccessibleInterface(w), texts);
            for (const QLabel* label : w->findChildren<QLabel*>()) {
                if (label->window() == w && label->isVisibleTo(w) && !label->text().isEmpty())
                    QVERIFY2(std::any_of(texts.begin(), texts.end(), [&](const QString& t) { return t.contains(label->text()); }),
                             qPrintable(w->objectName() + QStringLiteral(": ") + label->text()));
            }
        }
        if (logger) {
            QCOMPARE(nameOf(Memory::current()->LblSize), QStringLiteral("Memory Size: 128 K"));
            QCOMPARE(nameOf(Memory::current()->LblMessage), QStringLiteral("Download: 100.0% Completed"));
            QCOMPARE(nameOf(DataList::current()->Board05), QStringLiteral("L 05: ") + DataList::current()->Board05->text());
        } else {
            f.panel->BoardLeq->setText(QStringLiteral("71.3")); // kept current
            QCOMPARE(nameOf(f.panel->BoardLeq), QStringLiteral("Leq: 71.3"));
        }
    }

    // The graph choice set through the accessibility interface switches the graph as a click.
    void graphChoiceThroughAccessibility()
    {
        E2eFixture f;
        for (const auto& [option, action] : {std::pair{1, QAccessibleActionInterface::toggleAction()},
                                             std::pair{2, QAccessibleActionInterface::pressAction()}}) {
            QAccessible::queryAccessibleInterface(f.panel->SSOpt[std::size_t(option)])->actionInterface()->doAction(action);
            QTRY_VERIFY_WITH_TIMEOUT((option == 1 ? f.panel->CWLeq : f.panel->CWSEL)->isVisible(), WaitMs);
            QVERIFY(!f.panel->CWG->isVisible());
        }
    }

    // While the link is lost the last values stay, faded as not current, and the status says
    // since when. The recovery waits inside the panel's tick until frames return, so the look is
    // taken when the loss is reported and the cable plugged again from there.
    void lostLinkLooksStale()
    {
        E2eFixture f;
        QTRY_VERIFY_WITH_TIMEOUT(!f.panel->BoardLeq->text().isEmpty(), WaitMs);
        const QList<QWidget*> live{f.panel->BoardLeq, f.panel->BoardSEL, f.panel->BoardMaxdB, f.panel->BoardMaxTime,
                                   f.panel->BoardLevel, f.panel->ShownLCD, f.panel->SoundBar};
        QList<bool> enabled;
        QString status;
        QSignalSpy changes(f.panel, &Panel::linkLostChanged);
        connect(f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            for (QWidget* w : live)
                enabled << w->isEnabled();
            if (lost) {
                status = f.panel->LblLinkLost->isVisible() ? f.panel->LblLinkLost->text() : QString();
                QTimer::singleShot(300, f.meter, &sim::VirtualMeter::plug);
            }
        });
        setNowSource([] { return QDateTime(QDate(2026, 12, 8), QTime(7, 45, 12)); });
        f.meter->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(changes.count(), 2, WaitMs);
        setNowSource({});
        QCOMPARE(enabled, QList<bool>(live.size(), false) + QList<bool>(live.size(), true));
        QCOMPARE(status, QStringLiteral("Link lost since 2026/12/08 07:45:12"));
        QVERIFY(!f.panel->LblLinkLost->isVisible());
        QVERIFY(!f.panel->BoardLeq->text().isEmpty()); // kept, not emptied
    }
};

QTEST_MAIN(TestE2eScreens)
#include "test_e2e_screens.moc"
