// The untouched original: a set saved from a download keeps the raw image and the manifest, a
// recording writes its manifest when it stops, and the check finds a changed byte anywhere in a
// data file, its raw image or a sidecar, and a raw image that decodes to other records.
#include "kirv/base/file_digest.h"
#include "kirv/logger/evidence_check.h"
#include "kirv/logger/logger_original.h"
#include "kirv/records/amendment_log.h"
#include "kirv/records/datafile.h"
#include "kirv/records/file_manifest.h"
#include "kirv/records/level_masks.h"
#include "kirv/records/recordingfile.h"
#include "kirv/records/session_details.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kirv;
using namespace kirv::logger;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The virtual meter's memory as a download receives it: the leading byte, the sets, the
// trailing byte.
LoggerOriginal simOriginal(int set)
{
    const QByteArray stored = readAll(QStringLiteral(KIRV_FIXTURES "/sim_logger_memory.bin"));
    const QByteArray dump = char(0xFF) + stored + char(0xFF);
    return {dump, dump.size(), set, 2026};
}

// A set saved as the Data List saves it, with its original kept.
void saveSet(const QString& path, const LoggerOriginal& original)
{
    const DecodedSet decoded = decodeOriginal(original);
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QVERIFY(writeDataFile(path, decoded.headerLines, decoded.records).ok());
    QVERIFY(keepLoggerOriginal(path, original).ok());
}

void flipByte(const QString& path, qsizetype at)
{
    QByteArray bytes = readAll(path);
    QVERIFY(!bytes.isEmpty());
    at = at < 0 ? bytes.size() + at : at;
    bytes[at] = char(bytes[at] ^ 0x01);
    writeAll(path, bytes);
}

} // namespace

