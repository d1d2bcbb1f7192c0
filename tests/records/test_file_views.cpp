// The file views and the "Open" command: controls and design texts, the toolbar, reading each
// kind of data file into its view, the list print on a PDF, and what comes back after a print.

#include "tests/records/view_fixture.h"

#include "kirv/plots/ui/histogram.h"
#include "kirv/plots/ui/level_statistics_command.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/widgets/placement.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/datafile.h"
#include "kirv/records/ui/details_window.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/open_command.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/widgets/record_list_view.h"
#include "tests/support/small_disk.h"

#include <optional>
#include <QAction>
#include <QGroupBox>
#include <QMainWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QToolBar>

#include <memory>

#include <sys/stat.h>

using namespace kirv;
using namespace kirv::test;

namespace {

QString boardTexts(const FileList& view)
{
    QStringList texts;
    for (const Board* board : view.findChildren<Board*>())
        texts.append(board->objectName() + u'=' + board->text());
    texts.sort();
    return texts.join(u';');
}

QStringList recordTexts(const FileList& view)
{
    QStringList texts;
    for (qsizetype row = 1; row <= view.records().count(); ++row) {
        const Record r = view.records().record(row);
        texts.append(r.number + u'|' + r.time + u'|' + r.level);
    }
    return texts;
}

const QString printerNote = QStringLiteral(
    "Note\r"
    "The effect of the properties of the Printer settings\r"
    "depends on the driver supplied by the printer manufacturer.\r"
    "Some property settings may have no effect, or several different property settings\r"
    "may all have the same effect. Settings outside the accepted range may or may not produce an "
    "error.\r"
    "For more information, see the manufacturer's documentation for the specific driver.");

const QString perLineQuestion = QStringLiteral("Input record(s) to print in one row (1-5)");

} // namespace

class TestFileViews : public QObject
{
    Q_OBJECT

private slots:
    void designTexts_data();
    void designTexts();
    void placementOnSmallScreen_data();
    void placementOnSmallScreen();
    void toolbar();
    void gridsScrollTogether();
    void openEachKind_data();
    void openEachKind();
    void openCommand();
    void openFailures();
    void printToPdf_data();
    void printToPdf();
    void printCancelledOrFailed_data();
    void printCancelledOrFailed();
    void closedWhilePrinting();
    void viewPerFile_data();
    void viewPerFile();
    void closingViewClosesItsGraphs();
};

void TestFileViews::designTexts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("plotTip");
    QTest::addColumn<QString>("boards");

    const QString common =
        QStringLiteral("BoardCA=A;BoardLeq=133.9;BoardLevel=80-140;BoardMaxTime=2009/03/04 "
                       "08:00:00;BoardMaxdB=138.8;"
                       "BoardSEL=133.9;BoardSFI=Slow;SSFreq=Freq Weight;SSLeq=Leq;SSMax=Max "
                       "dB;SSSEL=SEL;SSSR=Level Range;"
                       "SSTW=Time Weight");
    QString logger =
        common + QStringLiteral(";Board05=138.8;Board10=138.8;Board50=133.9;Board90=133.9;"
                                "Board95=133.9;SS05=L 05;SS10=L 10;SS50=L 50;SS90=L 90;SS95=L 95");
    QStringList sorted = logger.split(u';');
    sorted.sort();
    QTest::newRow("FileList") << int(FileList::Kind::Logger) << "File List"
                              << "Plot" << sorted.join(u';');
    QTest::newRow("FileListReal") << int(FileList::Kind::RealTime) << "File List Real"
                                  << "Graphic Plot" << common;
}

