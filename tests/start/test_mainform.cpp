#include "start/mainform.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using kirv::MainForm;
using kirv::MessageRequest;

namespace {

constexpr int StartTimeoutMs = 10000;
const QString Question = QStringLiteral("The USB to RS232 driver already exits.\r"
                                        "Do you want to install the driver again?");

// Answers the launcher's message boxes from a queue and keeps what was asked.
struct ScriptedMessages
{
    QList<MessageRequest> asked;
    QList<QMessageBox::StandardButton> answers;

    QMessageBox::StandardButton operator()(const MessageRequest &request)
    {
        asked.append(request);
        return answers.isEmpty() ? QMessageBox::Cancel : answers.takeFirst();
    }
};

} // namespace

// Each test gets a fresh medium folder whose two programs are shell scripts that append their
// name and working folder to ran.log.
class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaults();
    void usbDriver_data();
    void usbDriver();
    void meterSoftwareStartsSetup();
    void everyClickStartsAgain();
    void programThatCannotStart_data();
    void programThatCannotStart();

private:
    void writeProgram(const QString &relativePath, const QString &name);
    QStringList ranLines() const;
    QString ranLine(const QString &name) const { return name + QLatin1Char(' ') + m_medium->path(); }

    std::unique_ptr<QTemporaryDir> m_medium;
    std::unique_ptr<MainForm> m_form;
    ScriptedMessages m_messages;
};

void TestMainForm::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Start"));
}

void TestMainForm::init()
{
    m_medium = std::make_unique<QTemporaryDir>();
    QVERIFY(m_medium->isValid());
    writeProgram(QStringLiteral("Software/Setup.exe"), QStringLiteral("setup"));
    writeProgram(QStringLiteral("USBDriver/Install.exe"), QStringLiteral("install"));

    m_messages = {};
    m_form = std::make_unique<MainForm>();
    m_form->setMediumFolder(m_medium->path());
    m_form->setDriverFile(m_medium->filePath(QStringLiteral("ser2pl.sys")));
    m_form->setMessageBox([this](const MessageRequest &request) { return m_messages(request); });
}

void TestMainForm::cleanup()
{
    m_form.reset();
    m_medium.reset();
}

void TestMainForm::writeProgram(const QString &relativePath, const QString &name)
{
    const QString path = m_medium->filePath(relativePath);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\necho \"%1 $(pwd)\" >> '%2'\n")
                   .arg(name, m_medium->filePath(QStringLiteral("ran.log")))
                   .toUtf8());
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
}

