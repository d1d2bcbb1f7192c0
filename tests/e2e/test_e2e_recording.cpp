// Recording from the virtual meter: through the toolbar and the "Save Data" panel into a data
// file, a cancelled dialog, the live list saved at once, and a cable pulled mid-recording.
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/e2e_files.h"

#include "kirv/base/decibels.h"
#include "kirv/records/recordlist.h"
#include "kirv/records/ui/panel_recording.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cmath>

using namespace kirv;

namespace {

void clickSave(Panel& p)
{
    p.toolbarWidget(1)->click();
}

} // namespace

class TestE2eRecording : public QObject
{
    Q_OBJECT
private slots:
    void recordAndStop()
    {
        QTemporaryDir dir;
        E2eFixture f;
        PanelRecording& rec = *f.app.parts().recording;
        rec.setWorkingFolder(dir.path());
        f.meter->setLevel(70.0);
        f.meter->setRangeCode(2);
        // From the first sample on, every one-second tick is also a sample, so the seconds
        // that give Leq and SEL are the records of the file.
        QTRY_VERIFY_WITH_TIMEOUT(rec.liveList().count() >= 1, 5000);

        clickSave(*f.panel);
        QVERIFY(rec.PicSave->isVisible());
        QVERIFY(rec.OptSampling->isChecked());
        const QString target = dir.filePath(QStringLiteral("run.kirv"));
        f.dialogs->files.enqueue(target);
        QTest::mouseClick(rec.CmdSaveOK, Qt::LeftButton);
        QVERIFY(!rec.PicSave->isVisible());
        QVERIFY(rec.recording());
        QCOMPARE(f.panel->toolbarButton(1)->toolTip(), QStringLiteral("Stop Recording"));
        QCOMPARE(rec.LblFileName->text(), QStringLiteral("run.kirv"));
        QCOMPARE(f.dialogs->asked.last().filter, QStringLiteral("Data Files (*.kirv)|*.kirv|All Files (*.*)|*.*|"));

        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("3"), 8000);
        clickSave(*f.panel);
        QVERIFY(!rec.recording());
        QCOMPARE(f.panel->toolbarButton(1)->toolTip(), QStringLiteral("Save As"));
        QVERIFY(!rec.LblRec->isVisible());

        const QStringList lines = fileLines(target);
        QVERIFY2(lines.size() >= 13, qPrintable(lines.join('|')));
        const int records = int(lines.size()) - 10;
        QCOMPARE(lines.mid(0, 6), QStringList({"Real Time", "1", "A", "FAST", "60-120", "70.0"}));
        QVERIFY(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$").match(lines[6]).hasMatch());
        QCOMPARE(lines[7], tenthText(70.0 + 10 * std::log10(double(records))));
        QCOMPARE(lines[8], QStringLiteral("70.0"));
        QCOMPARE(lines[9], QStringLiteral("No.s\tDate Time\tdB\t"));
        for (int i = 1; i <= records; ++i) {
            const QStringList cells = lines[9 + i].split('\t');
            QCOMPARE(cells.size(), 4);
            QCOMPARE(cells[0], QString::number(i));
            QCOMPARE(cells[2], QStringLiteral("70.0"));
            QCOMPARE(cells[3], QString());
        }
        // The rows are in the data file: "Fake" is gone, so nothing is offered back later.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Fake"))));
    }

