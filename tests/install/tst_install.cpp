// `make install` into a DESTDIR and `make package`: the programs run from the installed tree,
// the desktop entry, the metainfo and the MIME type pass their validators and are understood,
// and the .deb carries the right control data and files.
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
        return {-1, program + QStringLiteral(" did not finish: ") + process.errorString()};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

const QString kData = qEnvironmentVariable("KIRV_TEST_DATA");

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_usr; // the installed tree: DESTDIR + /usr

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", m_dir.filePath("root"));
        const Run install = run(KIRV_CMAKE, {"--install", KIRV_BUILD_DIR, "--prefix", "/usr"}, env);
        QVERIFY2(install.code == 0, qPrintable(install.output));
        m_usr = m_dir.filePath("root/usr");
        // The desktop looks only at the installed tree: the tools run here and the MIME
        // database of this process, which reads these the first time it is used.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_usr + "/share"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("home")));
    }

    void programsRunFromTheInstalledTree_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("kirv version") << "kirv" << QStringList{"--version"} << 0 << "kirv 7.0\n";
        QTest::newRow("kirv-report") << "kirv-report" << QStringList{kData + "/realtime_two_samples.kirv"}
                                     << 0 << "leq:              88.5\n";
        QTest::newRow("kirv-meter-sim bad option")
            << "kirv-meter-sim" << QStringList{"--bogus"} << 2
            << "kirv-meter-sim: Unknown option 'bogus'.\nTry 'kirv-meter-sim --help'.\n";
    }
    void programsRunFromTheInstalledTree()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        const Run ran = run(m_usr + "/bin/" + program, arguments);
        QVERIFY2(ran.output.contains(output), qPrintable(ran.output));
        QTEST(ran.code, "exitCode");
    }

    // Each tool in its own package; a machine without it skips with the package to install.
    void validators_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("package");
        QTest::newRow("desktop entry") << "desktop-file-validate"
                                       << QStringList{"share/applications/org.kirv.Kirv.desktop"}
                                       << "desktop-file-utils";
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{"validate", "--no-net", "share/metainfo/org.kirv.Kirv.metainfo.xml"}
                                  << "appstream";
        QTest::newRow("mime type") << "update-mime-database" << QStringList{"share/mime"}
                                   << "shared-mime-info";
    }
    void validators()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, package);
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + " is missing: apt-get install " + package));
        for (QString& argument : arguments)
            if (argument.startsWith("share/"))
                argument = m_usr + '/' + argument;
        const Run ran = run(tool, arguments);
        QVERIFY2(ran.code == 0, qPrintable(ran.output));
        // update-mime-database says nothing unless the XML is wrong; the others only give hints.
        if (tool == "update-mime-database")
            QVERIFY2(ran.output.isEmpty(), qPrintable(ran.output));
    }

    // The desktop knows a data file by its name and, without the name, by its first line.
    void mimeTypeOfDataFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source");
        QTest::newRow("real-time file by content") << "recording" << "realtime_two_samples.kirv";
        QTest::newRow("logger file by content") << "set" << "logger_three_samples.kirv";
        QTest::newRow("plain list by its name") << "list.kirv" << "plain_list.kirv";
    }
    void mimeTypeOfDataFiles()
    {
        if (QStandardPaths::findExecutable("update-mime-database").isEmpty())
            QSKIP("update-mime-database is missing: apt-get install shared-mime-info");
        QFETCH(QString, name);
        QFETCH(QString, source);
        QVERIFY(run("update-mime-database", {m_usr + "/share/mime"}).code == 0);
        const QString copy = m_dir.filePath(name);
        QFile::remove(copy);
        QVERIFY(QFile::copy(kData + '/' + source, copy));
        QCOMPARE(QMimeDatabase().mimeTypeForFile(copy).name(), QStringLiteral("application/x-kirv-data"));
    }

    void debianPackage()
    {
        if (QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty())
            QSKIP("dpkg-shlibdeps is missing: apt-get install dpkg-dev");
        const QString out = m_dir.filePath("package");
        const Run made = run(KIRV_CPACK, {"-G", "DEB", "-B", out, "--config",
                                          KIRV_BUILD_DIR "/CPackConfig.cmake"});
        QVERIFY2(made.code == 0, qPrintable(made.output));
        const QString deb = out + "/kirv_7.0_" + run("dpkg", {"--print-architecture"}).output.trimmed() + ".deb";

        const QString control = run("dpkg-deb", {"-I", deb}).output;
        for (const char* line : {" Package: kirv\n", " Version: 7.0\n", " Section: science\n",
                                    " Maintainer: The Kirv developers <developers@kirv.org>\n"})
            QVERIFY2(control.contains(QLatin1String(line)), qPrintable(control));
        // Dependencies found from the linked libraries, and the platform plugins named by hand.
        const QString depends = control.section(" Depends: ", 1).section('\n', 0, 0);
        for (const char* package : {"qt6-qpa-plugins", "libqt6widgets6", "libqt6serialport6",
                                       "libqt6printsupport6", "libqcustomplot2.1-qt6", "libc6"})
            QVERIFY2(depends.contains(QLatin1String(package)), qPrintable(depends));

        QStringList files;
        for (const QString& line : run("dpkg-deb", {"-c", deb}).output.split('\n'))
            if (!line.isEmpty() && !line.endsWith('/'))
                files << line.section(' ', -1);
        const QString icons = "./usr/share/icons/hicolor/";
        const QString man = "./usr/share/man/man1/";
        QStringList expected{"./usr/bin/kirv", "./usr/bin/kirv-meter-sim", "./usr/bin/kirv-report",
                             "./usr/share/applications/org.kirv.Kirv.desktop",
                             man + "kirv-meter-sim.1.gz", man + "kirv-report.1.gz", man + "kirv.1.gz",
                             "./usr/share/metainfo/org.kirv.Kirv.metainfo.xml",
                             "./usr/share/mime/packages/org.kirv.Kirv.xml",
                             icons + "scalable/apps/org.kirv.Kirv.svg"};
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            expected << icons + QStringLiteral("%1x%1/apps/org.kirv.Kirv.png").arg(size);
        for (const QString& file : expected)
            QVERIFY2(files.contains(file), qPrintable(file + " is missing"));
        // Nothing of the build or of the installation medium: no launcher, library or header.
        for (const QString& file : files)
            QVERIFY2(!file.endsWith("/start") && !file.endsWith(".a") && !file.contains("/include/"),
                     qPrintable(file));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
