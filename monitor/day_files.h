#pragma once

#include "kirv/base/decibels.h"
#include "kirv/records/datafile.h"
#include "kirv/records/recordingfile.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <optional>

namespace kirv::monitor {

// The header texts of the meter's settings, as the panel's boards show them.
struct MeterSettingsText
{
    QString freqWeight;
    QString timeWeight;
    QString range;
};

// One data file a local day, STATION-YYYYMMDD.kirv in the data folder, recorded through a
// scratch file of the station's own (DIR/.STATION/Fake) as the panel records through "Fake".
// A day that already has its file (a restart, a lost link that came back) goes on in the next
// free part, STATION-YYYYMMDD-2.kirv and so on: no file is ever replaced. The clock stepping
// back or changing its UTC offset (summer time) also starts a new part, so the times of one
// file always go forward.
class DayFiles
{
public:
    DayFiles(const QString& dir, const QString& station, int interval);

    QString scratchFolder() const { return m_scratch; }
    QString scratchPath() const { return m_fake.tempPath(); }
    // Part `part` (from 1) of the day's file, and the first part that does not exist yet.
    QString dayPath(const QDate& day, int part) const;
    int freePart(const QDate& day) const;
    QString freePath(const QDate& day) const;

    // A scratch file an earlier run left (a crash, a power cut) is written into the file of the
    // day of its first record, its header computed from its records; one whose records are the
    // day's last file already (killed between writing that file and removing the scratch) is
    // only removed. Says what it did.
    FileStatus completeLeft(const MeterSettingsText& settings);

    // One second of the live level, taken into the running Leq, SEL and maximum of the day's
    // file. At the first second of a new local day the file of the day before is completed
    // first, so each second and each sample belong to the day of their own time.
    FileStatus second(const QDateTime& time, double levelDb, const QString& levelText,
                      const MeterSettingsText& settings);
    // A sample (taken after second() of the same time): its record line in the scratch file.
    // A scratch file that is no longer the one in the folder (the folder was removed) is made
    // again first, from the records the old one holds.
    FileStatus sample(const QDateTime& time, const QString& levelText);
    // Completes the running file: header as at a recording's stop, then the records. A file of
    // no record is not written. After a failure the scratch is kept and the next second tries
    // again before anything else is recorded.
    FileStatus finish(const MeterSettingsText& settings);

    bool running() const { return m_fake.isOpen(); }
    QString currentPath() const { return m_fake.targetPath(); }
    qsizetype rowsWritten() const { return m_fake.rowsWritten(); }

private:
    FileStatus start(const QDate& day);
    RealTimeHeader header(const MeterSettingsText& settings) const;
    bool scratchInPlace() const;
    FileStatus restoreScratch();
    void watchScratch();

    QString m_dir;
    QString m_station;
    QString m_scratch;
    int m_interval;
    RecordingFile m_fake;
    QDate m_day;
    RunningLevel m_rec;
    LevelMaximum m_max{0.0, QStringLiteral("0"), {}};
    MeterSettingsText m_settings;
    std::optional<RealTimeHeader> m_unfinished; // a completion that failed, tried again
    bool m_writeFailing = false;
    QDateTime m_last; // the last second of the running part
    // A second handle on the scratch file: what is written stays readable through it when the
    // file is removed, and its identity tells whether the folder's file is still this one.
    QFile m_watch;
    quint64 m_watchDevice = 0;
    quint64 m_watchInode = 0;
    bool m_restoreFailing = false;
};

} // namespace kirv::monitor
