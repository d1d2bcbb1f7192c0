#include "monitor/day_files.h"

#include "monitor/journal.h"

#include "kirv/base/numbertext.h"
#include "kirv/base/clock.h"
#include "kirv/records/filenames.h"
#include "kirv/base/civil_time.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace kirv::monitor {

namespace {

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool sameRecords(const RecordStore& a, const RecordStore& b)
{
    if (a.count() != b.count())
        return false;
    for (qsizetype i = 0; i < a.count(); ++i) {
        for (int column = 0; column < RecordColumnCount; ++column) {
            if (a.field(i, column) != b.field(i, column))
                return false;
        }
    }
    return true;
}

} // namespace

DayFiles::DayFiles(const QString& dir, const QString& station, int interval)
    : m_dir(dir), m_station(station), m_scratch(QDir(dir).filePath(QLatin1Char('.') + station)),
      m_interval(interval)
{
}

QString DayFiles::dayPath(const QDate& day, int part) const
{
    const QString first = QDir(m_dir).filePath(
        QStringLiteral("%1-%2.%3").arg(m_station, day.toString(QStringLiteral("yyyyMMdd")),
                                       QLatin1String(DataFileSuffix)));
    return part <= 1 ? first : continuationPath(first, part);
}

int DayFiles::freePart(const QDate& day) const
{
    int part = 1;
    while (QFile::exists(dayPath(day, part)))
        ++part;
    return part;
}

QString DayFiles::freePath(const QDate& day) const
{
    return dayPath(day, freePart(day));
}

