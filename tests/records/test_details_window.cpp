// The details window, driven through the accessibility tree: what is typed is what the sidecar
// keeps and what the window shows again, bad input is refused by name with nothing written, an
// unreadable sidecar is named and left alone, and the last instrument is offered.
#include "kirv/base/civil_time.h"
#include "kirv/records/amendment_log.h"
#include "kirv/records/session_details.h"
#include "kirv/records/ui/details_window.h"
#include "tests/support/scripted_dialogs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QSignalSpy>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace kirv;

namespace {

// The accessible object called `name` among the window's descendants.
QAccessibleInterface* find(QAccessibleInterface* in, const QString& name)
{
    if (in->text(QAccessible::Name) == name && in->role() != QAccessible::StaticText && in->role() != QAccessible::Grouping)
        return in;
    for (int i = 0; i < in->childCount(); ++i) {
        if (QAccessibleInterface* found = find(in->child(i), name))
            return found;
    }
    return nullptr;
}

// Types `text` into the field called `name`, as a screen reader's user would.
void type(QWidget* window, const QString& name, const QString& text)
{
    QAccessibleInterface* a = find(QAccessible::queryAccessibleInterface(window), name);
    QVERIFY2(a, qPrintable(name));
    if (QAccessibleEditableTextInterface* edit = a->editableTextInterface())
        edit->replaceText(0, a->textInterface()->characterCount(), text);
    else
        a->setText(QAccessible::Value, text);
}

QString shown(QWidget* window, const QString& name)
{
    QAccessibleInterface* a = find(QAccessible::queryAccessibleInterface(window), name);
    return a ? a->text(QAccessible::Value) : QStringLiteral("(no %1)").arg(name);
}

void press(QWidget* window, const QString& name)
{
    QAccessibleInterface* a = find(QAccessible::queryAccessibleInterface(window), name);
    QVERIFY2(a && a->actionInterface(), qPrintable(name));
    // A button pressed this way clicks a moment later, as a click it animates.
    QSignalSpy clicked(qobject_cast<QAbstractButton*>(a->object()), &QAbstractButton::clicked);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(clicked.wait(2000) || clicked.count() == 1);
}

// A value for each field, as typed, and as the window shows it again.
const QList<std::pair<QString, QString>> Typed{
    {"Site", "North gate, Hof 3"}, {"Operator", "A. Lenz"}, {"Client", "City of Hof"}, {"Project", "B 15 \\ barrier"},
    {"Instrument type", "Type 2 meter"}, {"Instrument serial", "SN 0042"}, {"Last verification", "2026-03-01"},
    {"Calibrator type", "Class 1 calibrator"}, {"Calibrator serial", "C-77"}, {"Reference level (dB)", "94.0"},
    {"Certificate date", "2025-11-30"}, {"Wind speed", "2 m/s"}, {"Wind direction", "SW"}, {"Rain", "none"},
    {"Temperature", "11 °C"}, {"Level before (dB)", "94.0"}, {"Time before", "2026/12/08 08:00:00"},
    {"Level after (dB)", "94.3"}, {"Time after", "2026/12/08 17:00:00"}, {"Tolerance (dB)", "0.5"}};

} // namespace

class TestDetailsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    test::ScriptedDialogs* m_dialogs = nullptr;
    QString dataFile(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write("Real Time\r\n");
        return path;
    }

