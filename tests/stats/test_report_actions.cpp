// The records as CSV, and the live list's "Export CSV" and "Report" through the dialogs.
#include "kirv/app/ui/panel_assembly.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/output/list_csv.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/widgets/record_list_view.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
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
    void fileViewButtons_data();
    void fileViewButtons();

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

// The one page of a PDF as text, blanks simplified and the "fi" ligature spelled out; empty when
// the PDF has not exactly one page.
QString pdfPage(const QString& pdftotext, const QString& pdf)
{
    QProcess text;
    text.start(pdftotext, {"-layout", pdf, "-"});
    if (!text.waitForFinished(30000))
        return {};
    QString page = QString::fromUtf8(text.readAllStandardOutput());
    if (page.count('\f') != 1)
        return {};
    return page.replace(QChar(0xfb01), "fi").simplified();
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
    QTest::newRow("level") << "2024/06/01 08:00:00"
                           << "60.0" << QByteArray("7,2024-06-01T08:00:00,60.0,0\r\n");
    QTest::newRow("marked") << "2024/06/01 23:59:59"
                            << "93.4*" << QByteArray("7,2024-06-01T23:59:59,93.4,1\r\n");
    QTest::newRow("empty level") << "2024/06/01 08:00:00"
                                 << "" << QByteArray("7,2024-06-01T08:00:00,,0\r\n");
    QTest::newRow("no time, quoted") << "a \"b\", c"
                                     << "--.-" << QByteArray("7,\"a \"\"b\"\", c\",--.-,0\r\n");
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
    const QString page = pdfPage(pdftotext, pdf);
    for (const char* value :
         {"Live list real-time file", "Records 3", "Counted 2", "Paused 1", "Leq 67.4 dB",
          "Lmax 70.0 dB", "Lmax time 2024/06/01 08:00:02", "L(90) 60.0 60.0"})
        QVERIFY2(page.contains(QLatin1String(value)), value);
}

void TestReportActions::fileViewButtons_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("logger") << "logger_three_samples.kirv" << int(FileList::Kind::Logger)
                            << "logger_three_samples.kirv logger file"
                            << QByteArray("3,2010-11-23T14:05:10,,0\r\n");
    QTest::newRow("real-time") << "realtime_two_samples.kirv" << int(FileList::Kind::RealTime)
                               << "realtime_two_samples.kirv real-time file"
                               << QByteArray("2,2009-03-04T08:00:02,89.1,0\r\n");
    QTest::newRow("plain") << "plain_list.kirv" << int(FileList::Kind::RealTime)
                           << "plain_list.kirv plain file"
                           << QByteArray("3,2009-03-04T08:00:03,90.2,0\r\n");
}

void TestReportActions::fileViewButtons()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QByteArray, csv);
    DataFileContent content = readDataFile(QStringLiteral(KIRV_FIXTURES "/") + file);
    QVERIFY(content.ok());
    FileList view(FileList::Kind(kind), nullptr);
    view.setWindowTitle(file);
    view.showHeader(content.headerLines);
    view.setRecords(std::move(content.records));

    const QString path = m_dir.filePath(file + ".csv");
    m_dialogs->files.enqueue(path);
    view.toolbarButton("CSV")->trigger();
    QVERIFY2(readAll(path).startsWith("number,time,level,marked\r\n"), qPrintable(path));
    QVERIFY(readAll(path).endsWith(csv));

    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString pdf = m_dir.filePath(file + ".pdf");
    m_dialogs->prints.enqueue(true);
    m_dialogs->printPdfs.enqueue(pdf);
    view.toolbarButton("Report")->trigger();
    const QString page = pdfPage(pdftotext, pdf);
    QVERIFY2(page.startsWith(title), qPrintable(page.left(80)));
    QVERIFY(page.contains("Records 3") || page.contains("Records 2"));
}

QTEST_MAIN(TestReportActions)
#include "test_report_actions.moc"
