#include "start/inputitems.h"

#include <QTest>

using kirv::inputItems;

class TestInputItems : public QObject
{
    Q_OBJECT

private slots:
    void items_data();
    void items();
};

void TestInputItems::items_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArrayList>("expected");

    QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
    QTest::newRow("one word") << QByteArray("abc") << QByteArrayList{"abc"};
    QTest::newRow("final line end adds nothing") << QByteArray("abc\r\n") << QByteArrayList{"abc"};
    QTest::newRow("blanks trimmed") << QByteArray(" \t abc def \t, ghi ") << QByteArrayList{"abc def", "ghi"};
    QTest::newRow("every line end") << QByteArray("a\nb\rc\r\nd") << QByteArrayList{"a", "b", "c", "d"};
    QTest::newRow("comma before line end") << QByteArray("abc,\r\n") << QByteArrayList{"abc", ""};
    QTest::newRow("empty last line") << QByteArray("abc\r\n\r\n") << QByteArrayList{"abc", ""};
    QTest::newRow("only blanks") << QByteArray("   ") << QByteArrayList{""};
    QTest::newRow("only commas") << QByteArray(",,") << QByteArrayList{"", ""};
    QTest::newRow("quoted keeps separators") << QByteArray("\"a, b\r\nc\",d") << QByteArrayList{"a, b\r\nc", "d"};
    QTest::newRow("quoted keeps blanks") << QByteArray("  \" x \"  ") << QByteArrayList{" x "};
    QTest::newRow("text after quote dropped") << QByteArray("\"ab\"cd, e") << QByteArrayList{"ab", "e"};
    QTest::newRow("empty quotes") << QByteArray("abc,\"\"") << QByteArrayList{"abc", ""};
    QTest::newRow("unterminated quote") << QByteArray("x,\"to the end\r\n") << QByteArrayList{"x", "to the end\r\n"};
    QTest::newRow("binary bytes") << QByteArray("MZ\x90\0\x03\0", 6) << QByteArrayList{QByteArray("MZ\x90\0\x03\0", 6)};
}

void TestInputItems::items()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArrayList, expected);
    QCOMPARE(inputItems(data), expected);
}

QTEST_APPLESS_MAIN(TestInputItems)
#include "test_inputitems.moc"
