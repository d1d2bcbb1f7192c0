// The line printer and the window image print, to PDF files read back with pdftotext.
#include "kirv/widgets/print_job.h"

#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
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
    void fontIsFixedPitch_data()
    {
        QTest::addColumn<bool>("fewFonts");
        QTest::newRow("this machine's fonts") << false;
        QTest::newRow("no alias names a fixed-pitch face") << true;
    }
    void fontIsFixedPitch()
    {
        QFETCH(bool, fewFonts);
        if (!fewFonts || qEnvironmentVariableIsSet("KIRV_TEST_FEW_FONTS")) {
            const QFontInfo face(listPrintFont());
            QVERIFY2(face.fixedPitch(), qPrintable(face.family()));
            QCOMPARE(listPrintFont().pointSize(), 8);
            return;
        }
        // One proportional and one fixed-pitch face and no aliases: "Lucida Console" and the
        // generic monospace both resolve to the proportional one. This program checks its font
        // again with only these two faces.
        const QString dejavu = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
        const QStringList faces{"DejaVuSans.ttf", "DejaVuSansMono.ttf"};
        for (const QString& face : faces)
            if (!QFile::exists(dejavu + face))
                QSKIP("the DejaVu fonts are not installed here");
        QTemporaryDir dir;
        for (const QString& face : faces)
            QVERIFY(QFile::link(dejavu + face, dir.filePath(face)));
        QFile conf(dir.filePath("fonts.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir>"
                                  "<cachedir>%1/cache</cachedir></fontconfig>\n")
                       .arg(dir.path())
                       .toUtf8());
        conf.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("FONTCONFIG_FILE", conf.fileName());
        env.insert("KIRV_TEST_FEW_FONTS", "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"fontIsFixedPitch"});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0, child.readAll().constData());
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
#include "test_print_job.moc"