void TestFileViews::designTexts()
{
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, plotTip);
    QFETCH(QString, boards);

    FileList view(FileList::Kind(kind), nullptr);
    QCOMPARE(view.windowTitle(), caption);
    QCOMPARE(boardTexts(view), boards);
    const QStringList tips{plotTip, "Histogram", "Print", "Report", "Export CSV", "Periods", "Events", "Details"};
    const QStringList keys{"Plot", "Ln", "Print", "Report", "CSV", "Periods", "Events", "Details"};
    QCOMPARE(view.Toolbar1->actions().size(), keys.size());
    for (int i = 0; i < keys.size(); ++i) {
        QAction* button = view.toolbarButton(keys[i]);
        QVERIFY(button);
        QCOMPARE(button->toolTip(), tips[i]);
        QCOMPARE(view.Toolbar1->widgetForAction(button)->accessibleDescription(), tips[i]);
    }
    QCOMPARE(view.SSFrame1->title(), QStringLiteral("Resolution"));
    QCOMPARE(view.Cmd1dB->text(), QStringLiteral("1 dB"));
    QCOMPARE(view.Cmd01dB->text(), QStringLiteral("0.1 dB"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(view.GridN->gridN(i)->model()->headerData(i, Qt::Horizontal).toString(),
                 QString::fromLatin1(RecordColumnTitles[size_t(i)]));

    // Beside the main window, top edges level, moved in as far as the screen needs.
    QWidget main;
    main.setGeometry(100, 80, 300, 200);
    view.placeBeside(&main);
    const QRect beside(QPoint(main.frameGeometry().x() + main.frameGeometry().width(), main.frameGeometry().y()),
                       view.frameGeometry().size());
    QCOMPARE(view.frameGeometry(), fitInto(beside, view.screen()->availableGeometry()));
}

// On a 1366x768 screen (the suite's run file_views_1366x768): a window opened beside a view
// that has no room beside it covers neither that view's toolbar nor the panel's values, and is
// whole on the screen; one that has room lies beside it.
void TestFileViews::placementOnSmallScreen_data()
{
    QTest::addColumn<bool>("fromPanel"); // else from a list window beside the panel
    QTest::addColumn<QSize>("size");
    QTest::newRow("list window beside the panel") << true << QSize(581, 470);
    QTest::newRow("Periods beside the list window") << false << QSize(760, 460);
    QTest::newRow("Events beside the list window") << false << QSize(820, 420);
    QTest::newRow("room beside the panel") << true << QSize(200, 300);
}

void TestFileViews::placementOnSmallScreen()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    if (available.size() != QSize(1366, 768))
        QSKIP("needs a 1366x768 screen: the run file_views_1366x768 has one");
    QFETCH(bool, fromPanel);
    QFETCH(QSize, size);
    const auto windowWithToolbar = [](const QRect& geometry) {
        auto* window = new QMainWindow;
        auto* toolbar = new QToolBar(window);
        toolbar->addAction("Periods");
        window->addToolBar(Qt::TopToolBarArea, toolbar);
        window->setCentralWidget(new QWidget(window));
        window->setGeometry(geometry);
        window->show();
        return window;
    };
    const std::unique_ptr<QMainWindow> panel(windowWithToolbar({0, 0, 1097, 443}));
    auto* values = new QWidget(panel->centralWidget());
    values->setGeometry(0, 10, 495, 280);
    keepInSight(values);
    values->show();
    const std::unique_ptr<QMainWindow> list(fromPanel ? nullptr : windowWithToolbar({785, 60, 581, 470}));
    QMainWindow* anchor = fromPanel ? panel.get() : list.get();
    QVERIFY(QTest::qWaitForWindowExposed(anchor));

    QWidget window;
    window.resize(size);
    placeBeside(&window, anchor);
    const QRect placed = window.frameGeometry();
    const QRect beside(anchor->frameGeometry().topRight() + QPoint(1, 0), placed.size());
    if (available.contains(beside)) {
        QCOMPARE(placed, beside);
        return;
    }
    QCOMPARE(placed.size(), size);
    QVERIFY(available.contains(placed));
    const QRect toolbar = globalRect(anchor->findChild<QToolBar*>());
    QVERIFY2(!placed.intersects(toolbar), qPrintable(QStringLiteral("%1,%2 over the toolbar").arg(placed.x()).arg(placed.y())));
    QVERIFY(!placed.intersects(globalRect(values)));
}

