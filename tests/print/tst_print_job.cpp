// The line printer and the window image print, to PDF files read back with pdftotext.
#include "kirv/panel/ui/print_job.h"
#include "kirv/records/datafile.h"

#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace kirv;

namespace {

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

void toPdf(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
}

} // namespace

class TestPrintJob : public QObject
{
    Q_OBJECT
private slots:
    void fontIsFixedPitch()
    {
        QVERIFY(QFontInfo(listPrintFont()).fixedPitch());
        QCOMPARE(listPrintFont().pointSize(), 8);
    }

    void linesKeepTheirColumnsAndBreakPages()
    {
        QTemporaryDir dir;
        QPrinter printer;
        const QString pdf = dir.filePath(QStringLiteral("lines.pdf"));
        toPdf(printer, pdf);
        LinePrinter lines(printer);
        QVERIFY(lines.isActive());
        const int count = 200; // more than one page holds at 8 pt
        for (int i = 1; i <= count; ++i)
            lines.print(QStringLiteral("%1%2").arg(i, 14).arg(QStringLiteral("88.0"), 9));
        QVERIFY(lines.finish());
        const QString text = pdfText(pdf);
        // pdftotext keeps the order and the columns' order, not the exact count of blanks.
        const QStringList printed = text.split(QChar('\n'), Qt::SkipEmptyParts);
        QCOMPARE(printed.first().simplified(), QStringLiteral("1 88.0"));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\b200 +88\\.0"))));
        QVERIFY(text.count(QChar('\f')) >= 2); // a page break (and the end of the last page)
    }

    void unwritableTargetIsAnErrorNotASuccess()
    {
        QPrinter printer;
        toPdf(printer, QStringLiteral("/nonexistent-folder/x.pdf"));
        LinePrinter lines(printer);
        QVERIFY(!lines.isActive());
        QVERIFY(!lines.finish());
        QVERIFY(!lines.error().isEmpty());
    }

    void fullDiskKeepsTheOlderPdf()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("lines.pdf"));
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("older") == 5);
        old.close();
        failFileWritesAfterForTest(100);
        const auto diskBack = qScopeGuard([] { failFileWritesAfterForTest(-1); });
        QPrinter printer;
        toPdf(printer, pdf);
        LinePrinter lines(printer);
        lines.print(QStringLiteral("1  88.0"));
        QVERIFY(!lines.finish());
        QCOMPARE(lines.error(), QStringLiteral("Cannot write %1: No space left on device").arg(pdf));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("older"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"lines.pdf"});
    }

    void windowImageFillsAPage()
    {
        QTemporaryDir dir;
        QPrinter printer;
        const QString pdf = dir.filePath(QStringLiteral("image.pdf"));
        toPdf(printer, pdf);
        QLabel label(QStringLiteral("graph"));
        label.resize(300, 200);
        QVERIFY(printWidgetImage(printer, &label));
        QVERIFY(QFileInfo(pdf).size() > 0);
    }
};

QTEST_MAIN(TestPrintJob)
#include "tst_print_job.moc"
