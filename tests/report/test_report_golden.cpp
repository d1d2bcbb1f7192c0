// kirv-report's three written forms of two small files, pinned byte for byte in
// tests/data/report_golden.{txt,csv,json}. After a deliberate change of a form, refresh them with
// KIRV_REGENERATE=1 ctest -R report_golden (see tests/support/golden.h) and read the diff.

#include "tests/report/report_run.h"
#include "tests/support/golden.h"

#include <QDir>
#include <QTest>

class TestReportGolden : public QObject
{
    Q_OBJECT

private slots:
    void forms_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("text") << QStringLiteral("txt");
        QTest::newRow("csv") << QStringLiteral("csv");
        QTest::newRow("json") << QStringLiteral("json");
    }

    void forms()
    {
        QFETCH(QString, format);
        // Relative names, so the files are named alike on every machine.
        QDir::setCurrent(qEnvironmentVariable("KIRV_TEST_DATA"));
        const Run run = runReport({QStringLiteral("--format"), format == "txt" ? "text" : format,
                                   QStringLiteral("realtime_two_samples.kirv"),
                                   QStringLiteral("logger_three_samples.kirv")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        kirv::test::compareGolden(QStringLiteral("report_golden.") + format, run.out);
    }
};

QTEST_GUILESS_MAIN(TestReportGolden)
#include "test_report_golden.moc"
