// Notes pinned to times on a file's Plot: where each lands among the records, what the plot
// draws, and what the sidecar and its log keep when one is added.
#include "kirv/base/civil_time.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/records/amendment_log.h"
#include "kirv/records/recordstore.h"
#include "kirv/records/ui/plot_notes.h"
#include "kirv/widgets/graph.h"
#include "tests/support/scripted_dialogs.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kirv;

namespace {

qint64 at(const char* time)
{
    return *civilSeconds(QByteArray(time));
}

RecordStore threeRecords()
{
    RecordStore records;
    records.append("1", "2026/12/08 10:00:00", "60.0");
    records.append("2", "2026/12/08 10:00:01", "61.0");
    records.append("3", "2026/12/08 10:00:05", "62.0");
    return records;
}

} // namespace

class TestPlotNotes : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Dialogs::install(nullptr); }

    void noteLandsOnTheFirstRecordOfItsTime_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("index");
        QTest::newRow("before the first") << "2026/12/08 09:00:00" << 0;
        QTest::newRow("on a record") << "2026/12/08 10:00:01" << 1;
        QTest::newRow("between two") << "2026/12/08 10:00:03" << 2;
        QTest::newRow("after the last") << "2026/12/08 10:00:06" << -1;
    }
    void noteLandsOnTheFirstRecordOfItsTime()
    {
        QFETCH(QString, time);
        QTEST(int(PlotNotes::recordAt(threeRecords(), at(time.toLatin1().constData()))), "index");
    }

    void notesAreDrawnAndAdded()
    {
        test::ScriptedDialogs* dialogs = test::ScriptedDialogs::install();
        QTemporaryDir dir;
        const QString path = dir.filePath("day.kirv");
        SessionDetails details;
        details.timeline = {{at("2026/12/08 10:00:03"), "pile driver starts"}};
        QVERIFY(saveSessionDetails(path, details).ok());

        const RecordStore records = threeRecords();
        Plot plot;
        plot.showSeries({{60.0, 61.0, 62.0}, {}});
        PlotNotes* notes = PlotNotes::attach(plot, path, records);
        QCOMPARE(plot.CWGraph1->labelNames(), QStringList{"note 1"});
        QCOMPARE(plot.CWGraph1->labelCaption("note 1"), "pile driver starts");
        QCOMPARE(plot.CWGraph1->labelPosition("note 1"), QPointF(3.0, PlotNotes::NoteLevel));

        dialogs->inputs << "  rain  " << "";
        notes->addNoteAt(0);
        notes->addNoteAt(1); // no text: nothing is added
        QCOMPARE(dialogs->asked[0].prompt, "Note at 2026/12/08 10:00:00:");
        QCOMPARE(dialogs->asked[0].title, "Add Note");
        const SessionDetailsLoad load = loadSessionDetails(path);
        QCOMPARE(int(load.details.timeline.size()), 2);
        QCOMPARE(load.details.timeline[0].text, "rain"); // in time order
        QCOMPARE(plot.CWGraph1->labelNames().size(), 2);
        QCOMPARE(loadAmendmentLog(path).records.last().change.what, "note");
        if (qEnvironmentVariableIsSet("KIRV_SCREENSHOT")) {
            plot.show();
            plot.grab().save(qEnvironmentVariable("KIRV_SCREENSHOT"));
        }

        // Attached again (the plot shown anew): the notes are drawn once, not twice.
        PlotNotes::attach(plot, path, records);
        QCOMPARE(plot.CWGraph1->labelNames().size(), 2);
        QCOMPARE(plot.findChildren<QPushButton*>("CmdAddNote").size(), 1);
    }
};

QTEST_MAIN(TestPlotNotes)
#include "test_plot_notes.moc"