FileStatus DayFiles::completeLeft(const MeterSettingsText& settings)
{
    auto left = findLeftRecording(m_scratch);
    if (!left)
        return {};
    const QDateTime first = QDateTime::fromString(left->records.record(0).time,
                                                  QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    const QDate day = first.isValid() ? first.date() : now().date();
    const int part = freePart(day);
    // A run killed after it wrote a day file but before it removed the scratch file left the
    // same records twice: the file stays as it is and the scratch goes.
    if (part > 1 && sameRecords(readDataFile(dayPath(day, part - 1)).records, left->records)) {
        QFile::remove(left->tempPath);
        say(QStringLiteral("the recording an earlier run left is in %1 already").arg(nativePath(dayPath(day, part - 1))));
        return {};
    }
    const QString target = dayPath(day, part);
    const RealTimeHeader h = recoveredHeader(left->records, settings.freqWeight,
                                             settings.timeWeight, settings.range);
    const FileStatus status = saveRecording(left->tempPath, target, h);
    if (!status.ok()) {
        say(status.error);
        return status;
    }
    QFile::remove(left->tempPath);
    say(QStringLiteral("completed the recording an earlier run left: %1 (%2 records)")
            .arg(nativePath(target))
            .arg(left->records.count()));
    return {};
}

FileStatus DayFiles::start(const QDate& day)
{
    m_day = day;
    m_last = QDateTime();
    m_rec.reset();
    m_max = LevelMaximum{0.0, QStringLiteral("0"), {}};
    // The folder may have been removed meanwhile (a clean-up job): it is made again.
    if (!QDir(m_scratch).exists() && QDir().mkpath(m_scratch) && !m_fake.tempPath().isEmpty())
        say(QStringLiteral("made %1 again").arg(nativePath(m_scratch)));
    const QString target = freePath(day);
    const FileStatus status = m_fake.start(m_scratch, target);
    if (!status.ok()) {
        if (!std::exchange(m_writeFailing, true))
            say(status.error);
        return status;
    }
    m_writeFailing = false;
    watchScratch();
    say(QStringLiteral("recording into %1").arg(nativePath(target)));
    return {};
}

void DayFiles::watchScratch()
{
    m_watch.close();
    m_watch.setFileName(m_fake.tempPath());
    struct stat info;
    if (m_watch.open(QIODevice::ReadOnly) && ::fstat(m_watch.handle(), &info) == 0) {
        m_watchDevice = quint64(info.st_dev);
        m_watchInode = quint64(info.st_ino);
    } else {
        m_watch.close();
    }
}

bool DayFiles::scratchInPlace() const
{
    if (!m_watch.isOpen())
        return true; // nothing to compare with: taken as it is
    struct stat info;
    const QByteArray path = QFile::encodeName(m_fake.tempPath());
    return ::stat(path.constData(), &info) == 0 && quint64(info.st_dev) == m_watchDevice
           && quint64(info.st_ino) == m_watchInode;
}

FileStatus DayFiles::restoreScratch()
{
    if (!running() || scratchInPlace())
        return {};
    if (!std::exchange(m_restoreFailing, true))
        say(QStringLiteral("%1 was removed while recording; it is made again from its records")
                .arg(nativePath(m_fake.tempPath())));
    // Until the folder can be made again the records go on into the removed file, which this
    // program still holds open.
    if (!QDir().mkpath(m_scratch))
        return FileStatus::failure("create", m_scratch, QStringLiteral("the folder cannot be made"));
    const DataFileContent held = readDataFile(m_watch);
    const QString target = m_fake.targetPath();
    FileStatus status = m_fake.start(m_scratch, target);
    m_fake.setSyncToDisk(false); // one sync for all of them, with the next record
    for (qsizetype i = 0; status.ok() && i < held.records.count(); ++i) {
        const Record r = held.records.record(i);
        status = m_fake.appendRecord(r.time, r.level);
    }
    m_fake.setSyncToDisk(true);
    if (!status.ok()) {
        say(QStringLiteral("%1; the %2 records of %3 so far are lost")
                .arg(status.error).arg(held.records.count()).arg(nativePath(target)));
        m_fake.abandon();
        m_watch.close();
        return status;
    }
    watchScratch();
    m_restoreFailing = false;
    say(QStringLiteral("made %1 again (%2 records)").arg(nativePath(m_fake.tempPath())).arg(held.records.count()));
    return {};
}

FileStatus DayFiles::second(const QDateTime& time, double levelDb, const QString& levelText,
                            const MeterSettingsText& settings)
{
    bool newPart = m_unfinished.has_value();
    if (running() && time.date() != m_day) {
        newPart = true;
    } else if (running() && m_last.isValid() && time.toSecsSinceEpoch() <= m_last.toSecsSinceEpoch()) {
        say(QStringLiteral("the clock went back from %1 to %2; the day goes on in a new part")
                .arg(isoText(m_last), isoText(time)));
        newPart = true;
    } else if (running() && m_last.isValid() && time.offsetFromUtc() != m_last.offsetFromUtc()) {
        say(QStringLiteral("the clock changed from %1 to %2 (UTC offset); the day goes on in a new part")
                .arg(isoText(m_last), isoText(time)));
        newPart = true;
    }
    if (newPart) {
        const FileStatus status = finish(settings);
        if (!status.ok())
            return status;
    }
    if (!running()) {
        const FileStatus status = start(time.date());
        if (!status.ok())
            return status;
    }
    m_last = time;
    m_settings = settings;
    m_rec.add(levelDb);
    if (levelDb > numericValue(m_max.text))
        m_max.offerByText(levelDb, levelText, stampText(time));
    return {};
}

FileStatus DayFiles::sample(const QDateTime& time, const QString& levelText)
{
    if (!running())
        return {};
    // Checked each sample: a stat, and the sample goes where it will be kept.
    if (const FileStatus restored = restoreScratch(); !restored.ok() && !running())
        return restored;
    const FileStatus status = m_fake.appendRecord(stampText(time), levelText);
    if (!status.ok()) {
        if (!std::exchange(m_writeFailing, true))
            say(status.error);
        return status;
    }
    if (std::exchange(m_writeFailing, false))
        say(QStringLiteral("writing %1 again").arg(nativePath(m_fake.tempPath())));
    if (m_fake.isFull()) // a part holds at most as many records as a recording does
        return finish(m_settings);
    return {};
}

RealTimeHeader DayFiles::header(const MeterSettingsText& settings) const
{
    const auto known = [](const QString& text) { return text.isEmpty() ? QStringLiteral("?") : text; };
    RealTimeHeader h;
    h.sampleInterval = m_interval;
    h.freqWeight = known(settings.freqWeight);
    h.timeWeight = known(settings.timeWeight);
    h.range = known(settings.range);
    h.maxLevel = m_max.text;
    h.maxTime = known(m_max.time);
    h.sel = m_rec.selText();
    h.leq = m_rec.leqText();
    return h;
}

FileStatus DayFiles::finish(const MeterSettingsText& settings)
{
    if (!m_unfinished) {
        if (!running())
            return {};
        if (m_fake.rowsWritten() == 0) {
            m_fake.abandon();
            m_watch.close();
            QFile::remove(m_fake.tempPath());
            return {};
        }
        if (const FileStatus restored = restoreScratch(); !restored.ok()) {
            say(restored.error);
            return restored;
        }
        m_unfinished = header(settings);
    }
    const qsizetype rows = m_fake.rowsWritten();
    const FileStatus status = m_fake.finish(*m_unfinished);
    if (!status.ok()) {
        if (!std::exchange(m_writeFailing, true))
            say(status.error);
        return status;
    }
    m_unfinished.reset();
    m_writeFailing = false;
    m_watch.close();
    say(QStringLiteral("completed %1 (%2 records)").arg(nativePath(m_fake.targetPath())).arg(rows));
    return {};
}

} // namespace kirv::monitor
