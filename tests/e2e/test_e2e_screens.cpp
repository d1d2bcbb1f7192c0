// Every window against the virtual meter as a user opens it: whole on the screen (the suite runs
// once per screen size, see CMakeLists.txt), its shown values heard through the accessibility
// interface, and the look of a lost link.
//   KIRV_SCREENSHOTS=DIR saves each window's image there.
#include "e2e_fixture.h"

#include "kirv/analysis/ui/plot_record_list.h"
#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/data_list.h"
#include "kirv/logger/ui/memory.h"
#include "kirv/logger/ui/sampling_choice.h"
#include "kirv/meter/clock.h"
#include "kirv/meter/ui/port.h"
#include "kirv/meter/ui/setup.h"
#include "kirv/panel/ui/graph.h"
#include "kirv/panel/ui/placement.h"
#include "kirv/panel/ui/widgets.h"
#include "kirv/analysis/ui/plot.h"
#include "kirv/panel/ui/lcd_display.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/open_command.h"
#include "sim/virtual_meter.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace kirv;

namespace {

constexpr int kWait = 8000;

// A shown window by its name or, for one without, its title.
QWidget* topLevel(const QString& name)
{
    const QWidgetList all = QApplication::topLevelWidgets();
    const auto it = std::find_if(all.begin(), all.end(), [&](QWidget* w) {
        return w->isVisible() && (w->objectName() == name || w->windowTitle() == name);
    });
    return it == all.end() ? nullptr : *it;
}

// The program with the windows a user opens: measuring (files, graphs, clock, sampling) or, with
// the meter in its memory state, the logger's.
struct Screens : E2eFixture
{
    std::unique_ptr<Port> port;
    QPointer<QWidget> realHistogram; // the only window with no owner
    QList<QPointer<QWidget>> windows;

    explicit Screens(bool logger)
    {
        loggerState() = LoggerState();
        if (logger)
            openLoggerWindows();
        else
            openMeasuringWindows();
        windows.removeAll(nullptr);
    }
    ~Screens()
    {
        delete Memory::current();
        delete DataList::current();
        delete realHistogram.data();
        loggerState() = LoggerState();
    }

    FileList* open(const char* file)
    {
        auto* views = panel->findChild<FileViews*>();
        return views->openDataFile(qEnvironmentVariable("KIRV_TEST_DATA") + QLatin1Char('/') +
                                   QLatin1String(file));
    }

    void openMeasuringWindows()
    {
        settle();
        port = std::make_unique<Port>(app.ports());
        port->show();
        windows << port.get() << panel << topLevel(QStringLiteral("Virtual Meter"));
        FileList* real = open("realtime_two_samples.kirv");
        FileList* logger = open("logger_three_samples.kirv");
        windows << real << logger;
        for (QAction* a : logger->Toolbar1->actions())
            if (a->data().toString() == QLatin1String("Plot"))
                a->trigger();
        windows << plotWindow();
        logger->Cmd01dB->click();
        windows << topLevel(QStringLiteral("Histogram"));
        emit panel->CWG->clicked();
        windows << topLevel(QStringLiteral("RealTimeGraph"));
        emit panel->CWDec->clicked();
        windows << (realHistogram = topLevel(QStringLiteral("RealHistogram")));
        clickToolbar(*panel, "RTC");
        windows << panel->findChild<Setup*>();
        clickToolbar(*panel, "Sampling");
        QTRY_VERIFY_WITH_TIMEOUT(panel->findChild<SamplingChoice*>() &&
                                     panel->findChild<SamplingChoice*>()->isVisible(), kWait);
        windows << panel->findChild<SamplingChoice*>();
    }

    // The commands run from the test's own stack: the live poll, waiting for frames that no
    // longer come, is not under them.
    void openLoggerWindows()
    {
        meter->setMode(sim::Mode::Logger);
        clickToolbar(*panel, "Memory");
        Memory* memory = Memory::current();
        memory->GridSet_Click(memory->GridSet->model()->index(1, 0));
        windows << memory << DataList::current();
    }

