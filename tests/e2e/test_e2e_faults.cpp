// The program against a misbehaving line and disk, over the virtual meter's pty: stray bytes
// after every frame, a cable pulled mid-recording, a target that cannot be written, a disk that
// fills at the stop and a recording left in "Fake".
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/e2e_files.h"

#include "kirv/widgets/controls.h"
#include "kirv/records/datafile.h"
#include "kirv/records/ui/panel_recording.h"
#include "tests/support/small_disk.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <ctime>

using namespace kirv;

namespace {

// The program with its working folder ("Fake") in a folder of its own.
struct RecordingFixture : E2eFixture
{
    QTemporaryDir dir;
    PanelRecording& rec = *app.parts().recording;

    explicit RecordingFixture(double level)
    {
        rec.setWorkingFolder(dir.path());
        meter->setLevel(level);
        meter->setRangeCode(2);
    }
    // Toolbar "Save", "By PC Sampling Rate", OK: the save dialog answers from the script.
    void startRecording()
    {
        panel->toolbarWidget(1)->click();
        QTest::mouseClick(rec.CmdSaveOK, Qt::LeftButton);
    }
};

const QByteArray LeftFake = "No.s\tDate Time\tdB\t\r\n1\t2009/03/04 08:00:01\t60.0\t\r\n";

} // namespace

class TestE2eFaults : public QObject
{
    Q_OBJECT
private slots:
    // Ten seconds of frames each followed by a stray byte: the panel keeps following the meter
    // and the link is never taken for lost.
    void strayByteAfterEveryFrame()
    {
        E2eFixture f;
        QVERIFY(f.settle());
        QSignalSpy lost(f.panel, &Panel::linkLostChanged);
        QSignalSpy applied(f.panel, &Panel::tickApplied);
        f.meter->setStrayByte(true);
        f.meter->setLevel(77.7);
        QVERIFY(!lost.wait(10000));
        QVERIFY2(applied.count() >= 25, qPrintable(QString::number(applied.count()))); // 5 a second
        QCOMPARE(f.panel->LblCOM->text(), QStringLiteral("COM1"));
        QCOMPARE(f.panel->LblValue->text(), QStringLiteral("77.7"));
    }

