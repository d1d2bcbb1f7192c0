#pragma once

// Golden files: bytes a test pins in a file of tests/data, so that any change of them shows.
// After a deliberate change, run the suite with KIRV_REGENERATE=1 (the one switch for every
// golden file) and review the difference with `git diff tests/data` before committing it.

#include <QFile>
#include <QString>
#include <QTest>

namespace kirv::test {

inline bool regenerating()
{
    return qEnvironmentVariableIsSet("KIRV_REGENERATE");
}

// The golden file `name` of tests/data against `actual`; written anew first when regenerating.
inline void compareGolden(const QString& name, const QByteArray& actual)
{
    const QString path = qEnvironmentVariable("KIRV_TEST_DATA") + QLatin1Char('/') + name;
    if (regenerating()) {
        QFile out(path);
        QVERIFY2(out.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        QCOMPARE(out.write(actual), actual.size());
    }
    QFile golden(path);
    QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(path + " (KIRV_REGENERATE=1 writes it)"));
    const QByteArray expected = golden.readAll();
    if (actual != expected)
        qWarning().noquote() << "actual:\n" << actual << "\nexpected (" << path << "):\n" << expected;
    QVERIFY(actual == expected);
}

} // namespace kirv::test