void TestFileViews::toolbar()
{
    FileList view(FileList::Kind::RealTime, nullptr);
    RecordStore twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.append(QByteArray::number(i), "2009/03/04 08:00:00", "60.0");
    view.setRecords(std::move(twelve));
    view.show();
    QSignalSpy plots(&view, &FileList::plotRequested);
    QSignalSpy stats(&view, &FileList::levelStatisticsRequested);
    int plotRowsSeen = -1;
    connect(&view, &FileList::plotRequested, [&] { plotRowsSeen = int(plotRows()); });

    QVERIFY(view.PicResolution->isHidden());
    for (int twice = 0; twice < 2; ++twice) {
        view.toolbarButton("Ln")->trigger();
        QVERIFY(view.PicResolution->isVisible());
    }
    QTest::mouseClick(view.Cmd01dB, Qt::LeftButton);
    QTest::mouseClick(view.Cmd1dB, Qt::LeftButton);
    QCOMPARE(stats.size(), 2);
    QCOMPARE(stats[0][0].toBool(), true);
    QCOMPARE(stats[1][0].toBool(), false);

    setPlotRows(0);
    view.toolbarButton("Plot")->trigger();
    QVERIFY(view.PicResolution->isHidden());
    QCOMPARE(plots.size(), 1);
    QCOMPARE(plotRowsSeen, 12);

    // "Print" hides the panel too (the print dialog is cancelled here).
    ScriptedDialogs* dialogs = ScriptedDialogs::install();
    view.toolbarButton("Ln")->trigger();
    view.toolbarButton("Print")->trigger();
    QVERIFY(view.PicResolution->isHidden());
    QCOMPARE(dialogs->asked.size(), 1);
    Dialogs::install(nullptr);
}

void TestFileViews::gridsScrollTogether()
{
    FileList view(FileList::Kind::Logger, nullptr);
    RecordStore many;
    for (int i = 1; i <= 500; ++i)
        many.append(QByteArray::number(i), "2009/03/04 08:00:00", "60.0");
    view.setRecords(std::move(many));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.GridN->gridN(2)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(view.GridN->gridN(0)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    view.GridN->gridN(2)->verticalScrollBar()->setValue(120);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(view.GridN->gridN(i)->verticalScrollBar()->value(), 120);
}

void TestFileViews::openEachKind_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("changedBoards");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QString>("firstProgress");

    QTest::newRow("real-time file")
        << "realtime_two_samples.kirv" << int(FileList::Kind::RealTime)
        << QStringList{"BoardLeq=88.5", "BoardMaxTime=2009/03/04 08:00:02", "BoardMaxdB=89.1",
                       "BoardSEL=91.5", "BoardSFI=FAST"}
        << QStringList{"1|2009/03/04 08:00:01|88.0", "2|2009/03/04 08:00:02|89.1"}
        << "9 Records Completed";
    QTest::newRow("logger file")
        << "logger_three_samples.kirv" << int(FileList::Kind::Logger)
        << QStringList{"Board05=71.2",     "Board10=68.0",     "Board50=60.3",
                       "Board90=52.1",     "Board95=50.9",     "BoardCA=C",
                       "BoardLeq=63.0",    "BoardLevel=30-90", "BoardMaxTime=2010/11/23 14:05:08",
                       "BoardMaxdB=75.4*", "BoardSEL=97.7",    "BoardSFI=SLOW"}
        << QStringList{"1|2010/11/23 14:05:06|61.0", "2|2010/11/23 14:05:08|75.4*",
                       "3|2010/11/23 14:05:10|"}
        << "14 Records Completed";
    QTest::newRow("plain list file")
        << "plain_list.kirv" << int(FileList::Kind::RealTime) << QStringList()
        << QStringList{"1|2009/03/04 08:00:01|88.0", "2|2009/03/04 08:00:02|89.1*",
                       "3|2009/03/04 08:00:03|90.2"}
        << "0 Records Completed";
}

