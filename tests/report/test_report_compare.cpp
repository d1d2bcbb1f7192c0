// kirv-report --compare A B: the compare table of two files in text, CSV and JSON, asserted
// whole, by the clock and by elapsed time; and the command lines it refuses.
#include "tests/report/report_run.h"
#include "tests/stats/compare_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kirv::test;

namespace {

QByteArray spaces(int n)
{
    return QByteArray(n, ' ');
}

// The parts of every form that do not depend on the alignment.
const QByteArray TextFigures = "             a       b   b - a\n"
                               "Leq       57.4    67.7    10.3\n"
                               "L10       60.0    70.0    10.0\n"
                               "L90       50.0    63.0    13.0\n"
                               "Lmax      60.0    70.0    10.0\n"
                               "\n"
                               "period a" + spaces(13) + "period b" + spaces(16) +
                               "leq a   leq b   b - a\n";

QByteArray csvFigures(const QByteArray& alignment)
{
    QByteArray out = "file_a,file_b,alignment,row,start_a,start_b,a,b,difference\r\n";
    for (const char* row : {"leq,,,57.4,67.7,10.3", "l10,,,60.0,70.0,10.0",
                            "l90,,,50.0,63.0,13.0", "lmax,,,60.0,70.0,10.0"})
        out += "{A},{B}," + alignment + ',' + row + "\r\n";
    return out;
}

const QByteArray JsonFigures =
    "\"figures\":{\"leq\":{\"a\":57.4,\"b\":67.7,\"difference\":10.3},"
    "\"l10\":{\"a\":60.0,\"b\":70.0,\"difference\":10.0},"
    "\"l90\":{\"a\":50.0,\"b\":63.0,\"difference\":13.0},"
    "\"lmax\":{\"a\":60.0,\"b\":70.0,\"difference\":10.0}}";

} // namespace

class TestReportCompare : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void forms_data();
    void forms();
    void refused_data();
    void refused();

private:
    QTemporaryDir m_dir;
    QString m_a, m_b;
};

void TestReportCompare::initTestCase()
{
    // The PDF's GUI application would say where its runtime folder is not set.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    m_a = m_dir.filePath("a.kirv");
    m_b = m_dir.filePath("b.kirv");
    writeFile(m_a, compareFileA());
    writeFile(m_b, compareFileB());
}

void TestReportCompare::forms_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("out");

    const QByteArray clockHead = "a: {A}\nb: {B}\nalignment: clock\n\n";
    QTest::newRow("text by the clock")
        << QStringList{"--compare", "--period", "1", "A", "B"}
        << clockHead + TextFigures +
               "2009/03/04 08:00:00" + spaces(27) + "50.0\n"
               "2009/03/04 08:01:00  2009/03/04 08:01:00      60.0    63.0     3.0\n" +
               spaces(21) + "2009/03/04 08:02:00" + spaces(14) + "70.0\n";
    QTest::newRow("text by elapsed time")
        << QStringList{"--compare", "--align", "elapsed", "--period", "1", "A", "B"}
        << "a: {A}\nb: {B}\nalignment: elapsed\n\n" + TextFigures +
               "2009/03/04 08:00:00  2009/03/04 08:01:00      50.0    63.0    13.0\n"
               "2009/03/04 08:01:00  2009/03/04 08:02:00      60.0    70.0    10.0\n";
    QTest::newRow("csv by the clock")
        << QStringList{"--compare", "--format", "csv", "--period", "1", "A", "B"}
        << csvFigures("clock") +
               "{A},{B},clock,period,2009-03-04T08:00:00+01:00,,50.0,,\r\n"
               "{A},{B},clock,period,2009-03-04T08:01:00+01:00,2009-03-04T08:01:00+01:00,60.0,63.0,3.0\r\n"
               "{A},{B},clock,period,,2009-03-04T08:02:00+01:00,,70.0,\r\n";
    QTest::newRow("json by elapsed time")
        << QStringList{"--compare", "--format", "json", "--align", "elapsed", "--period", "1", "A", "B"}
        << "{\"file_a\":\"{A}\",\"file_b\":\"{B}\",\"alignment\":\"elapsed\"," + JsonFigures +
               ",\"periods\":["
               "{\"start_a\":\"2009-03-04T08:00:00+01:00\",\"start_b\":\"2009-03-04T08:01:00+01:00\","
               "\"leq_a\":50.0,\"leq_b\":63.0,\"difference\":13.0},"
               "{\"start_a\":\"2009-03-04T08:01:00+01:00\",\"start_b\":\"2009-03-04T08:02:00+01:00\","
               "\"leq_a\":60.0,\"leq_b\":70.0,\"difference\":10.0}]}\n";
    QTest::newRow("json by the clock: a period alone has nulls")
        << QStringList{"--compare", "--format", "json", "--period", "1", "A", "B"}
        << "{\"file_a\":\"{A}\",\"file_b\":\"{B}\",\"alignment\":\"clock\"," + JsonFigures +
               ",\"periods\":["
               "{\"start_a\":\"2009-03-04T08:00:00+01:00\",\"start_b\":null,"
               "\"leq_a\":50.0,\"leq_b\":null,\"difference\":null},"
               "{\"start_a\":\"2009-03-04T08:01:00+01:00\",\"start_b\":\"2009-03-04T08:01:00+01:00\","
               "\"leq_a\":60.0,\"leq_b\":63.0,\"difference\":3.0},"
               "{\"start_a\":null,\"start_b\":\"2009-03-04T08:02:00+01:00\","
               "\"leq_a\":null,\"leq_b\":70.0,\"difference\":null}]}\n";
}

void TestReportCompare::forms()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, out);
    arguments.replaceInStrings(QRegularExpression("^A$"), m_a);
    arguments.replaceInStrings(QRegularExpression("^B$"), m_b);
    const Run run = runReport(arguments);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out),
             QString::fromUtf8(out).replace("{A}", m_a).replace("{B}", m_b));
}

void TestReportCompare::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");

    const QString hint = "\nTry 'kirv-report --help'.\n";
    QTest::newRow("one file") << QStringList{"--compare", "A"} << 2
                              << "kirv-report: --compare needs two data files, A and B" + hint;
    QTest::newRow("three files") << QStringList{"--compare", "A", "B", "A"} << 2
                                 << "kirv-report: --compare needs two data files, A and B" + hint;
    QTest::newRow("--align alone") << QStringList{"--align", "elapsed", "A"} << 2
                                   << "kirv-report: --align goes with --compare" + hint;
    QTest::newRow("unknown alignment")
        << QStringList{"--compare", "--align", "sun", "A", "B"} << 2
        << "kirv-report: unknown alignment \"sun\" (clock or elapsed)" + hint;
    QTest::newRow("with a PDF") << QStringList{"--compare", "--pdf", "x.pdf", "A", "B"} << 2
                                << "kirv-report: --pdf does not go with --compare" + hint;
    QTest::newRow("B cannot be read")
        << QStringList{"--compare", "A", "GONE"} << 1
        << "kirv-report: Cannot open GONE: No such file or directory\n";
}

void TestReportCompare::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    const QString gone = m_dir.filePath("gone.kirv");
    arguments.replaceInStrings(QRegularExpression("^A$"), m_a);
    arguments.replaceInStrings(QRegularExpression("^B$"), m_b);
    arguments.replaceInStrings(QRegularExpression("^GONE$"), gone);
    const Run run = runReport(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QString::fromUtf8(run.err), QString(err).replace("GONE", gone));
    QCOMPARE(run.out, QByteArray());
}

QTEST_GUILESS_MAIN(TestReportCompare)
#include "test_report_compare.moc"
