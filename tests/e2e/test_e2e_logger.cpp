// The logger memory end to end: the program on its serial port, the virtual meter in its memory
// state on the other end of a pty. The commands run from the toolbar as a click runs them.
#include "tests/e2e/e2e_fixture.h"

#include "kirv/logger/logger_state.h"
#include "kirv/logger/ui/data_list.h"
#include "kirv/logger/ui/memory.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/datafile.h"

#include <QAction>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

using namespace kirv;

namespace {

constexpr int MemoryButton = 9;
constexpr int EraseButton = 10;

// The meter goes into its memory state; the commands are clicked from the test's own stack, so
// the panel's live poll (which waits for frames that no longer come) is not under them. The
// tests do not wait on the event loop in logger mode: the live poll's link recovery would hold
// the wait until frames come back.
struct LoggerFixture : E2eFixture
{
    LoggerFixture()
    {
        loggerState() = LoggerState();
        meter->setMode(sim::Mode::Logger);
        meter->clearReceived();
    }
    ~LoggerFixture()
    {
        delete Memory::current();
        delete DataList::current();
        loggerState() = LoggerState();
    }
    void click(int button) { panel->toolbarButton(button)->trigger(); }
    QString commands() const
    {
        QString letters;
        for (char c : meter->received())
            letters += QLatin1Char(c);
        return letters;
    }
};

QList<QStringList> rows(const QAbstractItemModel* model)
{
    QList<QStringList> out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << QStringList{model->index(r, 0).data().toString(), model->index(r, 1).data().toString(),
                           model->index(r, 2).data().toString()};
    return out;
}

} // namespace

class TestE2eLogger : public QObject
{
    Q_OBJECT
private slots:
    void downloadOpenSaveAndReadBack()
    {
        LoggerFixture f;
        f.click(MemoryButton);
        // Frames still on the line when the meter changed state may cost an "A" or two.
        QVERIFY2(QRegularExpression("^A+LK$").match(f.commands()).hasMatch(), qPrintable(f.commands()));
        Memory* memory = Memory::current();
        QVERIFY(memory);
        QCOMPARE(memory->LblSize->text(), "128 K");
        QCOMPARE(memory->LblRemain->text(), "125.7 K"); // 131072 - 48 - 2330 bytes
        QCOMPARE(memory->LblMessage->text(), "100.0% Completed");
        QCOMPARE(rows(memory->GridSet->model()),
                 (QList<QStringList>{{"1", "1", "600"},
                                     {"2", "10", "90"},
                                     {"3", "1", "180"},
                                     {"4", "60", "30"},
                                     {"5", "2", "120"}}));
        QVERIFY(f.panel->Timer1->isActive());

        // "Memory" again while the window is open: nothing is sent.
        f.meter->clearReceived();
        f.click(MemoryButton);
        QCOMPARE(f.commands(), "");

        memory->GridSet_Click(memory->GridSet->model()->index(4, 0));
        DataList* list = DataList::current();
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), "Data List");
        QCOMPARE(list->records().count(), 120);
        QCOMPARE(list->records().record(1).time, "2024/05/17 09:59:58");
        QCOMPARE(list->records().record(3).time, "2024/05/17 10:00:02");
        QVERIFY(list->records().record(41).level.endsWith('*'));
        QCOMPARE(list->BoardCA->text(), "20-200Hz Filter");
        QCOMPARE(list->BoardSFI->text(), "IMP");
        QCOMPARE(list->BoardLevel->text(), "60-120");

        QTemporaryDir dir;
        const QString path = dir.filePath("hum.kirv");
        f.dialogs->files.enqueue(path);
        list->Toolbar1->actions().at(0)->trigger();
        const DataFileContent file = readDataFile(path);
        QVERIFY(file.ok());
        QCOMPARE(file.kind, DataFileKind::Logger);
        QCOMPARE(file.headerLines,
                 (QStringList{"Data Logger", "2", list->BoardCA->text(), list->BoardSFI->text(),
                              list->BoardLevel->text(), list->Board05->text(),
                              list->Board10->text(), list->Board50->text(), list->Board90->text(),
                              list->Board95->text(), list->BoardMaxdB->text(),
                              list->BoardMaxTime->text(), list->BoardSEL->text(),
                              list->BoardLeq->text()}));
        QCOMPARE(file.records.count(), 120);
        for (qsizetype i = 0; i < 120; ++i)
            QCOMPARE(file.records.record(i), list->records().record(i + 1));
    }

    void eraseThenNoData()
    {
        LoggerFixture f;
        f.click(MemoryButton);
        QVERIFY(Memory::current());
        f.meter->clearReceived();
        f.dialogs->buttons.enqueue(QMessageBox::Ok);
        f.click(EraseButton);
        QCOMPARE(f.dialogs->messages().value(0).text, "All saved data in memory will be deleted.");
        QCOMPARE(f.commands(), "H");
        QVERIFY(f.meter->storedData().isEmpty());
        QVERIFY(!loggerState().LoggerOpen);

        f.meter->clearReceived();
        f.click(MemoryButton);
        QCOMPARE(f.commands(), "A");
        QCOMPARE(f.dialogs->messages().value(1).text, "No Data in Memory");
        QCOMPARE(f.dialogs->messages().value(1).icon, QMessageBox::Information);
        QVERIFY(!Memory::current());
    }

    void dumpStoppingHalfWay()
    {
        LoggerFixture f;
        f.meter->setShortDump(true);
        f.click(MemoryButton); // five seconds without a byte end it
        QCOMPARE(f.dialogs->messages().size(), 1);
        QCOMPARE(f.dialogs->messages()[0].text, "Error! Try again!");
        QCOMPARE(f.dialogs->messages()[0].icon, QMessageBox::Critical);
        QCOMPARE(f.dialogs->messages()[0].detail,
                 "The download stopped after 1166 of 2332 bytes: the meter sent nothing more "
                 "for 5 seconds.");
        QVERIFY(!Memory::current());
        QVERIFY(!loggerState().LoggerOpen);
        QCOMPARE(loggerState().LoggerSets.count(), 0);
        QVERIFY(f.panel->Timer1->isActive() && f.panel->Timer2->isActive());
    }

    void faultyRepliesAndLargeMemory()
    {
        LoggerFixture f;
        f.meter->loadLargeMemory();
        f.meter->setReplyFault(sim::LoggerMemory::ReplyFault::SizeLong, 1);
        f.click(MemoryButton);
        QVERIFY2(QRegularExpression("^A+LALK$").match(f.commands()).hasMatch(), qPrintable(f.commands()));
        Memory* memory = Memory::current();
        QVERIFY(memory);
        QCOMPARE(memory->GridSet->model()->rowCount(), 6);
        QCOMPARE(memory->GridSet->model()->index(5, 2).data().toString(), "36000");
        QCOMPARE(memory->LblRemain->text(), "55.3 K"); // 131072 - 48 - 74388 bytes
    }
};

QTEST_MAIN(TestE2eLogger)
#include "test_e2e_logger.moc"