void TestFileViews::openEachKind()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(QStringList, changedBoards);
    QFETCH(QStringList, records);
    QFETCH(QString, firstProgress);

    PanelFixture f;
    f.panel.setWindowTitle(QStringLiteral("Panel   V7.0"));
    CaptionLog log(&f.panel, &f.panel);
    FileViews views(f.panel, [] { return false; });
    FileList* view = views.openDataFile(fixturePath(qPrintable(file)));
    QVERIFY(view);
    QCOMPARE(int(view->kind()), kind);
    QCOMPARE(view, views.view(view->kind()));
    QCOMPARE(view->windowTitle(), file);
    QVERIFY(view->isVisible());
    QCOMPARE(recordTexts(*view), records);
    if (const QString grabs = qEnvironmentVariable("KIRV_GRAB_DIR"); !grabs.isEmpty()) {
        view->toolbarButton("Ln")->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        view->grab().save(grabs + u'/' + file + QStringLiteral(".png"));
    }

    // Boards the file does not set keep their design texts.
    FileList design(view->kind(), nullptr);
    QStringList changed;
    const QStringList now = boardTexts(*view).split(u';');
    const QStringList before = boardTexts(design).split(u';');
    for (const QString& text : now)
        if (!before.contains(text))
            changed.append(text);
    QCOMPARE(changed, changedBoards);

    // Progress in the main window's caption with its timers off; then both come back.
    QCOMPARE(log.captions.value(0), firstProgress);
    QCOMPARE(log.timersRunning.value(0), false);
    QCOMPARE(log.captions.last(), QStringLiteral("Panel   V7.0"));
    QVERIFY(f.timersRunning());
}

void TestFileViews::openCommand()
{
    PanelFixture f;
    auto* views = f.panel.findChild<FileViews*>(QStringLiteral("FileViews"));
    QVERIFY(views);
    QAction* open = f.panel.toolbarButton(2);

    f.parts.recording->sampler().startRecording();
    open->trigger();
    f.parts.recording->sampler().stopRecording();
    QCOMPARE(f.dialogs->asked.size(), 1);
    QCOMPARE(f.dialogs->asked[0].kind, QStringLiteral("message"));
    QCOMPARE(f.dialogs->asked[0].message.text,
             QStringLiteral("Recording Mode!\n\rPlease stop recording!"));
    QCOMPARE(f.dialogs->asked[0].message.icon, QMessageBox::Critical);
    QCOMPARE(f.dialogs->asked[0].message.buttons, QMessageBox::Ok);

    f.dialogs->asked.clear();
    open->trigger(); // cancelled
    QCOMPARE(f.dialogs->asked.size(), 1);
    QCOMPARE(f.dialogs->asked[0].kind, QStringLiteral("open"));
    QCOMPARE(f.dialogs->asked[0].filter,
             QStringLiteral("Data Files (*.kirv)|*.kirv|All Files (*.*)|*.*|"));
    QVERIFY(!views->view(FileList::Kind::RealTime) && !views->view(FileList::Kind::Logger));

    // Each file opens in a view of its own, whatever the kind of the views open already.
    f.dialogs->files << fixturePath("realtime_two_samples.kirv")
                     << fixturePath("logger_three_samples.kirv") << fixturePath("plain_list.kirv");
    open->trigger();
    const QPointer<FileList> first = views->view(FileList::Kind::RealTime);
    QVERIFY(first);
    open->trigger();
    const QPointer<FileList> logger = views->view(FileList::Kind::Logger);
    QVERIFY(logger && first);
    open->trigger();
    QVERIFY(first);
    FileList* second = views->view(FileList::Kind::RealTime);
    QVERIFY(second != first);
    QCOMPARE(views->views(), (QList<FileList*>{first, logger, second}));
    QCOMPARE(first->windowTitle(), QStringLiteral("realtime_two_samples.kirv"));
    QCOMPARE(second->windowTitle(), QStringLiteral("plain_list.kirv"));
    QCOMPARE(second->records().count(), 3);
    QCOMPARE(second->BoardCA->text(),
             QStringLiteral("A")); // the design text, not the earlier file's
    QCOMPARE(second->BoardMaxdB->text(), QStringLiteral("138.8"));
    QVERIFY(logger);
    QCOMPARE(logger->records().count(), 3);
    QVERIFY(f.timersRunning());

    // The views' "Plot" and "0.1 dB" lead to the Plot and Histogram windows.
    second->toolbarButton("Plot")->trigger();
    QVERIFY(plotWindow() && plotWindow()->isVisible());
    QCOMPARE(plotWindow(), plotOf(second));
    QCOMPARE(plotRows(), 3);
    second->toolbarButton("Ln")->trigger();
    QTest::mouseClick(second->Cmd01dB, Qt::LeftButton);
    QVERIFY(levelStatistics().histogram && levelStatistics().histogram->isVisible());
    QCOMPARE(levelStatistics().histogram->parentWidget(), second);
    QCOMPARE(levelStatistics().StatRecordCount, 2); // 89.1* is left out
    QVERIFY(f.timersRunning());
}