class TestEvidence : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_data = m_dir->filePath("set.kirv");
    }

    // Every set of the memory, saved and checked untouched; the manifest is what sha256sum
    // checks too.
    void untouchedSetsPass_data()
    {
        QTest::addColumn<int>("set");
        for (int s = 1; s <= 5; ++s)
            QTest::addRow("set %d", s) << s;
    }
    void untouchedSetsPass()
    {
        QFETCH(int, set);
        const LoggerOriginal original = simOriginal(set);
        saveSet(m_data, original);
        QCOMPARE(readAll(rawImagePath(m_data)), original.dump);
        QCOMPARE(verifyEvidence(m_data), QStringList());
        // The records read back from the file are those of the raw image decoded again.
        const DataFileContent content = readDataFile(m_data);
        const DecodedSet again = decodeOriginal(*originalOf(loadManifest(m_data).manifest->comments,
                                                            readAll(rawImagePath(m_data))));
        QCOMPARE(content.records.count(), again.records.count());
        QVERIFY(content.records.count() > 0);
        QCOMPARE(content.headerLines, again.headerLines);
        const QString sha256sum = QStandardPaths::findExecutable("sha256sum");
        if (sha256sum.isEmpty())
            return;
        QProcess check;
        check.setWorkingDirectory(m_dir->path());
        check.start(sha256sum, {"--check", "--strict", "--quiet", "set.kirv.sha256"});
        QVERIFY(check.waitForFinished());
        QCOMPARE(check.exitCode(), 0);
    }

    // One byte changed anywhere in what is kept: the file is named.
    void aChangedByteIsFound_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<qsizetype>("at");
        for (const char* suffix : {"", ".raw", ".info", ".masks", ".log"})
            for (const qsizetype at : {qsizetype(0), qsizetype(700), qsizetype(-1)})
                QTest::addRow("%s byte %lld", *suffix ? suffix : "data", qlonglong(at))
                    << QString(suffix) << at;
    }
    void aChangedByteIsFound()
    {
        QFETCH(QString, suffix);
        QFETCH(qsizetype, at);
        saveSet(m_data, simOriginal(2));
        SessionDetails details;
        details.site = QString(800, 'x'); // long enough for byte 700
        details.notes = "by the gate";
        QVERIFY(saveSessionDetails(m_data, details, "tester").ok());
        QVERIFY(saveMasks(m_data, {{1, 2, QString(800, 'm')}}, "tester").ok());
        QCOMPARE(verifyEvidence(m_data), QStringList()); // the program's changes are hashed in
        const QString changed = m_data + suffix;
        if (suffix == ".log" || suffix == "")
            at = std::min<qsizetype>(at, readAll(changed).size() - 1);
        flipByte(changed, at);
        const QStringList problems = verifyEvidence(m_data);
        QVERIFY(!problems.isEmpty());
        QCOMPARE(problems[0], changed + ": the SHA-256 differs from the manifest");
    }

    // With the manifest made to match, the records themselves are compared: the first that
    // differs is named.
    void aDifferentRecordIsNamed_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("problem");
        QTest::newRow("a level in the file") << "data" << "record 3 differs from the raw image";
        QTest::newRow("a level in the raw image") << "raw" << "record 3 differs from the raw image";
        QTest::newRow("a record cut off") << "cut" << "record 600 differs from the raw image (the file holds 599 records, the raw image 600)";
        QTest::newRow("a header line") << "header" << "header line 3 differs from the raw image";
    }
    void aDifferentRecordIsNamed()
    {
        QFETCH(QString, changed);
        QFETCH(QString, problem);
        const LoggerOriginal original = simOriginal(1);
        DecodedSet decoded = decodeOriginal(original);
        QCOMPARE(decoded.records.count(), 600);
        QVERIFY(writeDataFile(m_data, decoded.headerLines, decoded.records).ok());
        QVERIFY(keepLoggerOriginal(m_data, original).ok());
        if (changed == "raw") {
            // The third level word of set 1: after the 8 header bytes and the dump's first byte.
            flipByte(rawImagePath(m_data), 1 + 8 + 2 * 2 + 1);
        } else {
            RecordStore records;
            for (qsizetype i = 0; i < decoded.records.count() - (changed == "cut"); ++i)
                records.append(decoded.records.field(i, NumberColumn), decoded.records.field(i, TimeColumn),
                               changed == "data" && i == 2 ? QByteArrayView("12.3")
                                                           : decoded.records.field(i, LevelColumn));
            if (changed == "header")
                decoded.headerLines[2] = "C";
            QVERIFY(writeDataFile(m_data, decoded.headerLines, records).ok());
        }
        QVERIFY(refreshManifest(m_data, {m_data, rawImagePath(m_data)}).ok());
        const QStringList problems = verifyEvidence(m_data);
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems[0].startsWith(m_data + ": " + problem), qPrintable(problems[0]));
    }

    // What the manifest does not cover, or covers no longer.
    void whatTheManifestMisses_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("problem");
        QTest::newRow("no manifest") << "no manifest" << "%1: no manifest (%1.sha256)";
        QTest::newRow("a sidecar written by hand") << "masks" << "%1.masks: not listed in the manifest";
        QTest::newRow("the raw image gone") << "no raw" << "%1.raw: missing (listed in the manifest)";
        QTest::newRow("a manifest line broken") << "bad manifest" << "Cannot use %1.sha256: line 2: not a SHA-256 line such as \"<64 hex digits>  name.kirv\"";
        QTest::newRow("a name outside the folder") << "outside" << "Cannot use %1.sha256: line 4: the name is not a file of this folder";
    }
    void whatTheManifestMisses()
    {
        QFETCH(QString, step);
        QFETCH(QString, problem);
        saveSet(m_data, simOriginal(3));
        const QString manifest = manifestPath(m_data);
        if (step == "no manifest")
            QVERIFY(QFile::remove(manifest));
        else if (step == "masks")
            writeAll(masksPath(m_data), "2026-03-04T08:00:00 2026-03-04T08:00:01\n");
        else if (step == "no raw")
            QVERIFY(QFile::remove(rawImagePath(m_data)));
        else if (step == "bad manifest")
            writeAll(manifest, readAll(manifest).replace("  set.kirv\n", " set.kirv\n"));
        else
            writeAll(manifest, readAll(manifest) + QByteArray(64, 'a') + "  ../../etc/passwd\n");
        QCOMPARE(verifyEvidence(m_data), QStringList{problem.arg(m_data)});
    }

    // A recording writes the manifest of its data file when it stops.
    void aRecordingWritesItsManifest()
    {
        RecordingFile recording;
        recording.setSyncToDisk(false);
        QVERIFY(recording.start(m_dir->path(), m_data).ok());
        for (const char* level : {"70.1", "71.2", "69.9"})
            QVERIFY(recording.appendRecord("2026/03/04 08:00:00", level).ok());
        QVERIFY(recording.finish(RealTimeHeader()).ok());
        const ManifestLoad load = loadManifest(m_data);
        QVERIFY2(load.manifest, qPrintable(load.error));
        QByteArray hex;
        QVERIFY(sha256OfFile(m_data, hex).ok());
        QCOMPARE(load.manifest->entries, (QList<ManifestEntry>{{hex, "set.kirv"}}));
        QCOMPARE(verifyEvidence(m_data), QStringList());
        flipByte(m_data, -3);
        QCOMPARE(verifyEvidence(m_data), QStringList{m_data + ": the SHA-256 differs from the manifest"});
    }
};

QTEST_GUILESS_MAIN(TestEvidence)
#include "test_evidence.moc"
