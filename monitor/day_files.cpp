#include "monitor/day_files.h"

#include "monitor/journal.h"

#include "kirv/analysis/numbertext.h"
#include "kirv/meter/clock.h"
#include "kirv/records/filenames.h"

#include <QDir>
#include <QFile>

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
    m_rec.reset();
    m_max = LevelMaximum{0.0, QStringLiteral("0"), {}};
    const QString target = freePath(day);
    const FileStatus status = m_fake.start(m_scratch, target);
    if (!status.ok()) {
        if (!std::exchange(m_writeFailing, true))
            say(status.error);
        return status;
    }
    m_writeFailing = false;
    say(QStringLiteral("recording into %1").arg(nativePath(target)));
    return {};
}

FileStatus DayFiles::second(const QDateTime& time, double levelDb, const QString& levelText,
                            const MeterSettingsText& settings)
{
    if (m_unfinished || (running() && time.date() != m_day)) {
        const FileStatus status = finish(settings);
        if (!status.ok())
            return status;
    }
    if (!running()) {
        const FileStatus status = start(time.date());
        if (!status.ok())
            return status;
    }
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
            QFile::remove(m_fake.tempPath());
            return {};
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
    say(QStringLiteral("completed %1 (%2 records)").arg(nativePath(m_fake.targetPath())).arg(rows));
    return {};
}

} // namespace kirv::monitor
