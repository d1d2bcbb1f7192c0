// Memory and DataList on the in-memory link, the logger played by the virtual meter's memory:
// the download with its texts, the directory, a set opened with its boards, the save, erase.
#include "tests/logger/logger_images.h"

#include "kirv/records/ui/details_window.h"
#include "kirv/logger/evidence_check.h"
#include "kirv/logger/logger_original.h"
#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/data_list.h"
#include "kirv/logger/ui/logger_windows.h"
#include "kirv/logger/ui/memory.h"
#include "kirv/base/clock.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/datafile.h"
#include "kirv/stats/report_values.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/stats/ui/masked_figures.h"
#include "kirv/stats/ui/periods.h"
#include "kirv/widgets/record_list_view.h"
#include "tests/support/scripted_dialogs.h"
#include "kirv/base/civil_time.h"

#include <QAction>
#include <QElapsedTimer>
#include <QProcess>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

using namespace kirv;

namespace {

// The logger on the in-memory link: answers "A", "L", "K" and "H" as the meter in its memory
// state does; `dumpCut` stops the dump after that many bytes.
struct Logger
{
    MemoryLink link;
    sim::LoggerMemory memory;
    qsizetype dumpCut = -1;

    Logger()
    {
        QVERIFY(link.open(QStringLiteral("memory"), QStringLiteral("38400,n,8,1")));
        link.setResponder([this](MemoryLink& l, const QByteArray& written) {
            if (written == "A")
                l.feed(memory.pointerReply());
            else if (written == "L")
                l.feed(memory.sizeReply());
            else if (written == "K")
                QTimer::singleShot(5, &l, [this] {
                    const QByteArray dump = memory.dump();
                    link.feed(dumpCut < 0 ? dump : dump.left(dumpCut));
                });
            else if (written == "H")
                memory.erase();
        });
    }
};

struct Fixture
{
    test::ScriptedDialogs* dialogs = test::ScriptedDialogs::install();
    Logger logger;
    PortTable table{{"memory"}, {}, {}};
    Panel panel{logger.link, PortChoice{1, {}}, table};

    Fixture()
    {
        setNowSource([] { return QDateTime({2026, 12, 8}, {1, 0, 0}); });
        loggerState() = LoggerState();
    }
    ~Fixture()
    {
        delete Memory::current();
        delete DataList::current();
        setNowSource({});
    }
};

QList<QStringList> directory(const Memory& memory)
{
    QList<QStringList> rows;
    const QAbstractItemModel* model = memory.GridSet->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model->columnCount(); ++c)
            row << model->index(r, c).data().toString();
        rows << row;
    }
    return rows;
}

} // namespace

class TestLoggerWindows : public QObject
{
    Q_OBJECT
private slots:
    void downloadListsTheSets()
    {
        Fixture f;
        f.logger.memory.setSets({test::loggerSet({900, 901, 902}, 10), test::loggerSet({950}, 60)});
        runLoggerDownload(f.panel);
        QCOMPARE(f.logger.link.written(), QByteArray("ALK"));
        QVERIFY(f.dialogs->asked.isEmpty());
        Memory* memory = Memory::current();
        QVERIFY(memory);
        QCOMPARE(memory->windowTitle(), "Data Logger");
        QCOMPARE(memory->LblSize->text(), "128 K");
        QCOMPARE(memory->LblRemain->text(), "127.8 K"); // P = 172
        QCOMPARE(memory->LblMessage->text(), "100.0% Completed");
        QCOMPARE(memory->GridSet->model()->headerData(1, Qt::Horizontal).toString(), "Sampling");
        QCOMPARE(directory(*memory),
                 (QList<QStringList>{{"1", "10", "3"}, {"2", "60", "1"}}));
        QVERIFY(loggerState().LoggerOpen);
        // Widths follow the measured texts " No.S " and " Sampling ".
        const QFontMetrics metrics = memory->GridSet->fontMetrics();
        QCOMPARE(memory->GridSet->columnWidth(1) - memory->GridSet->columnWidth(0),
                 metrics.horizontalAdvance(" Sampling ") - metrics.horizontalAdvance(" No.S "));
        memory->close();
        QVERIFY(!loggerState().LoggerOpen);
    }

