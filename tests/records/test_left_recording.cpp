// A "Fake" left behind by a recording that never became a data file is offered back, never
// replaced in silence: saved through the save dialog, discarded after a second question, or kept.
#include "kirv/records/ui/left_recording.h"
#include "tests/support/scripted_dialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace kirv;

namespace {

const QByteArray FakeName = "No.s\tDate Time\tdB\t\r\n"
                         "1\t2009/03/04 08:00:01\t60.0\t\r\n"
                         "2\t2009/03/04 08:00:02\t70.0\t\r\n";

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLeftRecording : public QObject
{
    Q_OBJECT
private slots:
    void offer_data()
    {
        QTest::addColumn<QList<int>>("answers");  // message buttons in turn
        QTest::addColumn<bool>("chooseFile");     // the save dialog names a file
        QTest::addColumn<bool>("reusable");       // "Fake" may be replaced now
        QTest::addColumn<bool>("fakeKept");
        QTest::addColumn<int>("questions");
        QTest::newRow("save") << QList<int>{QMessageBox::Save} << true << true << false << 1;
        QTest::newRow("save, dialog cancelled") << QList<int>{QMessageBox::Save} << false << false << true << 1;
        QTest::newRow("discard, confirmed") << QList<int>{QMessageBox::Discard, QMessageBox::Yes} << false << true << false << 2;
        QTest::newRow("discard, thought better") << QList<int>{QMessageBox::Discard, QMessageBox::No} << false << false << true << 2;
        QTest::newRow("cancel") << QList<int>{QMessageBox::Cancel} << false << false << true << 1;
        QTest::newRow("unanswered keeps it") << QList<int>{} << false << false << true << 1;
    }
    void offer()
    {
        QFETCH(QList<int>, answers);
        QFETCH(bool, chooseFile);
        QTemporaryDir dir;
        const QString fake = dir.filePath("Fake");
        QFile file(fake);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(FakeName);
        file.close();

        auto* dialogs = test::ScriptedDialogs::install();
        for (int a : answers)
            dialogs->buttons.enqueue(QMessageBox::StandardButton(a));
        const QString target = dir.filePath("saved.kirv");
        if (chooseFile)
            dialogs->files.enqueue(target);
        QString written;
        QTEST(offerLeftRecording(nullptr, dir.path(), {"A", "FAST", ""}, &written), "reusable");
        QTEST(QFile::exists(fake), "fakeKept");

        const auto messages = dialogs->messages();
        QTEST(int(messages.size()), "questions");
        QCOMPARE(messages[0].text, QStringLiteral("A recording was never saved to a data file: 2 records are in \"%1\".\n"
                                                  "Recover them into a data file now?").arg(fake));
        QCOMPARE(messages[0].detail, QStringLiteral("Recover: choose the data file to write. Discard: throw the records "
                                                    "away. Cancel: keep them and decide later."));
        QCOMPARE(messages[0].buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QCOMPARE(messages[0].buttonTexts.value(QMessageBox::Save), QStringLiteral("Recover"));
        QCOMPARE(messages[0].title, QStringLiteral("Kirv"));
        if (messages.size() > 1) {
            QCOMPARE(messages[1].text, QStringLiteral("Throw away the 2 records of the unsaved recording for good?"));
            QCOMPARE(messages[1].buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(messages[1].defaultButton, QMessageBox::No); // Enter throws nothing away
        }
        if (chooseFile) {
            QCOMPARE(written, target);
            QCOMPARE(contentOf(target), QByteArray("Real Time\r\n1\r\nA\r\nFAST\r\n?\r\n70.0\r\n2009/03/04 08:00:02\r\n"
                                                   "70.4\r\n67.4\r\n")
                                            + FakeName);
        }
        // Nothing more to offer once it is saved or discarded.
        if (!QFile::exists(fake)) {
            QVERIFY(offerLeftRecording(nullptr, dir.path(), {}));
            QCOMPARE(dialogs->messages().size(), messages.size());
        }
    }
};

QTEST_MAIN(TestLeftRecording)
#include "test_left_recording.moc"
