// The record list model: grid rows and model rows, signals, and a full live list.

#include "tests/records/recordtext.h"

#include "kirv/records/recordlist.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace kirv;
using namespace kirv::test;

class TestRecordList : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndTitles();
    void appendSignals_data();
    void appendSignals();
    void clear();
    void fullLiveList();
};

void TestRecordList::rowsAndTitles()
{
    RecordList list;
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.lastRow(), 0);
    QCOMPARE(list.record(0), (Record{"No.s", "Date Time", "dB"}));
    QCOMPARE(list.columnCount(), 3);
    for (int column = 0; column < 3; ++column)
        QCOMPARE(list.headerData(column, Qt::Horizontal).toString(), list.cell(0, column));

    list.append(Record{"1", "2009/03/04 08:00:01", "88.0"});
    list.append(Record{"2", "2009/03/04 08:00:02", QString::fromUtf8("93.4*\xc2\xb0")});
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.lastRow(), 2);
    QCOMPARE(list.rowCount(), 2);
    QCOMPARE(list.record(2), (Record{"2", "2009/03/04 08:00:02", QString::fromUtf8("93.4*\xc2\xb0")}));
    QCOMPARE(list.cell(1, TimeColumn), QStringLiteral("2009/03/04 08:00:01"));
    // Model row 0 shows record 1.
    QCOMPARE(list.data(list.index(0, LevelColumn)).toString(), QStringLiteral("88.0"));
    QCOMPARE(list.data(list.index(1, NumberColumn)).toString(), QStringLiteral("2"));
    QVERIFY(!list.data(list.index(2, 0)).isValid());
    QVERIFY(!list.data(list.index(0, 0), Qt::EditRole).isValid());
}

void TestRecordList::appendSignals_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("block");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    QTest::newRow("block into an empty list") << QStringList() << QStringList{"1|a|1", "2|b|2"}
                                              << 0 << 1;
    QTest::newRow("block after records") << QStringList{"1|a|1"} << QStringList{"2|b|2", "3|c|"}
                                         << 1 << 2;
}

void TestRecordList::appendSignals()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, block);
    QFETCH(int, first);
    QFETCH(int, last);

    RecordList list;
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    for (const QString& text : before) {
        const QStringList f = text.split(u'|');
        list.append(Record{f[0], f[1], f[2]});
    }
    QCOMPARE(inserted.count(), before.size());
    inserted.clear();

    list.append(recordsFrom(block));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted[0][1].toInt(), first);
    QCOMPARE(inserted[0][2].toInt(), last);
    QCOMPARE(recordTexts(list.store()), before + block);

    list.append(RecordStore()); // nothing to insert, nothing signalled
    QCOMPARE(inserted.count(), 1);
}

void TestRecordList::clear()
{
    RecordList list;
    list.append(QByteArrayView("1"), QByteArrayView("t"), QByteArrayView("80.0"));
    QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
    list.clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.record(0).number, QStringLiteral("No.s"));
    list.append(QByteArrayView("1"), QByteArrayView("t2"), QByteArrayView("81.0"));
    QCOMPARE(list.record(1), (Record{"1", "t2", "81.0"}));
}

void TestRecordList::fullLiveList()
{
    RecordList list;
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QElapsedTimer timer;
    timer.start();
    for (qsizetype i = 1; i <= MaxListRecords; ++i) {
        list.append(QByteArray::number(i), QByteArrayView("2009/03/04 08:00:01"),
                    QByteArray::number(40.0 + double(i % 1000) / 10.0));
    }
    const qint64 appendMs = timer.elapsed();
    QCOMPARE(inserted.count(), MaxListRecords);
    QCOMPARE(list.count(), MaxListRecords);
    QCOMPARE(list.cell(MaxListRecords, NumberColumn), QStringLiteral("348000"));
    QCOMPARE(list.data(list.index(int(MaxListRecords) - 1, LevelColumn)).toString(),
             QStringLiteral("40"));
    QCOMPARE(list.record(1000).level, QStringLiteral("40"));
    QCOMPARE(list.record(999).level, QStringLiteral("139.9"));

    // Lean: the texts average ~28 bytes here; offsets and growth room must stay small beside them.
    const double perRecord = double(list.store().bytesUsed()) / double(MaxListRecords);
    qInfo("348000 appends: %lld ms, %.1f bytes per record", appendMs, perRecord);
    QVERIFY2(perRecord < 80, qPrintable(QString::number(perRecord)));
    QVERIFY2(appendMs < 5000, qPrintable(QString::number(appendMs)));
}

QTEST_GUILESS_MAIN(TestRecordList)
#include "test_recordlist.moc"