private slots:
    void init() { m_dialogs = test::ScriptedDialogs::install(); }
    void cleanup() { Dialogs::install(nullptr); }

    void everyFieldRoundTrips()
    {
        const QString path = dataFile("round.kirv");
        const QString last = m_dir.filePath("last-session.info");
        {
            DetailsWindow w(path, {}, last);
            QCOMPARE(w.windowTitle(), "Details - round.kirv");
            for (const auto& [caption, text] : Typed)
                type(&w, caption, text);
            type(&w, "Notes", "Gate open all day.\nLorry at 10:00.");
            w.addNote(civilSecondsOf("2026/12/08 10:00:05"), "pile driver starts");
            w.addNote(civilSecondsOf("2026/12/08 09:00:00"), "rain");
            QCOMPARE(shown(&w, "Verdict"), "valid: drift +0.3 dB, tolerance 0.5 dB");
            press(&w, "Save");
            QCOMPARE(m_dialogs->asked.size(), 0);
        }
        const SessionDetailsLoad load = loadSessionDetails(path);
        QVERIFY(load.found && load.error.isEmpty());
        QCOMPARE(load.details.site, "North gate, Hof 3");
        QCOMPARE(load.details.notes, "Gate open all day.\nLorry at 10:00.");
        QCOMPARE(load.details.calibrationAfter->levelDb, 94.3);
        QCOMPARE(int(load.details.timeline.size()), 2);
        QCOMPARE(load.details.timeline[0].text, "rain"); // kept in time order
        QStringList logged;
        for (const AmendmentRecord& r : loadAmendmentLog(path).records)
            logged << r.change.what;
        QCOMPARE(logged, QStringList({"site", "operator", "client", "project", "instrument.type", "instrument.serial",
                                      "instrument.verified", "calibrator.type", "calibrator.serial", "calibrator.level_db",
                                      "calibrator.certificate", "weather.wind_speed", "weather.wind_direction",
                                      "weather.rain", "weather.temperature", "notes", "calibration.pre",
                                      "calibration.post", "calibration.tolerance_db", "note", "note"}));

        DetailsWindow again(path, load.details, last);
        for (const auto& [caption, text] : Typed)
            QCOMPARE(shown(&again, caption), text);
        QCOMPARE(shown(&again, "Notes"), "Gate open all day.\nLorry at 10:00.");
        QVERIFY(shown(&again, "Amendments").contains("site: - -> \"North gate, Hof 3\""));
        QCOMPARE(shown(&again, "Verdict"), "valid: drift +0.3 dB, tolerance 0.5 dB");
        if (qEnvironmentVariableIsSet("KIRV_SCREENSHOT")) {
            again.show();
            again.grab().save(qEnvironmentVariable("KIRV_SCREENSHOT"));
        }

        // The next session is offered the instrument and the calibrator, nothing else.
        DetailsWindow next(dataFile("next.kirv"), {}, last);
        press(&next, "Last instrument");
        QCOMPARE(shown(&next, "Instrument serial"), "SN 0042");
        QCOMPARE(shown(&next, "Certificate date"), "2025-11-30");
        QCOMPARE(shown(&next, "Site"), QString());

        // A file without details opens with them already offered, and closes without a question.
        QWidget owner;
        DetailsWindow* offered = DetailsWindow::open(dataFile("offered.kirv"), &owner, last);
        QVERIFY(offered);
        QCOMPARE(shown(offered, "Calibrator serial"), "C-77");
        offered->reject();
        QCOMPARE(m_dialogs->asked.size(), 0);
        QVERIFY(!QFile::exists(sessionDetailsPath(m_dir.filePath("offered.kirv"))));
    }

    void badInputIsRefusedByName_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("date") << "Last verification" << "2026-02-30" << "\"Last verification\" is not a date (yyyy-mm-dd): 2026-02-30";
        QTest::newRow("level") << "Reference level (dB)" << "94 dB" << "\"Reference level (dB)\" is not a level in dB: 94 dB";
        QTest::newRow("infinite") << "Level before (dB)" << "inf" << "\"Level before (dB)\" is not a level in dB: inf";
        QTest::newRow("time") << "Time after" << "17:00" << "\"Time after\" is not a time (yyyy/mm/dd hh:nn:ss): 17:00";
        QTest::newRow("time without level") << "Time before" << "2026/12/08 08:00:00"
                                            << "\"Level before (dB)\" is missing: a reading at 2026/12/08 08:00:00 needs its level";
        QTest::newRow("tolerance") << "Tolerance (dB)" << "-1" << "\"Tolerance (dB)\" is not a tolerance in dB: -1";
    }
    void badInputIsRefusedByName()
    {
        QFETCH(QString, caption);
        QFETCH(QString, text);
        const QString path = dataFile("bad.kirv");
        DetailsWindow w(path, {}, {});
        type(&w, "Site", "kept?");
        type(&w, caption, text);
        press(&w, "Save");
        QCOMPARE(m_dialogs->messages().size(), qsizetype(1));
        QTEST(m_dialogs->messages()[0].text, "message");
        QCOMPARE(m_dialogs->messages()[0].detail, "Nothing was saved.");
        QVERIFY(!QFile::exists(sessionDetailsPath(path)));
        QVERIFY(!QFile::exists(amendmentLogPath(path)));
    }

    void unreadableSidecarIsNamedAndLeftAlone()
    {
        const QString path = dataFile("broken.kirv");
        QFile side(sessionDetailsPath(path));
        QVERIFY(side.open(QIODevice::WriteOnly));
        side.write("site: a\nno such key: b\n");
        side.close();
        QVERIFY(!DetailsWindow::open(path, nullptr, {}));
        QCOMPARE(m_dialogs->messages().size(), qsizetype(1));
        QVERIFY2(m_dialogs->messages()[0].text.contains("broken.kirv.info"), qPrintable(m_dialogs->messages()[0].text));
        QVERIFY(side.open(QIODevice::ReadOnly));
        QCOMPARE(side.readAll(), "site: a\nno such key: b\n");
    }

    void closingAsksAboutChanges()
    {
        const QString path = dataFile("close.kirv");
        DetailsWindow w(path, {}, {});
        w.show();
        type(&w, "Rain", "light");
        m_dialogs->buttons.enqueue(QMessageBox::Cancel);
        w.reject();
        QVERIFY(w.isVisible());
        m_dialogs->buttons.enqueue(QMessageBox::Yes);
        w.reject();
        QVERIFY(!w.isVisible());
        QCOMPARE(loadSessionDetails(path).details.rain, "light");
        QCOMPARE(m_dialogs->messages()[0].text, "The details have changed. Save them?");
    }

private:
    static qint64 civilSecondsOf(const char* text) { return *civilSeconds(QByteArray(text)); }
};

QTEST_MAIN(TestDetailsWindow)
#include "test_details_window.moc"