    void saveScreenshots() const
    {
        const QString dir = qEnvironmentVariable("KIRV_SCREENSHOTS");
        if (dir.isEmpty())
            return;
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
        // Each window, and all of them where they lie on the screen, the last opened on top.
        QPixmap desktop(screen);
        desktop.fill(Qt::darkGray);
        QPainter painter(&desktop);
        for (const QPointer<QWidget>& w : windows) {
            const QPixmap image = w->grab();
            image.save(QStringLiteral("%1/%2-%3.png").arg(dir, w->objectName(), size));
            painter.drawPixmap(w->geometry().topLeft(), image);
            painter.setPen(Qt::black);
            painter.drawRect(w->frameGeometry().adjusted(0, 0, -1, -1));
        }
        desktop.save(QStringLiteral("%1/screen-%2-%3.png").arg(dir, windows.size() > 2 ? "measuring" : "logger", size));
    }
};

// Every text an accessibility client hears from `iface` and below it: names and values.
void heard(QAccessibleInterface* iface, QStringList& texts)
{
    if (!iface)
        return;
    texts << iface->text(QAccessible::Name) << iface->text(QAccessible::Value);
    for (int i = 0; i < iface->childCount(); ++i)
        heard(iface->child(i), texts);
}

} // namespace

class TestE2eScreens : public QObject
{
    Q_OBJECT
private slots:
    void fitInto_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("fitted");
        const QRect available(0, 30, 1366, 738);
        QTest::newRow("fits: kept") << QRect(100, 100, 400, 300) << QRect(100, 100, 400, 300);
        QTest::newRow("off the right: moved in") << QRect(1097, 30, 710, 600) << QRect(656, 30, 710, 600);
        QTest::newRow("above the top: moved down") << QRect(0, 0, 400, 300) << QRect(0, 30, 400, 300);
        QTest::newRow("too tall: shrunk") << QRect(500, 40, 400, 900) << QRect(500, 30, 400, 738);
        QTest::newRow("too large both ways") << QRect(-50, -50, 2000, 1000) << available;
        QTest::newRow("off the bottom left") << QRect(-20, 700, 300, 200) << QRect(0, 568, 300, 200);
    }
    void fitInto()
    {
        QFETCH(QRect, frame);
        QTEST(kirv::fitInto(frame, QRect(0, 30, 1366, 738)), "fitted");
    }

    // Each window lies whole on the screen; those that open beside the panel do so where they fit
    // there; the set view leaves the logger window's set list in view.
    void windowsFitTheScreen_data()
    {
        QTest::addColumn<bool>("logger");
        QTest::newRow("measuring") << false;
        QTest::newRow("logger") << true;
    }
    void windowsFitTheScreen()
    {
        QFETCH(bool, logger);
        Screens f(logger);
        QCOMPARE(f.windows.size(), logger ? 2 : 11);
        f.saveScreenshots();
        const QRect panel = f.panel->frameGeometry();
        const QPoint beside(panel.left() + panel.width(), panel.top());
        for (const QPointer<QWidget>& w : f.windows) {
            const QRect frame = w->frameGeometry();
            const QRect available = w->screen()->availableGeometry();
            QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                                               .arg(w->objectName())
                                                               .arg(frame.x())
                                                               .arg(frame.y())
                                                               .arg(frame.width())
                                                               .arg(frame.height())));
            const bool opensBeside = QStringList{"FileList", "FileListReal", "Plot", "Memory"}
                                         .contains(w->objectName());
            if (opensBeside && available.contains(QRect(beside, frame.size())))
                QCOMPARE(frame.topLeft(), beside);
        }
        QCOMPARE(f.panel->frameGeometry().topLeft(), f.panel->screen()->availableGeometry().topLeft());
        if (logger)
            QVERIFY(!DataList::current()->frameGeometry().intersects(globalRect(Memory::current()->GridSet)));
    }

    // Every value a window shows is heard: each shown label's text is in a name or value of the
    // window's accessible tree. Boards are named after their captions with the value.
    void valuesAreHeard_data() { windowsFitTheScreen_data(); }
    void valuesAreHeard()
    {
        QFETCH(bool, logger);
        Screens f(logger);
        for (const QPointer<QWidget>& w : f.windows) {
            QStringList texts;
            heard(QAccessible::queryAccessibleInterface(w.data()), texts);
            for (const QLabel* label : w->findChildren<QLabel*>()) {
                if (label->window() != w || !label->isVisibleTo(w) || label->text().isEmpty())
                    continue;
                const bool found = std::any_of(texts.begin(), texts.end(), [&](const QString& t) {
                    return t.contains(label->text());
                });
                QVERIFY2(found, qPrintable(w->objectName() + QStringLiteral(": ") + label->text()));
            }
        }
        const auto name = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
        if (logger) {
            const Memory* memory = Memory::current();
            QCOMPARE(name(memory->LblSize), QStringLiteral("Memory Size: 128 K"));
            QCOMPARE(name(memory->LblRemain), QStringLiteral("Remained: ") + memory->LblRemain->text());
            QCOMPARE(name(memory->LblMessage), QStringLiteral("Download: 100.0% Completed"));
            const DataList* list = DataList::current();
            QCOMPARE(name(list->BoardLeq), QStringLiteral("Leq: ") + list->BoardLeq->text());
            QCOMPARE(name(list->Board05), QStringLiteral("L 05: ") + list->Board05->text());
            QCOMPARE(name(list->BoardPeakTime), QStringLiteral("Time of the peak: ") + list->BoardPeakTime->text());
        } else {
            QCOMPARE(name(f.panel->BoardLevel), QStringLiteral("Level Range: ") + f.panel->BoardLevel->text());
            // Kept current: the name follows the text.
            f.panel->BoardLeq->setText(QStringLiteral("71.3"));
            QCOMPARE(name(f.panel->BoardLeq), QStringLiteral("Leq: 71.3"));
        }
    }

    // The graph selector set through the accessibility interface switches the graph as a click.
    void graphChoiceThroughAccessibility_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("action");
        QTest::newRow("Leq by toggle") << 1 << QAccessibleActionInterface::toggleAction();
        QTest::newRow("SEL by press") << 2 << QAccessibleActionInterface::pressAction();
    }
    void graphChoiceThroughAccessibility()
    {
        QFETCH(int, option);
        QFETCH(QString, action);
        E2eFixture f;
        const std::array<Graph*, 3> graphs{f.panel->CWG, f.panel->CWLeq, f.panel->CWSEL};
        QAccessible::queryAccessibleInterface(f.panel->SSOpt[std::size_t(option)])->actionInterface()->doAction(action);
        QTRY_VERIFY_WITH_TIMEOUT(graphs[std::size_t(option)]->isVisible(), kWait);
        QVERIFY(!f.panel->CWG->isVisible());
    }

    // While the link is lost the last values stay, faded as not current, and the status says
    // since when; back again, all is live.
    void lostLinkLooksStale()
    {
        E2eFixture f;
        f.meter->setLevel(74.2);
        QTRY_VERIFY_WITH_TIMEOUT(!f.panel->BoardLeq->text().isEmpty(), kWait);
        const QList<QWidget*> live{f.panel->BoardLeq, f.panel->BoardSEL, f.panel->BoardMaxdB,
                                   f.panel->BoardMaxTime, f.panel->BoardLevel, f.panel->ShownLCD,
                                   f.panel->SoundBar};
        // The recovery waits inside the panel's tick until frames return: what the loss shows is
        // taken when it is reported, and the cable is plugged again from there.
        QList<bool> enabledWhileLost;
        QString status;
        QString leq;
        bool disabledToReaders = false;
        QSignalSpy lost(f.panel, &Panel::linkLostChanged);
        connect(f.panel, &Panel::linkLostChanged, this, [&](bool isLost) {
            if (!isLost)
                return;
            for (QWidget* w : live)
                enabledWhileLost << w->isEnabled();
            leq = f.panel->BoardLeq->text();
            status = f.panel->LblLinkLost->isVisible() ? f.panel->LblLinkLost->text() : QString();
            disabledToReaders = QAccessible::queryAccessibleInterface(f.panel->BoardLeq)->state().disabled;
            if (const QString dir = qEnvironmentVariable("KIRV_SCREENSHOTS"); !dir.isEmpty())
                f.panel->grab().save(dir + QStringLiteral("/Panel-link-lost.png"));
            QTimer::singleShot(300, f.meter, &sim::VirtualMeter::plug);
        });
        setNowSource([] { return QDateTime(QDate(2026, 12, 8), QTime(7, 45, 12)); });
        f.meter->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 2, kWait);
        setNowSource({});
        QCOMPARE(enabledWhileLost, QList<bool>(live.size(), false));
        QCOMPARE(status, QStringLiteral("Link lost since 2026/12/08 07:45:12"));
        QVERIFY(disabledToReaders);
        QVERIFY(!leq.isEmpty()); // kept, not emptied
        for (QWidget* w : live)
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!f.panel->LblLinkLost->isVisible());
    }
};

QTEST_MAIN(TestE2eScreens)
#include "test_e2e_screens.moc"
