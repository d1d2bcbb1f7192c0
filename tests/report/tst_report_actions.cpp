// The records as CSV, and the live list's "Export CSV" and "Report" through the dialogs.
#include "kirv/app/ui/panel_parts.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/report_csv.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/records/ui/record_list_view.h"
#include "scripted_dialogs.h"

#include <QAction>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace kirv;

class TestReportActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void csvRows_data();
    void csvRows();
    void liveListContextMenu();
    void exportCsv();
    void exportCsvCancelAndFailure();
    void reportThroughThePrintDialog();

private:
    QTemporaryDir m_dir;
    test::ScriptedDialogs* m_dialogs = nullptr;
};

namespace {

struct PanelFixture
{
    MemoryLink link;
    PortTable table{{"memory"}, {}, {}};
    Panel panel{link, PortChoice{1, {}}, table};
    PanelParts parts = attachPanelParts(panel);

    PanelFixture()
    {
        RecordList& list = parts.recording->liveList();
        list.append("1", "2024/06/01 08:00:00", "60.0");
        list.append("2", "2024/06/01 08:00:01", "93.4*");
        list.append("3", "2024/06/01 08:00:02", "70.0");
    }

    void trigger(const char* name)
    {
        QAction* action = parts.recording->GridN->findChild<QAction*>(name);
        QVERIFY(action);
        action->trigger();
    }
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestReportActions::initTestCase()
{
    m_dialogs = test::ScriptedDialogs::install();
}

void TestReportActions::csvRows_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QByteArray>("row");
    QTest::newRow("level") << "2024/06/01 08:00:00" << "60.0"
                           << QByteArray("7,2024-06-01T08:00:00,60.0,0\r\n");
    QTest::newRow("marked") << "2024/06/01 23:59:59" << "93.4*"
                            << QByteArray("7,2024-06-01T23:59:59,93.4,1\r\n");
    QTest::newRow("empty level") << "2024/06/01 08:00:00" << ""
                                 << QByteArray("7,2024-06-01T08:00:00,,0\r\n");
    QTest::newRow("no time, quoted") << "a \"b\", c" << "--.-"
                                     << QByteArray("7,\"a \"\"b\"\", c\",--.-,0\r\n");
}

void TestReportActions::csvRows()
{
    QFETCH(QString, time);
    QFETCH(QString, level);
    QFETCH(QByteArray, row);
    RecordStore records;
    records.append(QByteArray("7"), time.toUtf8(), level.toUtf8());
    QCOMPARE(recordsCsvRow(records, 0), row);
}

void TestReportActions::liveListContextMenu()
{
    PanelFixture f;
    for (int i = 0; i < RecordListView::ColumnCount; ++i) {
        QTableView* grid = f.parts.recording->GridN->gridN(i);
        QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
        QStringList texts;
        for (QAction* action : grid->actions())
            texts << action->text();
        QCOMPARE(texts, QStringList({"Export CSV", "Report"}));
    }
}

void TestReportActions::exportCsv()
{
    PanelFixture f;
    const QString path = m_dir.filePath("live.csv");
    m_dialogs->asked.clear();
    m_dialogs->files.enqueue(path);
    f.trigger("ExportCsv");
    QCOMPARE(m_dialogs->asked.size(), 1);
    QCOMPARE(m_dialogs->asked[0].kind, "save");
    QCOMPARE(m_dialogs->asked[0].filter, "CSV Files (*.csv)|*.csv|");
    QCOMPARE(readAll(path), "number,time,level,marked\r\n"
                            "1,2024-06-01T08:00:00,60.0,0\r\n"
                            "2,2024-06-01T08:00:01,93.4,1\r\n"
                            "3,2024-06-01T08:00:02,70.0,0\r\n");
}

void TestReportActions::exportCsvCancelAndFailure()
{
    PanelFixture f;
    m_dialogs->asked.clear();
    f.trigger("ExportCsv"); // no answer queued: Cancel
    QCOMPARE(m_dialogs->asked.size(), 1);

    const QString path = m_dir.filePath("no/such/folder/live.csv");
    m_dialogs->asked.clear();
    m_dialogs->files.enqueue(path);
    f.trigger("ExportCsv");
    QCOMPARE(m_dialogs->asked.size(), 2);
    const MessageSpec message = m_dialogs->asked[1].message;
    QCOMPARE(message.text, FileStatus::failure("create", path, "No such file or directory").error);
    QCOMPARE(message.title, "Kirv");
    QCOMPARE(message.icon, QMessageBox::Critical);
    QVERIFY(!QFile::exists(path));
}

void TestReportActions::reportThroughThePrintDialog()
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    PanelFixture f;
    m_dialogs->asked.clear();
    f.trigger("Report"); // Cancel: nothing printed
    QCOMPARE(m_dialogs->asked.size(), 1);
    QCOMPARE(m_dialogs->asked[0].kind, "print");

    const QString pdf = m_dir.filePath("live.pdf");
    m_dialogs->prints.enqueue(true);
    m_dialogs->printPdfs.enqueue(pdf);
    f.trigger("Report");
    QProcess text;
    text.start(pdftotext, {"-layout", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    QString page = QString::fromUtf8(text.readAllStandardOutput());
    QCOMPARE(page.count('\f'), 1); // one page
    page = page.replace(QChar(0xfb01), "fi").simplified();
    for (const char* value : {"Live list real-time file", "Records 3", "Counted 2", "Paused 1",
                              "Leq 67.4 dB", "Lmax 70.0 dB", "Lmax time 2024/06/01 08:00:02",
                              "L(90) 60.0 60.0"})
        QVERIFY2(page.contains(QLatin1String(value)), value);
}

QTEST_MAIN(TestReportActions)
#include "tst_report_actions.moc"