void TestFileViews::openFailures()
{
    PanelFixture f;
    FileViews views(f.panel, [] { return false; });
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty.kirv");
    QFile(empty).open(QIODevice::WriteOnly);

    QVERIFY(!views.openDataFile(empty));
    QVERIFY(f.dialogs->asked.isEmpty());
    QVERIFY(!views.openDataFile(dir.filePath("gone.kirv")));
    QCOMPARE(f.dialogs->asked.size(), 1);
    QVERIFY(f.dialogs->asked[0].message.text.startsWith(QStringLiteral("Cannot open ")));
    QVERIFY(f.dialogs->asked[0].message.text.contains(QStringLiteral("gone.kirv")));
    QCOMPARE(f.dialogs->asked[0].message.icon, QMessageBox::Critical);
    QVERIFY(!views.view(FileList::Kind::RealTime));
    QVERIFY(f.timersRunning());

    // A pipe is refused at once instead of waiting for a writer for ever.
    const QString pipe = dir.filePath("pipe.kirv");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(!views.openDataFile(pipe));
    QCOMPARE(f.dialogs->asked.last().message.text,
             "Cannot open " + pipe + ": it is not a regular file");

    // A file cut in the middle of a line opens with the records before the cut, and says so.
    const QString cut = dir.filePath("cut.kirv");
    QFile file(cut);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("No.s\tDate Time\tdB\t\r1\t2009/03/04 08:00:01\t88.0\t\r2\t2009/03/04 08:0");
    file.close();
    FileList* view = views.openDataFile(cut);
    QVERIFY(view);
    QCOMPARE(view->records().count(), 1);
    QCOMPARE(f.dialogs->asked.last().message.text,
             "Reading stopped at line 3 of " + cut +
                 ", which is not a record: \"2\\t2009/03/04 08:0\" (lines not read: 1)");
    QCOMPARE(f.dialogs->asked.last().message.icon, QMessageBox::Warning);
}