    void cancelStartsNothing()
    {
        QTemporaryDir dir;
        E2eFixture f;
        PanelRecording& rec = *f.app.parts().recording;
        rec.setWorkingFolder(dir.path());
        clickSave(*f.panel);
        QTest::mouseClick(rec.CmdSaveOK, Qt::LeftButton); // the dialog answers Cancel
        QVERIFY(!rec.recording());
        QVERIFY(!rec.PicSave->isVisible());
        QVERIFY(!rec.LblRec->isVisible());
        QCOMPARE(f.panel->toolbarButton(1)->toolTip(), QStringLiteral("Save As"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Fake"))));
    }

    void saveTheLiveList()
    {
        QTemporaryDir dir;
        E2eFixture f;
        PanelRecording& rec = *f.app.parts().recording;
        f.meter->setLevel(55.5);
        QTRY_VERIFY_WITH_TIMEOUT(rec.liveList().count() >= 2, 8000);
        clickSave(*f.panel);
        QTest::mouseClick(rec.OptSaveList, Qt::LeftButton);
        QCOMPARE(rec.SaveMode, 2);
        const QString target = dir.filePath(QStringLiteral("list.kirv"));
        f.dialogs->files.enqueue(target);
        QTest::mouseClick(rec.CmdSaveOK, Qt::LeftButton);
        QVERIFY(!rec.recording());
        const QStringList lines = fileLines(target);
        QVERIFY2(lines.size() >= 12, qPrintable(lines.join('|')));
        QCOMPARE(lines[0], QStringLiteral("Real Time"));
        QCOMPARE(lines[9], QStringLiteral("No.s\tDate Time\tdB\t"));
        QCOMPARE(f.panel->windowTitle(), QStringLiteral("Panel   V7.0"));
    }

    void pulledCableWritesTheRecording()
    {
        QTemporaryDir dir;
        E2eFixture f;
        PanelRecording& rec = *f.app.parts().recording;
        rec.setWorkingFolder(dir.path());
        f.meter->setLevel(66.6);
        QVERIFY(f.settle());
        const QString target = dir.filePath(QStringLiteral("cut.kirv"));
        f.dialogs->files.enqueue(target);
        clickSave(*f.panel);
        QTest::mouseClick(rec.CmdSaveOK, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(rec.LblCount->text(), QStringLiteral("2"), 8000);

        QSignalSpy written(&rec, &PanelRecording::fileWritten);
        QList<bool> states;
        connect(f.panel, &Panel::linkLostChanged, this, [&](bool lost) {
            states << lost;
            if (lost)
                QTimer::singleShot(300, f.meter, &sim::VirtualMeter::plug);
        });
        f.meter->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(states, QList<bool>({true, false}), 8000);
        QCOMPARE(written.count(), 1);
        QCOMPARE(written.first().first().toString(), target);
        QVERIFY(rec.recording()); // it goes on in cut-2.kirv (test_e2e_faults)
        QCOMPARE(rec.liveList().count(), 0);
        const QStringList lines = fileLines(target);
        QVERIFY2(lines.size() >= 12, qPrintable(lines.join('|')));
        QCOMPARE(lines[0], QStringLiteral("Real Time"));
        QCOMPARE(lines[10].section('\t', 2, 2), QStringLiteral("66.6"));
    }

    void delayedStartAnswers()
    {
        E2eFixture f;
        PanelRecording& rec = *f.app.parts().recording;
        f.dialogs->inputs << "10" << "1:2:3";
        QTest::mouseClick(rec.CmdL, Qt::LeftButton);
        const auto& asked = f.dialogs->asked;
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0].prompt, QStringLiteral("Set up the willing time period to launch. \r\n (hh:nn:ss) "));
        QCOMPARE(asked[0].title, QStringLiteral("Set up the willing time period"));
        QCOMPARE(asked[0].defaultText, QStringLiteral("00:00:10"));
        QCOMPARE(asked[1].message.text, QStringLiteral("Invalid, comply with the data format properly"));
        QCOMPARE(asked[1].message.icon, QMessageBox::Critical);
        QVERIFY(rec.delayedStart().armed());
        QCOMPARE(rec.delayedStart().LaunchDelay(), 3723);
        QVERIFY(!rec.LblLaunch->text().isEmpty());
        // Answering again disarms.
        f.dialogs->inputs << "00:00:05";
        QTest::mouseClick(rec.CmdL, Qt::LeftButton);
        QVERIFY(!rec.delayedStart().armed());
        QVERIFY(rec.LblLaunch->text().isEmpty());
    }

    void delayedStartRecordsByItself()
    {
        QTemporaryDir dir;
        E2eFixture f;
        PanelRecording& rec = *f.app.parts().recording;
        rec.setWorkingFolder(dir.path());
        f.dialogs->inputs << "0:0:1";
        QTest::mouseClick(rec.CmdL, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(rec.recording(), 5000);
        QVERIFY(!rec.delayedStart().armed());
        QVERIFY(rec.recordingFile().targetPath().endsWith(".kirv"));
        QVERIFY(rec.recordingFile().targetPath().startsWith(dir.path()));
        clickSave(*f.panel);
        QVERIFY(QFile::exists(rec.recordingFile().targetPath()));
    }
};

QTEST_MAIN(TestE2eRecording)
#include "test_e2e_recording.moc"