QStringList TestMainForm::ranLines() const
{
    QFile file(m_medium->filePath(QStringLiteral("ran.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

void TestMainForm::defaults()
{
    const MainForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Installation"));
    QCOMPARE(form.CmdMeter->text(), QStringLiteral("Meter Software"));
    QCOMPARE(form.CmdUSB->text(), QStringLiteral("USB Driver"));
    QCOMPARE(form.driverFile(), QStringLiteral("C:\\WINDOWS\\system32\\drivers\\ser2pl.sys"));
    QCOMPARE(form.mediumFolder(), QDir::currentPath());
    QCOMPARE(form.programPath(QStringLiteral("Software\\Setup.exe")),
             QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/Software/Setup.exe")));
}

void TestMainForm::usbDriver_data()
{
    QTest::addColumn<QByteArray>("driverContent"); // a null array: no driver file
    QTest::addColumn<bool>("driverIsFolder");      // a driver path that cannot be read
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("installs");

    const auto none = QMessageBox::NoButton;
    QTest::newRow("absent") << QByteArray() << false << none << false << true;
    QTest::newRow("unreadable") << QByteArray() << true << none << false << true;
    QTest::newRow("empty") << QByteArray("") << false << none << false << true;
    QTest::newRow("last item empty") << QByteArray("ser2pl,\r\n") << false << none << false << true;
    QTest::newRow("text, Yes") << QByteArray("ser2pl driver\r\n") << false << QMessageBox::Yes << true << true;
    QTest::newRow("text, No") << QByteArray("ser2pl driver\r\n") << false << QMessageBox::No << true << false;
    QTest::newRow("binary, Yes") << QByteArray("MZ\x90\0\x03", 5) << false << QMessageBox::Yes << true << true;
}

void TestMainForm::usbDriver()
{
    QFETCH(QByteArray, driverContent);
    QFETCH(bool, driverIsFolder);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, asks);
    QFETCH(bool, installs);

    const QString driverFile = m_form->driverFile();
    if (driverIsFolder) {
        QVERIFY(QDir().mkpath(driverFile));
    } else if (!driverContent.isNull()) {
        QFile file(driverFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(driverContent), driverContent.size());
    }
    if (answer != QMessageBox::NoButton)
        m_messages.answers.append(answer);

    QTest::mouseClick(m_form->CmdUSB, Qt::LeftButton);

    if (asks) {
        QCOMPARE(m_messages.asked.size(), 1);
        const MessageRequest &question = m_messages.asked.first();
        QCOMPARE(question.text, Question);
        QCOMPARE(question.title, QStringLiteral("Start"));
        QCOMPARE(question.icon, QMessageBox::NoIcon);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    } else {
        QCOMPARE(m_messages.asked.size(), 0);
    }

    if (installs) {
        QTRY_COMPARE_WITH_TIMEOUT(ranLines(), QStringList{ranLine("install")}, StartTimeoutMs);
    } else {
        // No absence can be awaited; instead setup is started after the answer, and its line alone
        // must arrive: an installer started before it would have written by then as well.
        QTest::mouseClick(m_form->CmdMeter, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(ranLines(), QStringList{ranLine("setup")}, StartTimeoutMs);
    }
    QCOMPARE(m_messages.asked.size(), asks ? 1 : 0);
}

void TestMainForm::meterSoftwareStartsSetup()
{
    QCOMPARE(m_form->programPath(MainForm::SetupProgram),
             QDir::toNativeSeparators(m_medium->filePath(QStringLiteral("Software/Setup.exe"))));
    QTest::mouseClick(m_form->CmdMeter, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ranLines(), QStringList{ranLine("setup")}, StartTimeoutMs);
    QVERIFY(m_messages.asked.isEmpty());
    QVERIFY(m_form->isEnabled());
}

void TestMainForm::everyClickStartsAgain()
{
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(m_form->CmdMeter, Qt::LeftButton);
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(m_form->CmdUSB, Qt::LeftButton);

    const QStringList expected{ranLine("install"), ranLine("install"), ranLine("setup"), ranLine("setup"),
                               ranLine("setup")};
    QTRY_COMPARE_WITH_TIMEOUT(ranLines(), expected, StartTimeoutMs);
    QVERIFY(m_messages.asked.isEmpty());
}

void TestMainForm::programThatCannotStart_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("remove"); // otherwise it stays but cannot be run
    QTest::addColumn<QString>("reason");

    QTest::newRow("setup missing") << QStringLiteral("Software/Setup.exe") << true
                                   << QStringLiteral("The file does not exist.");
    QTest::newRow("installer missing") << QStringLiteral("USBDriver/Install.exe") << true
                                       << QStringLiteral("The file does not exist.");
    QTest::newRow("setup not executable") << QStringLiteral("Software/Setup.exe") << false
                                          << QStringLiteral("The file is not a program that can be run.");
}

void TestMainForm::programThatCannotStart()
{
    QFETCH(QString, program);
    QFETCH(bool, remove);
    QFETCH(QString, reason);

    QFile file(m_medium->filePath(program));
    if (remove)
        QVERIFY(file.remove());
    else
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));

    QPushButton *button = program.startsWith(QLatin1String("Software")) ? m_form->CmdMeter : m_form->CmdUSB;
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(m_messages.asked.size(), 1);
    const MessageRequest &notice = m_messages.asked.first();
    const QString path = QDir::toNativeSeparators(m_medium->filePath(program));
    QCOMPARE(notice.text, QStringLiteral("Cannot start \"%1\".\r%2").arg(path, reason));
    QCOMPARE(notice.title, QStringLiteral("Start"));
    QCOMPARE(notice.icon, QMessageBox::Warning);
    QCOMPARE(notice.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