void TestFileViews::printToPdf_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QStringList>("printed");

    const QStringList realTimeHead{
        "-         Freq Weight : A",
        "-         Time Weight : FAST",
        "-         Level Range : 80-140",
        "-         Max dB : 89.1 - 2009/03/04 08:00:02",
        "-         SEL : 91.5",
        "-         Leq : 88.5",
        "-",
        "          No.s            Date Time     (dB)",
        "         -----------------------------------------------------------------------",
    };
    QTest::newRow("two a line after two answers out of range")
        << "plain_list.kirv" << QStringList{"0", "6", "2"} << 1
        << QStringList{
               "-         Freq Weight : A",
               "-         Time Weight : Slow",
               "-         Level Range : 80-140",
               "-         Max dB : 138.8 - 2009/03/04 08:00:00",
               "-         SEL : 133.9",
               "-         Leq : 133.9",
               "-",
               "          No.s            Date Time     (dB)",
               "         -----------------------------------------------------------------------",
               "             1  2009/03/04 08:00:01     88.0    89.1*",
               "             3  2009/03/04 08:00:03     90.2",
           };
    QTest::newRow("two copies, one a line")
        << "realtime_two_samples.kirv" << QStringList{"1"} << 2
        << realTimeHead +
               QStringList{"             1  2009/03/04 08:00:01     88.0",
                           "             2  2009/03/04 08:00:02     89.1"} +
               realTimeHead +
               QStringList{"             1  2009/03/04 08:00:01     88.0",
                           "             2  2009/03/04 08:00:02     89.1"};
}

void TestFileViews::printToPdf()
{
    QFETCH(QString, file);
    QFETCH(QStringList, answers);
    QFETCH(int, copies);
    QFETCH(QStringList, printed);

    PanelFixture f;
    FileViews views(f.panel, [] { return false; });
    FileList* view = views.openDataFile(fixturePath(qPrintable(file)));
    QVERIFY(view);
    CaptionLog log(view, &f.panel);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("list.pdf");
    f.dialogs->prints << true;
    f.dialogs->printPdfs << pdf;
    f.dialogs->printCopies = copies;
    f.dialogs->inputs << answers;
    f.dialogs->asked.clear();

    view->toolbarButton("Print")->trigger();

    QCOMPARE(f.dialogs->asked.size(), 2 + answers.size());
    QCOMPARE(f.dialogs->asked[0].kind, QStringLiteral("print"));
    QCOMPARE(f.dialogs->asked[1].message.text, printerNote);
    QCOMPARE(f.dialogs->asked[1].message.icon, QMessageBox::NoIcon);
    for (int i = 2; i < f.dialogs->asked.size(); ++i) {
        QCOMPARE(f.dialogs->asked[i].prompt, perLineQuestion);
        QCOMPARE(f.dialogs->asked[i].defaultText, QStringLiteral("1"));
    }
    if (qEnvironmentVariableIsSet("KIRV_KEEP_PDF"))
        QFile::copy(pdf, qEnvironmentVariable("KIRV_KEEP_PDF"));
    QCOMPARE(pdfLines(pdf), wordsOf(printed));

    // Progress in the view's caption with the main window's timers off; then all comes back.
    QCOMPARE(log.captions.value(0), QStringLiteral("1 Completed"));
    QVERIFY(!log.timersRunning.value(0, true));
    QCOMPARE(view->windowTitle(), file);
    QVERIFY(f.timersRunning());
    QVERIFY(!QApplication::overrideCursor());
}

void TestFileViews::printCancelledOrFailed_data()
{
    QTest::addColumn<bool>("printAnswer");
    QTest::addColumn<QString>("pdfName");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("lastMessage");
    QTest::addColumn<qint64>("room"); // what the disk takes before it is full; -1 all

    QTest::newRow("print dialog cancelled") << false << QString() << QStringList() << QString() << -1LL;
    QTest::newRow("question cancelled") << true << "list.pdf" << QStringList{""} << printerNote << -1LL;
    QTest::newRow("file cannot be created")
        << true << "no/such/folder/list.pdf" << QStringList{"3"}
        << "Cannot print: Cannot create %1: the folder does not exist" << -1LL;
    QTest::newRow("disk full") << true << "list.pdf" << QStringList{"3"}
                               << "Cannot print: Cannot write %1: No space left on device" << 0LL;
}