    void damagedTailIsReported()
    {
        Fixture f;
        f.logger.memory.setStoredData(sim::buildLoggerSet(test::loggerSet({900, 901, 902}))
                                      + sim::buildLoggerSet(test::loggerSet({950})) + "rst");
        runLoggerDownload(f.panel);
        Memory* memory = Memory::current();
        QVERIFY(memory);
        QCOMPARE(directory(*memory), (QList<QStringList>{{"1", "10", "3"}}));
        QCOMPARE(memory->LblMessage->text(),
                 "100.0% Completed\n63 bytes could not be read as sets");
    }

    void refusals_data()
    {
        QTest::addColumn<int>("pointer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("P 48") << 48 << "No Data in Memory" << int(QMessageBox::Information)
                              << QByteArray("A");
        QTest::newRow("P 47") << 47 << "No Data in Memory" << int(QMessageBox::Information)
                              << QByteArray("A");
        QTest::newRow("P 32") << 32 << "Error! Try again!" << int(QMessageBox::Critical)
                              << QByteArray("A");
        QTest::newRow("beyond the memory") << 200000 << "Error! Try again!"
                                           << int(QMessageBox::Critical) << QByteArray("AL");
    }
    void refusals()
    {
        QFETCH(int, pointer);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(QByteArray, written);
        Fixture f;
        f.logger.memory.setPointer(pointer);
        runLoggerDownload(f.panel);
        QCOMPARE(f.logger.link.written(), written);
        QCOMPARE(f.dialogs->messages().size(), 1);
        QCOMPARE(f.dialogs->messages()[0].text, text);
        QCOMPARE(int(f.dialogs->messages()[0].icon), icon);
        QVERIFY(!Memory::current());
        QVERIFY(!loggerState().LoggerOpen);
        QVERIFY(f.panel.Timer1->isActive());
    }

    void dumpThatStopsEndsTheDownload()
    {
        Fixture f;
        f.logger.memory.setSets({test::loggerSet({900, 901, 902}), test::loggerSet({950})});
        f.logger.dumpCut = 50;
        runLoggerDownload(f.panel); // gives up after five seconds without a byte
        QCOMPARE(f.dialogs->messages().size(), 1);
        QCOMPARE(f.dialogs->messages()[0].text, "Error! Try again!");
        QCOMPARE(f.dialogs->messages()[0].detail,
                 "The download stopped after 50 of 126 bytes: the meter sent nothing more for 5 "
                 "seconds.");
        QTRY_VERIFY(!Memory::current());
        QVERIFY(!loggerState().LoggerOpen);
        QCOMPARE(loggerState().LoggerSets.count(), 0);
        QVERIFY(f.panel.Timer1->isActive());
    }

    void closingMemoryEndsTheDownload()
    {
        Fixture f;
        f.logger.memory.setSets({test::loggerSet({900})});
        f.logger.dumpCut = 10;
        QTimer::singleShot(200, [] {
            if (Memory* m = Memory::current())
                m->close();
        });
        runLoggerDownload(f.panel);
        QCOMPARE(f.dialogs->messages().size(), 1);
        QCOMPARE(f.dialogs->messages()[0].detail,
                 "The Data Logger window was closed before the download completed (10 of 62 "
                 "bytes).");
        QVERIFY(!loggerState().LoggerOpen);
        QVERIFY(f.panel.Timer2->isActive());
    }

    void setOpensWithItsBoardsAndSaves()
    {
        Fixture f;
        sim::LoggerSet second = test::loggerSet({900, 0x83A6, 1200}, 10);
        second.status = 0x61; // 20-200 Hz, SLOW
        second.range = 1;     // 70-130
        second.trailer = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 640};
        f.logger.memory.setSets({test::loggerSet({900}, 1), second});
        runLoggerDownload(f.panel);
        Memory* memory = Memory::current();
        QVERIFY(memory);
        const QModelIndex row2 = memory->GridSet->model()->index(1, 0);
        memory->GridSet_Click(row2);
        DataList* list = DataList::current();
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), "Data List");
        QCOMPARE(list->records().count(), 3);
        QCOMPARE(list->records().record(3), (Record{"3", "2009/03/04 08:30:25", "120.0"}));
        QCOMPARE(list->records().record(2).level, "93.4*");
        QCOMPARE(list->BoardCA->text(), "20-200Hz Filter");
        QCOMPARE(list->BoardSFI->text(), "SLOW");
        QCOMPARE(list->BoardLevel->text(), "70-130");
        QCOMPARE(list->BoardMaxdB->text(), "100.3");
        QCOMPARE(list->BoardMaxTime->text(), "2009/03/04 08:30:05");
        QCOMPARE(list->BoardPeakdB->text(), "100.5");
        QCOMPARE(list->Board95->text(), "- - -"); // 64.0 is 6 dB below 70
        QCOMPARE(list->BoardLeq->text(), "100.1");
        QCOMPARE(list->BoardSEL->text(), "100.2");
        QCOMPARE(loggerState().StatHighClass, "100.3");
        QCOMPARE(loggerState().StatLowClass, "100.4");
        QCOMPARE(loggerState().SetInterval, 10);
        QVERIFY(f.panel.Timer1->isActive());

        QTemporaryDir dir;
        const QString path = dir.filePath("set.kirv");
        f.dialogs->files.enqueue(path);
        list->Toolbar1->actions().at(0)->trigger();
        const DataFileContent content = readDataFile(path);
        QVERIFY(content.ok());
        QCOMPARE(content.headerLines,
                 (QStringList{"Data Logger", "10", "20-200Hz Filter", "SLOW", "70-130", "100.6",
                              "100.7", "100.8", "100.9", "- - -", "100.3",
                              "2009/03/04 08:30:05", "100.2", "100.1"}));
        QCOMPARE(content.records.count(), 3);
        QCOMPARE(content.records.record(1), (Record{"2", "2009/03/04 08:30:15", "93.4*"}));
        // Beside it the download as received, and the manifest of both, which the list's
        // records match when the image is decoded again.
        QFile raw(logger::rawImagePath(path));
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(raw.readAll(), f.logger.memory.dump());
        QCOMPARE(verifyEvidence(path), QStringList());

        // Another set replaces the window.
        memory->GridSet_Click(memory->GridSet->model()->index(0, 0));
        QVERIFY(DataList::current() != list || DataList::current()->records().count() == 1);
        QCOMPARE(DataList::current()->records().count(), 1);
    }

    void aStartThatIsNoDateIsNotOpened_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QString>("text");
        QTest::newRow("month 13") << QByteArray("\x05\x30\x08\x04\x13\x09")
                                  << "Set 2 cannot be opened: its start time 2009/13/04 08:30:05 "
                                     "is not a date (bytes 05 30 08 04 13 09 for second, minute, "
                                     "hour, day, month, year).";
        QTest::newRow("not BCD") << QByteArray("\x05\x30\x08\x04\x0A\x09")
                                 << "Set 2 cannot be opened: its start time 2009/0A/04 08:30:05 "
                                    "is not a date (bytes 05 30 08 04 0A 09 for second, minute, "
                                    "hour, day, month, year).";
    }
    void aStartThatIsNoDateIsNotOpened()
    {
        QFETCH(QByteArray, start);
        QFETCH(QString, text);
        Fixture f;
        sim::LoggerSet bad = test::loggerSet({900, 901, 902});
        std::copy(start.begin(), start.end(), bad.timestamps[sim::LoggerSet::StampStart].begin());
        f.logger.memory.setSets({test::loggerSet({900}), bad});
        runLoggerDownload(f.panel);
        openLoggerSet(f.panel, 2);
        QCOMPARE(f.dialogs->messages().size(), 1);
        QCOMPARE(f.dialogs->messages()[0].text, text);
        QCOMPARE(int(f.dialogs->messages()[0].icon), int(QMessageBox::Critical));
        DataList* list = DataList::current();
        QVERIFY(list);
        QCOMPARE(list->records().count(), 0); // not "2009/13/04 ..." and two records without time
        QCOMPARE(list->windowTitle(), "Data List");
        QVERIFY(f.panel.Timer1->isActive());
    }

    void printListsTheSet()
    {
        Fixture f;
        f.logger.memory.setSets({test::loggerSet({900, 0x83A6, 1200}, 10)});
        runLoggerDownload(f.panel);
        openLoggerSet(f.panel, 1);
        DataList* list = DataList::current();
        QVERIFY(list);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("set.pdf");
        f.dialogs->prints << true;
        f.dialogs->printPdfs << pdf;
        f.dialogs->inputs << "3";
        list->Toolbar1->actions().at(1)->trigger();
        QCOMPARE(f.dialogs->asked.last().prompt, "Input record(s) to print in one row (1-5)");
        QProcess tool;
        tool.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(tool.waitForFinished(30000));
        const QString text = QString::fromUtf8(tool.readAllStandardOutput()).simplified();
        QVERIFY2(text.contains("- Freq Weight : A - Time Weight : FAST - Level Range : 80-140 - "
                               "Max dB : 90.0 - 2009/03/04 08:30:05 - SEL : 90.0 - Leq : 90.0"),
                 qPrintable(text));
        QVERIFY2(text.contains("1 2009/03/04 08:30:05 90.0 93.4* 120.0"), qPrintable(text));
        QCOMPARE(list->windowTitle(), "Data List");
        QVERIFY(f.panel.Timer1->isActive());
    }

    void reportAndCsvOfTheSet()
    {
        Fixture f;
        f.logger.memory.setSets({test::loggerSet({900, 0x83A6, 1200}, 10)});
        runLoggerDownload(f.panel);
        openLoggerSet(f.panel, 1);
        DataList* list = DataList::current();
        QVERIFY(list);
        QCOMPARE(list->Toolbar1->actions().size(), 7);
        for (const auto& [key, tip] : {std::pair{"Report", "Report"}, {"CSV", "Export CSV"},
                                       {"Details", "Details of the saved set"}}) {
            QAction* action = list->Toolbar1->findChild<QAction*>(key);
            QVERIFY(action);
            QCOMPARE(action->toolTip(), tip);
            QCOMPARE(list->Toolbar1->widgetForAction(action)->accessibleDescription(), tip);
        }
        QTemporaryDir dir;
        // The details live beside a data file: the set is saved first.
        list->Toolbar1->findChild<QAction*>("Details")->trigger();
        QCOMPARE(f.dialogs->messages().last().text, "Save the set first: its details are kept beside its data file.");
        f.dialogs->files << dir.filePath("set.kirv");
        list->Toolbar1->findChild<QAction*>("Save")->trigger();
        list->Toolbar1->findChild<QAction*>("Details")->trigger();
        auto* details = list->findChild<DetailsWindow*>();
        QVERIFY(details && details->isVisible());
        QCOMPARE(details->windowTitle(), "Details - set.kirv");
        details->close();
        const QString csv = dir.filePath("set.csv");
        f.dialogs->files << csv;
        list->Toolbar1->findChild<QAction*>("CSV")->trigger();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "number,time,level,marked\r\n"
                                 "1,2009-03-04T08:30:05,90.0,0\r\n"
                                 "2,2009-03-04T08:30:15,93.4,1\r\n"
                                 "3,2009-03-04T08:30:25,120.0,0\r\n");

        const QString pdf = dir.filePath("report.pdf");
        f.dialogs->prints << true;
        f.dialogs->printPdfs << pdf;
        list->Toolbar1->findChild<QAction*>("Report")->trigger();
        QProcess tool;
        tool.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(tool.waitForFinished(30000));
        const QString text = QString::fromUtf8(tool.readAllStandardOutput()).simplified();
        for (const char* value : {"Data List logger", "Interval 10", "Records 3", "Counted 2",
                                  "Paused 1", "Lmax 120.0 dB"})
            QVERIFY2(text.contains(QLatin1String(value)), value);

        // The set's periods, its interval taking each record for 10 s.
        list->Toolbar1->findChild<QAction*>("Periods")->trigger();
        auto* periods = list->findChild<Periods*>();
        QVERIFY(periods);
        QCOMPARE(periods->GridTable->rowCount(), 1);
        QCOMPARE(periods->GridTable->item(0, 0)->text(), "2009/03/04 08:00");
        QCOMPARE(periods->GridTable->item(0, 1)->text(), "2");
        QCOMPARE(periods->GridTable->item(0, 3)->text(), "120.0");

        // A masked span: the boards keep the set's values, the line under the list follows.
        QVERIFY(list->LblMasked->isHidden());
        const QString maxBoard = list->BoardMaxdB->text();
        FileAnalysis* analysis = FileAnalysis::of(list);
        QVERIFY(analysis->exclude(*civilSeconds("2009/03/04 08:30:25"),
                                  *civilSeconds("2009/03/04 08:30:25")).ok());
        QCOMPARE(list->LblMasked->text(), "Masked: Leq 90.0 (whole file 116.9)   Lmax 90.0 (whole file "
                                          "120.0)   L90 90.0 (whole file 90.0)   1 span left out");
        QVERIFY(!list->LblMasked->isHidden());
        QCOMPARE(list->BoardMaxdB->text(), maxBoard);
    }

    void eraseAsksAndClosesMemory_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("OK") << int(QMessageBox::Ok) << QByteArray("H");
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << QByteArray();
        QTest::newRow("Enter") << int(QMessageBox::NoButton) << QByteArray();
    }
    void eraseAsksAndClosesMemory()
    {
        QFETCH(int, answer);
        QFETCH(QByteArray, written);
        Fixture f;
        f.logger.memory.setSets({test::loggerSet({900})});
        runLoggerDownload(f.panel);
        QVERIFY(Memory::current());
        f.logger.link.clearWritten();
        if (answer != QMessageBox::NoButton)
            f.dialogs->buttons.enqueue(QMessageBox::StandardButton(answer));
        eraseLoggerMemory(f.panel);
        const MessageSpec asked = f.dialogs->messages().value(0);
        QCOMPARE(asked.text, "All saved data in memory will be deleted.");
        QCOMPARE(asked.title, "Warning");
        QCOMPARE(asked.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(asked.defaultButton, QMessageBox::Cancel);
        QCOMPARE(f.logger.link.written(), written);
        QTRY_VERIFY(!Memory::current());
        QVERIFY(!loggerState().LoggerOpen);
    }

    void largeSetOpensQuickly()
    {
        Fixture f;
        QList<quint16> levels(32000);
        for (int i = 0; i < levels.size(); ++i)
            levels[i] = quint16(400 + i % 600);
        f.logger.memory.setSets({test::loggerSet(levels, 1)});
        runLoggerDownload(f.panel);
        QStringList captions;
        DataList* seen = nullptr;
        QTimer spy;
        QObject::connect(&spy, &QTimer::timeout, [&] {
            if ((seen = DataList::current()))
                captions << seen->windowTitle();
        });
        spy.start(1);
        QElapsedTimer clock;
        clock.start();
        openLoggerSet(f.panel, 1);
        const qint64 ms = clock.elapsed();
        spy.stop();
        QCOMPARE(DataList::current()->records().count(), 32000);
        QCOMPARE(DataList::current()->windowTitle(), "Data List");
        QCOMPARE(DataList::current()->records().record(32000).time, "2009/03/04 17:23:24");
        qInfo("32000 records in %lld ms, captions seen: %s", ms,
              qPrintable(captions.mid(0, 3).join(", ")));
        QVERIFY(!captions.isEmpty() && captions.first().endsWith("% Completed"));
    }

    void shots()
    {
        // Not a check: the two windows as they look, for a reviewer's eye.
        if (qEnvironmentVariableIsEmpty("KIRV_SHOTS"))
            QSKIP("set KIRV_SHOTS to a folder to save the windows' images");
        Fixture f;
        f.logger.memory.setSets(sim::sampleLoggerSets());
        runLoggerDownload(f.panel);
        Memory::current()->GridSet_Click(Memory::current()->GridSet->model()->index(2, 0));
        const QString dir = qEnvironmentVariable("KIRV_SHOTS");
        Memory::current()->grab().save(dir + "/memory.png");
        DataList::current()->grab().save(dir + "/datalist.png");
    }
};

QTEST_MAIN(TestLoggerWindows)
#include "test_logger_windows.moc"