    // The cable is pulled right after a sample: "No COM" before the cut file is written, no
    // sample from the stale frame, the notice until acknowledged, and the recording going on in
    // cut-2.kirv once the meter is back.
    void linkLossMidRecordingGoesOnInAContinuation()
    {
        RecordingFixture f(66.6);
        const QTemporaryDir& dir = f.dir;
        PanelRecording& rec = f.rec;
        QVERIFY(f.settle());
        const QString target = dir.filePath("cut.kirv");
        f.dialogs->files.enqueue(target);
        f.startRecording();
        QVERIFY(rec.recording());
        QString comWhenWritten;
        connect(&rec, &PanelRecording::fileWritten, this, [&] { comWhenWritten = f.panel->LblCOM->text(); });
        // The recovery waits inside the poll until the meter is back, so what the panel says
        // while the link is lost is taken when the loss is reported, and the cable is plugged
        // in again by a timer.
        QList<bool> states;
        bool noticeWhileLost = false;
        bool recordingWhileLost = true;
        QString cutNotice;
        QStringList cut;
        connect(f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            states << lost;
            if (!lost)
                return;
            noticeWhileLost = rec.PicLinkLoss->isVisible();
            recordingWhileLost = rec.recording();
            cutNotice = rec.LblLinkLoss->text();
            cut = fileLines(target);
            QTimer::singleShot(300, f.meter, &sim::VirtualMeter::plug);
        });
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("2"), 8000);
        f.meter->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(states, QList<bool>({true, false}), 8000);

        QVERIFY(noticeWhileLost);
        QVERIFY(!recordingWhileLost);
        QCOMPARE(comWhenWritten, QStringLiteral("No COM"));
        QCOMPARE(cut.value(0), QStringLiteral("Real Time"));
        QCOMPARE(cut.mid(9), QStringList({"No.s\tDate Time\tdB\t", cut.value(10), cut.value(11)}));
        QCOMPARE(cut.size(), 12); // the two samples, none from the frame left after the pull
        const QRegularExpression notice(QStringLiteral("^Recording cut by a lost link at \\d{4}/\\d\\d/\\d\\d "
                                                       "\\d\\d:\\d\\d:\\d\\d\\. Its data file: (.*)$"));
        const auto match = notice.match(cutNotice);
        QVERIFY2(match.hasMatch(), qPrintable(cutNotice));
        QCOMPARE(match.captured(1), QDir::toNativeSeparators(target));

        QVERIFY(rec.recording());
        const QString next = dir.filePath("cut-2.kirv");
        QCOMPARE(rec.LblFileName->text(), QStringLiteral("cut-2.kirv"));
        QCOMPARE(rec.LblLinkLoss->text(), match.captured(0) + "\nThe link is back: the recording goes on in "
                                              + QDir::toNativeSeparators(next));
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("2"), 8000);
        f.panel->toolbarWidget(1)->click();
        QVERIFY(!rec.recording());
        const QStringList second = fileLines(next);
        QVERIFY2(second.size() >= 12, qPrintable(second.join('|')));
        QCOMPARE(second[10].section('\t', 0, 0), QStringLiteral("1"));
        QCOMPARE(second[10].section('\t', 2, 2), QStringLiteral("66.6"));
        QVERIFY(rec.PicLinkLoss->isVisible());
        QTest::mouseClick(rec.CmdLinkLossOK, Qt::LeftButton);
        QVERIFY(!rec.PicLinkLoss->isVisible());
    }

    // The adapter is pulled out mid-recording and plugged in again behind the same name: "No
    // COM" and the device named at once, next to no CPU while it is away, the values back within
    // seconds, and the recording cut whole and going on in cut-2.kirv, no second in both.
    void deviceThatVanishesAndReturns()
    {
        RecordingFixture f(66.6);
        PanelRecording& rec = f.rec;
        QVERIFY(f.settle());
        const QString target = f.dir.filePath("cut.kirv");
        f.dialogs->files.enqueue(target);
        f.startRecording();
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("3"), 8000);
        // The recovery waits inside the poll until the device is back, so the device returns
        // from a timer started when the loss is said: after the measurement window the panel
        // must idle through, ten seconds with the device away.
        QString countAtLoss, lostText, comWhileLost;
        double share = -1.0;
        qint64 backAfterMs = -1;
        QElapsedTimer back;
        std::clock_t cpuAtLoss = 0;
        QElapsedTimer window;
        connect(f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            if (!lost) {
                backAfterMs = back.elapsed();
                return;
            }
            lostText = f.panel->LblLinkLost->text();
            comWhileLost = f.panel->LblCOM->text();
            cpuAtLoss = std::clock();
            window.start();
            QTimer::singleShot(10000, f.meter, [&] {
                share = double(std::clock() - cpuAtLoss) / CLOCKS_PER_SEC / (window.elapsed() / 1000.0);
                f.meter->setLevel(71.2);
                back.start();
                QVERIFY(f.meter->comeBack());
            });
        });
        countAtLoss = rec.LblCount->text();
        f.meter->vanish();
        QTRY_VERIFY_WITH_TIMEOUT(backAfterMs >= 0, 20000);
        QCOMPARE(comWhileLost, QStringLiteral("No COM"));
        QVERIFY2(lostText.endsWith(": device " + QDir::toNativeSeparators(f.meter->linkPath()) + " gone"),
                 qPrintable(lostText));
        QVERIFY2(share >= 0 && share < 0.02, qPrintable(QString::number(share)));
        QVERIFY2(backAfterMs < 5000, qPrintable(QString::number(backAfterMs)));
        QTRY_COMPARE_WITH_TIMEOUT(f.panel->LblValue->text(), QStringLiteral("71.2"), 5000);
        QCOMPARE(f.panel->LblCOM->text(), QStringLiteral("COM1"));
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("2"), 8000);
        f.panel->toolbarWidget(1)->click();
        QVERIFY(!rec.recording());

        const QStringList cut = fileLines(target).mid(10);
        const QStringList next = fileLines(f.dir.filePath("cut-2.kirv")).mid(10);
        // Every sample counted before the loss is in the cut file; a tick in the moment between
        // the device going and the port saying so still samples the last live frame.
        QVERIFY2(cut.size() >= countAtLoss.toInt() && cut.size() <= countAtLoss.toInt() + 1,
                 qPrintable(countAtLoss + " counted, " + QString::number(cut.size()) + " in the file"));
        QVERIFY(next.size() >= 2);
        QSet<QString> seconds;
        for (const QString& line : cut + next)
            seconds.insert(line.section('\t', 1, 1));
        QVERIFY2(seconds.size() == cut.size() + next.size(), qPrintable((cut + next).join('|')));
        QCOMPARE(next.first().section('\t', 2, 2), QStringLiteral("71.2"));
    }

    void targetInAMissingFolderIsRefusedAtOnce()
    {
        RecordingFixture f(60.0);
        const QTemporaryDir& dir = f.dir;
        PanelRecording& rec = f.rec;
        const QString bad = dir.filePath("nowhere/a.kirv");
        f.dialogs->files << bad; // then the dialog is cancelled
        f.startRecording();
        QVERIFY(!rec.recording());
        const auto messages = f.dialogs->messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, "Cannot create " + QDir::toNativeSeparators(bad) + ": the folder does not exist");
        QCOMPARE(messages[0].icon, QMessageBox::Critical);
        QCOMPARE(f.dialogs->asked.last().kind, QStringLiteral("save")); // asked again for another
        QVERIFY(!QFile::exists(dir.filePath("Fake")));
    }

    // The disk is full at the stop: the message names the file and the reason, "Fake" keeps the
    // samples, and the next recording offers them back before it starts.
    void fullDiskAtStopKeepsFakeAndOffersItBack()
    {
        RecordingFixture f(71.1);
        const QTemporaryDir& dir = f.dir;
        PanelRecording& rec = f.rec;
        const kirv::test::SmallDisk disk(dir.filePath("disk")); // the target's, not "Fake"'s
        if (!disk.mounted())
            QSKIP(kirv::test::SmallDisk::CannotMount);
        const QString target = dir.filePath("disk/full.kirv");
        f.dialogs->files.enqueue(target);
        f.startRecording();
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("2"), 8000);
        QVERIFY(disk.fill());
        f.panel->toolbarWidget(1)->click();
        QVERIFY(disk.empty());
        QVERIFY(!rec.recording());
        QCOMPARE(f.dialogs->messages().value(0).text,
                 "Cannot write " + QDir::toNativeSeparators(target) + ": No space left on device");
        QVERIFY(!QFile::exists(target));
        QVERIFY(fileLines(dir.filePath("Fake")).size() >= 3);

        const QString recovered = dir.filePath("recovered.kirv");
        f.dialogs->buttons.enqueue(QMessageBox::Save);
        f.dialogs->files << recovered << dir.filePath("next.kirv");
        f.startRecording();
        QVERIFY(rec.recording());
        QVERIFY(f.dialogs->messages().value(1).text.startsWith("A recording was never saved to a data file: "));
        const QStringList lines = fileLines(recovered);
        QVERIFY2(lines.size() >= 12, qPrintable(lines.join('|')));
        QCOMPARE(lines.mid(0, 6), QStringList({"Real Time", "1", "A", "FAST", "60-120", "71.1"}));
        QCOMPARE(lines[10].section('\t', 2, 2), QStringLiteral("71.1"));
        QCOMPARE(rec.LblFileName->text(), QStringLiteral("next.kirv"));
    }

    void leftRecordingIsOfferedAtStartUp()
    {
        QTemporaryDir dir;
        QFile fake(dir.filePath("Fake"));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write(LeftFake);
        fake.close();
        E2eFixture f;
        f.app.parts().recording->setWorkingFolder(dir.path());
        f.dialogs->buttons << QMessageBox::Discard << QMessageBox::Yes;
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs->messages().size(), 2, 5000);
        QCOMPARE(f.dialogs->messages()[1].text,
                 QStringLiteral("Throw away the 1 records of the unsaved recording for good?"));
        QVERIFY(!QFile::exists(dir.filePath("Fake")));
    }
};

QTEST_MAIN(TestE2eFaults)
#include "test_e2e_faults.moc"