void TestFileViews::printCancelledOrFailed()
{
    QFETCH(bool, printAnswer);
    QFETCH(QString, pdfName);
    QFETCH(QStringList, answers);
    QFETCH(QString, lastMessage);
    QFETCH(qint64, room);

    PanelFixture f;
    FileViews views(f.panel, [] { return false; });
    FileList* view = views.openDataFile(fixturePath("realtime_two_samples.kirv"));
    QVERIFY(view);
    QTemporaryDir top;
    QString folder = top.path();
    std::optional<kirv::test::SmallDisk> disk;
    if (room >= 0) {
        folder = top.filePath(QStringLiteral("disk"));
        disk.emplace(folder);
        if (!disk->mounted())
            QSKIP(kirv::test::SmallDisk::CannotMount);
        QVERIFY(disk->fill() && disk->leave(room));
    }
    const QDir dir(folder);
    const QString pdf = pdfName.isEmpty() ? QString() : dir.filePath(pdfName);
    f.dialogs->prints << printAnswer;
    if (!pdf.isEmpty())
        f.dialogs->printPdfs << pdf;
    f.dialogs->inputs << answers;
    f.dialogs->asked.clear();

    view->printList();

    const QList<MessageSpec> messages = f.dialogs->messages();
    QCOMPARE(messages.isEmpty() ? QString() : messages.last().text,
             lastMessage.contains(u"%1") ? lastMessage.arg(pdf) : lastMessage);
    QVERIFY(!QFile::exists(pdf));
    QStringList left = dir.entryList(QDir::Files);
    left.removeOne(QStringLiteral("filler"));
    QCOMPARE(left, QStringList()); // nothing half-written
    QCOMPARE(view->windowTitle(), QStringLiteral("realtime_two_samples.kirv"));
    QVERIFY(f.timersRunning());
    QVERIFY(!QApplication::overrideCursor());
}

void TestFileViews::closedWhilePrinting()
{
    PanelFixture f;
    FileViews views(f.panel, [] { return false; });
    FileList* view = views.openDataFile(fixturePath("logger_three_samples.kirv"));
    QVERIFY(view);
    const QPointer<FileList> alive(view);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("list.pdf");
    f.dialogs->prints << true;
    f.dialogs->printPdfs << pdf;
    f.dialogs->inputs << "1";

    // The user closes the view as soon as the first line is out.
    struct Closer : QObject
    {
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::WindowTitleChange)
                static_cast<QWidget*>(watched)->close();
            return false;
        }
    } closer;
    view->installEventFilter(&closer);
    view->printList();

    QVERIFY(view->isHidden());    // closed once the print stopped
    QVERIFY(!QFile::exists(pdf)); // the job was discarded
    QVERIFY(f.timersRunning());
    QVERIFY(!QApplication::overrideCursor());
    QTRY_VERIFY(!alive);
}

namespace {

// Copies of the fixtures under names of their own, one more spelling of "one.kirv" through a
// folder and one through a link.
struct FileCopies
{
    QTemporaryDir dir;

