// `make install` into a DESTDIR and `make package`: the programs run from the installed tree, the
// desktop entry, metainfo and MIME type pass their validators, and the .deb carries the right
// control data and files.
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int code = -1;
    QString output; // standard output and error together
};

Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(90000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, program + " did not finish: " + process.errorString()};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

const QString DataFolder = qEnvironmentVariable("KIRV_TEST_DATA");

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_deb; // the package, or empty where dpkg-dev is missing

private slots:
    void initTestCase()
    {
        // The desktop tools and this process's MIME database see the installed tree only.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath("root/usr/share")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("home")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", m_dir.filePath("root"));
        Run ran = run(KIRV_CMAKE, {"--install", KIRV_BUILD_DIR, "--prefix", "/usr"}, env);
        QVERIFY2(ran.code == 0, qPrintable(ran.output));
        if (QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
            return;
        const QString out = m_dir.filePath("deb");
        ran = run(KIRV_CPACK, {"-G", "DEB", "-B", out, "--config", KIRV_BUILD_DIR "/CPackConfig.cmake"});
        QVERIFY2(ran.code == 0, qPrintable(ran.output));
        m_deb = QDir(out).entryInfoList({"kirv_7.0_*.deb"}).value(0).filePath();
    }

    void installed_data()
    {
        QTest::addColumn<QStringList>("command"); // "usr/..." is in the installed tree, "DEB" the package
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("output"); // each piece is printed; none: nothing is
        QTest::addColumn<QString>("package");    // of a tool that may be missing: the row skips
        const QString share = "usr/share/", icons = "./usr/share/icons/hicolor/";
        const QString man = "./usr/share/man/man1/";
        QTest::newRow("kirv") << QStringList{"usr/bin/kirv", "--version"} << 0 << QStringList{"kirv 7.0\n"} << "";
        QTest::newRow("kirv-report") << QStringList{"usr/bin/kirv-report", DataFolder + "/realtime_two_samples.kirv"}
                                     << 0 << QStringList{"leq:              88.5\n"} << "";
        QTest::newRow("kirv-meter-sim") << QStringList{"usr/bin/kirv-meter-sim", "--bogus"} << 2
                                        << QStringList{"kirv-meter-sim: Unknown option 'bogus'.\n"} << "";
        QTest::newRow("kirv-meter-sim version") << QStringList{"usr/bin/kirv-meter-sim", "--version"} << 0
                                                << QStringList{"kirv-meter-sim 7.0\n"} << "";
        QTest::newRow("desktop entry") << QStringList{"desktop-file-validate", share + "applications/org.kirv.Kirv.desktop"}
                                       << 0 << QStringList{} << "desktop-file-utils";
        QTest::newRow("metainfo") << QStringList{"appstreamcli", "validate", "--no-net", share + "metainfo/org.kirv.Kirv.metainfo.xml"}
                                  << 0 << QStringList{"Validation was successful"} << "appstream";
        QTest::newRow("mime type") << QStringList{"update-mime-database", share + "mime"} << 0
                                   << QStringList{} << "shared-mime-info";
        QTest::newRow("changelog") << QStringList{"gzip", "-cd", "usr/share/doc/kirv/changelog.gz"} << 0
                                   << QStringList{"kirv (7.0) "} << "";
        QTest::newRow("udev rule") << QStringList{"cat", "usr/lib/udev/rules.d/60-kirv-meter.rules"} << 0
                                   << QStringList{"ENV{ID_MM_DEVICE_IGNORE}=\"1\", TAG+=\"uaccess\""} << "";
        QTest::newRow("deb control") << QStringList{"dpkg-deb", "-I", "DEB"} << 0
                                     << QStringList{" Package: kirv\n", " Version: 7.0\n", " Section: science\n",
                                                    " Depends: qt6-qpa-plugins, ", "libc6", "libqt6widgets6",
                                                    "libqt6serialport6", "libqcustomplot2.1-qt6", "libmosquitto1", "libssl3"} << "dpkg-dev";
        QTest::newRow("deb files") << QStringList{"dpkg-deb", "-c", "DEB"} << 0
                                   << QStringList{"./usr/bin/kirv\n", "./usr/bin/kirv-report\n", "./usr/bin/kirv-meter-sim\n",
                                                  "./usr/share/applications/org.kirv.Kirv.desktop\n",
                                                  "./usr/share/metainfo/org.kirv.Kirv.metainfo.xml\n",
                                                  "./usr/share/mime/packages/org.kirv.Kirv.xml\n",
                                                  icons + "scalable/apps/org.kirv.Kirv.svg\n",
                                                  icons + "16x16/apps/org.kirv.Kirv.png\n",
                                                  icons + "256x256/apps/org.kirv.Kirv.png\n", man + "kirv.1.gz\n",
                                                  man + "kirv-report.1.gz\n", man + "kirv-meter-sim.1.gz\n", "./usr/bin/kirv-monitor\n",
                                                  man + "kirv-monitor.1.gz\n",
                                                  "./usr/lib/systemd/system/kirv-monitor@.service\n",
                                                  "./usr/lib/udev/rules.d/60-kirv-meter.rules\n",
                                                  "./usr/share/doc/kirv/copyright\n",
                                                  "./usr/share/doc/kirv/changelog.gz\n",
                                                  "./usr/share/kirv/dashboard/index.html\n",
                                                  "./usr/share/kirv/dashboard/mqtt.min.js\n",
                                                  "./usr/share/kirv/dashboard/mosquitto-kirv.conf\n"}
                                   << "dpkg-dev";
    }
    void installed()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, package);
        if (!package.isEmpty() && (QStandardPaths::findExecutable(command[0]).isEmpty() ||
                                   (command.contains("DEB") && m_deb.isEmpty())))
            QSKIP(qPrintable(command[0] + " is missing: apt-get install " + package));
        for (QString& word : command)
            word = word == "DEB" ? m_deb : word.startsWith("usr/") ? m_dir.filePath("root/" + word) : word;
        const Run ran = run(command.takeFirst(), command);
        QTEST(ran.code, "exitCode");
        QFETCH(QStringList, output);
        for (const QString& piece : output)
            QVERIFY2(ran.output.contains(piece), qPrintable(piece + " not in:\n" + ran.output));
        QVERIFY2(!output.isEmpty() || ran.output.isEmpty(), qPrintable(ran.output));
        // The launcher belongs to the installation medium.
        QVERIFY2(!ran.output.contains("bin/start\n"), qPrintable(ran.output));
    }

    // The package's description as dpkg and the archive tools show it: no line runs past 80.
    void description()
    {
        if (m_deb.isEmpty())
            QSKIP("dpkg-deb is missing: apt-get install dpkg-dev");
        const Run ran = run("dpkg-deb", {"-f", m_deb, "Description"});
        QCOMPARE(ran.code, 0);
        const QStringList lines = ran.output.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.size() > 1, qPrintable(ran.output));
        for (const QString& line : lines)
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }

    // A data file is known by its name, and without it by its first line.
    void mimeType_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("real-time") << "realtime_two_samples.kirv" << "recording";
        QTest::newRow("logger") << "logger_three_samples.kirv" << "set";
        QTest::newRow("plain list") << "plain_list.kirv" << "list.kirv";
    }
    void mimeType()
    {
        if (run("update-mime-database", {m_dir.filePath("root/usr/share/mime")}).code != 0)
            QSKIP("update-mime-database is missing: apt-get install shared-mime-info");
        QFETCH(QString, file);
        QFETCH(QString, name);
        const QString copy = m_dir.filePath(name);
        QVERIFY(QFile::exists(copy) || QFile::copy(DataFolder + '/' + file, copy));
        QCOMPARE(QMimeDatabase().mimeTypeForFile(copy).name(), QStringLiteral("application/x-kirv-data"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "test_install.moc"
