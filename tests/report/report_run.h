#pragma once

// kirv-report run as a program (KIRV_REPORT names the binary), and the files it reads.

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTest>

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline Run runReport(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KIRV_REPORT), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}