    FileCopies()
    {
        QDir(dir.path()).mkdir(QStringLiteral("sub"));
        for (const auto& [fixture, name] :
             {std::pair{"realtime_two_samples.kirv", "one.kirv"},
              std::pair{"realtime_two_samples.kirv", "two.kirv"},
              std::pair{"logger_three_samples.kirv", "log1.kirv"},
              std::pair{"logger_three_samples.kirv", "log2.kirv"}})
            QFile::copy(fixturePath(fixture), path(name));
        QFile::link(path("one.kirv"), path("link.kirv"));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

void TestFileViews::viewPerFile_data()
{
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<bool>("byOpen");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("active"); // the view in front after the last open

    QTest::newRow("two real-time files by Open")
        << QStringList{"one.kirv", "two.kirv"} << true << QStringList{"one.kirv", "two.kirv"}
        << "two.kirv";
    QTest::newRow("two logger files as the command line opens them")
        << QStringList{"log1.kirv", "log2.kirv"} << false
        << QStringList{"log1.kirv", "log2.kirv"} << "log2.kirv";
    QTest::newRow("one file again by another path raises its view")
        << QStringList{"one.kirv", "two.kirv", "sub/../one.kirv"} << true
        << QStringList{"one.kirv", "two.kirv"} << "one.kirv";
    QTest::newRow("one file again through a link")
        << QStringList{"one.kirv", "two.kirv", "link.kirv"} << false
        << QStringList{"one.kirv", "two.kirv"} << "one.kirv";
}

void TestFileViews::viewPerFile()
{
    QFETCH(QStringList, opened);
    QFETCH(bool, byOpen);
    QFETCH(QStringList, titles);
    QFETCH(QString, active);

    FileCopies copies;
    PanelFixture f;
    f.panel.show();
    auto* views = f.panel.findChild<FileViews*>(QStringLiteral("FileViews"));
    QSignalSpy opens(views, &FileViews::viewOpened);
    for (const QString& name : opened) {
        if (byOpen) {
            f.dialogs->files << copies.path(name);
            f.panel.toolbarButton(2)->trigger();
        } else {
            QVERIFY(views->openDataFile(copies.path(name)));
        }
    }
    QStringList shown;
    for (const FileList* view : views->views()) {
        QVERIFY(view->isVisible());
        QCOMPARE(view->objectName(), view->kind() == FileList::Kind::Logger
                                         ? QStringLiteral("FileList")
                                         : QStringLiteral("FileListReal"));
        shown << view->windowTitle();
    }
    QCOMPARE(shown, titles);
    QCOMPARE(opens.count(), titles.size());
    QCOMPARE(f.panel.findChildren<FileList*>().size(), titles.size());
    FileList* front = views->viewOf(copies.path(active));
    QVERIFY(front);
    QCOMPARE(views->pathOf(front), QFileInfo(copies.path(active)).canonicalFilePath());
    QTRY_COMPARE(QApplication::activeWindow(), front);
    // The second view cascades off the first: neither covers the other exactly.
    const QList<FileList*> open = views->views();
    QVERIFY(open[0]->frameGeometry().topLeft() != open[1]->frameGeometry().topLeft());
}

void TestFileViews::closingViewClosesItsGraphs()
{
    FileCopies copies;
    PanelFixture f;
    auto* views = f.panel.findChild<FileViews*>(QStringLiteral("FileViews"));
    QList<QPointer<QWidget>> graphs[2];
    QPointer<FileList> open[2];
    for (int i = 0; i < 2; ++i) {
        FileList* view = views->openDataFile(copies.path(i == 0 ? "one.kirv" : "log1.kirv"));
        QVERIFY(view);
        open[i] = view;
        view->toolbarButton("Plot")->trigger();
        view->toolbarButton("Ln")->trigger();
        view->Cmd01dB->click();
        view->toolbarButton("Periods")->trigger();
        view->toolbarButton("Events")->trigger();
        view->toolbarButton("Details")->trigger();
        view->toolbarButton("Details")->trigger(); // the open one comes forward
        QCOMPARE(view->findChildren<DetailsWindow*>().size(), qsizetype(1));
        for (const char* name : {"Plot", "Histogram", "Periods", "Events", "Details"}) {
            auto* window = view->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
            QVERIFY2(window && window->isVisible(), name);
            graphs[i] << window;
        }
    }
    QVERIFY(plotOf(open[0]) != plotOf(open[1]));
    QVERIFY(open[0]->close());
    QTRY_VERIFY(!open[0]);
    for (const QPointer<QWidget>& window : graphs[0])
        QVERIFY(!window);
    for (const QPointer<QWidget>& window : graphs[1])
        QVERIFY(window && window->isVisible());
    QCOMPARE(views->views(), QList<FileList*>{open[1]});
}

QTEST_MAIN(TestFileViews)
#include "test_file_views.moc"
