// The printed form of a record list: exact lines for the cases a printed page can go wrong in.

#include "kirv/output/list_print.h"

#include <QTest>

using namespace kirv;

namespace {

const ListPrintBoards boards = [] {
    ListPrintBoards b;
    b.freqWeight = "A";
    b.timeWeight = "FAST";
    b.range = "80-140";
    b.maxLevel = "89.1";
    b.maxTime = "2009/03/04 08:00:02";
    b.sel = "91.5";
    b.leq = "88.5";
    return b;
}();

// Everything above the records for `boards`.
const QStringList lead{
    " ",
    " ",
    " ",
    " ",
    "-         Freq Weight : A",
    "-         Time Weight : FAST",
    "-         Level Range : 80-140",
    "-         Max dB : 89.1 - 2009/03/04 08:00:02",
    "-         SEL : 91.5",
    "-         Leq : 88.5",
    "-",
    "          No.s            Date Time     (dB)",
    "         -----------------------------------------------------------------------",
};

RecordStore records(int n, const char* level = nullptr)
{
    RecordStore store;
    for (int i = 1; i <= n; ++i)
        store.append(QByteArray::number(i),
                     "2009/03/04 08:00:" + QByteArray::number(i).rightJustified(2, '0'),
                     level ? QByteArray(level) : QByteArray::number(87.9 + 1.1 * i, 'f', 1));
    return store;
}

} // namespace

class TestListPrint : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void progressNumbers();
    void recordsPerLine_data();
    void recordsPerLine();
};

void TestListPrint::lines_data()
{
    QTest::addColumn<RecordStore>("list");
    QTest::addColumn<int>("perLine");
    QTest::addColumn<QStringList>("recordLines");

    QTest::newRow("empty list: header block and titles only")
        << RecordStore() << 3 << QStringList();
    QTest::newRow("two a line, three records")
        << records(3) << 2
        << QStringList{"             1  2009/03/04 08:00:01     89.0     90.1",
                       "             3  2009/03/04 08:00:03     91.2"};
    QTest::newRow("five a line, twelve records")
        << records(12) << 5
        << QStringList{
               "             1  2009/03/04 08:00:01     89.0     90.1     91.2     92.3     93.4",
               "             6  2009/03/04 08:00:06     94.5     95.6     96.7     97.8     98.9",
               "            11  2009/03/04 08:00:11    100.0    101.1"};
    RecordStore wide;
    wide.append("123456789012345", "2009/03/04 08:00:01 extra", "1234567890*");
    wide.append("2", "", "");
    QTest::newRow("wide texts kept whole, empty ones blank")
        << wide << 1
        << QStringList{"1234567890123452009/03/04 08:00:01 extra1234567890*",
                       "             2" + QString(21 + 9, ' ')};
    QTest::newRow("marked levels") << records(2, "93.4*") << 1
                                   << QStringList{"             1  2009/03/04 08:00:01    93.4*",
                                                  "             2  2009/03/04 08:00:02    93.4*"};
}

void TestListPrint::lines()
{
    QFETCH(RecordStore, list);
    QFETCH(int, perLine);
    QFETCH(QStringList, recordLines);

    const ListPrintLayout layout(boards.items(), list, perLine);
    QCOMPARE(layout.leadLines(), lead);
    QCOMPARE(layout.recordLineCount(), recordLines.size());
    QCOMPARE(layout.lines(), lead + recordLines);
}

void TestListPrint::progressNumbers()
{
    // The caption shows the number of the first record of each line.
    const RecordStore list = records(12);
    const ListPrintLayout layout({}, list, 5);
    QCOMPARE(layout.firstRecordOf(0), 1);
    QCOMPARE(layout.firstRecordOf(2), 11);
    QCOMPARE(layout.recordLine(3), QString());
    QCOMPARE(layout.leadLines().mid(4, 1), QStringList{"-"});
}

void TestListPrint::recordsPerLine_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("perLine");

    QTest::newRow("one") << "1" << 1;
    QTest::newRow("five") << "5" << 5;
    QTest::newRow("fraction cut") << "2.9" << 2;
    QTest::newRow("blanks and trailing text") << " 3 rows" << 3;
    QTest::newRow("zero asks again") << "0" << 0;
    QTest::newRow("just below one asks again") << "0.99" << 0;
    QTest::newRow("above five asks again") << "5.5" << 0;
    QTest::newRow("negative asks again") << "-2" << 0;
    QTest::newRow("letters ask again") << "two" << 0;
}

void TestListPrint::recordsPerLine()
{
    QFETCH(QString, answer);
    QFETCH(int, perLine);
    QCOMPARE(recordsPerPrintLine(answer), perLine);
}

QTEST_APPLESS_MAIN(TestListPrint)
#include "test_list_print.moc"
