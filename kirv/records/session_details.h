#pragma once

#include "kirv/base/clock.h"
#include "kirv/base/filestatus.h"
#include "kirv/base/login_name.h"
#include "kirv/records/amendment_log.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace kirv {

/// A reading of the calibrator on the meter: the level shown and when.
struct CalibrationReading
{
    double levelDb = 0.0;
    std::optional<qint64> time; // civil seconds

    friend bool operator==(const CalibrationReading&, const CalibrationReading&) = default;
};

/// Something that happened on site, at a civil time ("08:12 lorry idling at the gate").
struct TimelineNote
{
    qint64 time = 0;
    QString text;

    friend bool operator==(const TimelineNote&, const TimelineNote&) = default;
};

/// The details of a measurement session that a survey report states beside the figures.
/// Texts are as the user typed them; an empty text, an invalid date or an absent value is one
/// not given.
struct SessionDetails
{
    QString site;
    QString operatorName;
    QString client;
    QString project;
    QString instrumentType;
    QString instrumentSerial;
    QDate instrumentVerified; // the instrument's last verification
    QString calibratorType;
    QString calibratorSerial;
    std::optional<double> calibratorLevelDb; // the calibrator's reference level
    QDate calibratorCertificate;
    QString windSpeed;
    QString windDirection;
    QString rain;
    QString temperature;
    QString notes; // free text, may span lines
    std::optional<CalibrationReading> calibrationBefore;
    std::optional<CalibrationReading> calibrationAfter;
    std::optional<double> toleranceDb; // absent: the default of the calibration check
    std::vector<TimelineNote> timeline; // in the order of their times

    bool isEmpty() const { return *this == SessionDetails(); }
    friend bool operator==(const SessionDetails&, const SessionDetails&) = default;
};

/// The sidecar beside a data file: "name.kirv" keeps its session details in "name.kirv.info".
QString sessionDetailsPath(const QString& dataPath);

/// The sidecar's text: a first comment line, then one "key: value" line a value given, in a
/// fixed order, values escaped as escapedValue() does (a line end is "\n"), and one
/// "note: <time> <text>" line a timeline note. Empty lines and lines starting with "#" are
/// skipped on reading.
QByteArray sessionDetailsText(const SessionDetails& details);

/// The details of a sidecar's text, or the reason it cannot be used ("line 3: ..."): an unknown
/// key or one given twice, a value that is not what its key takes, a bad escape. A text with
/// one bad line gives no details at all, so that a later save cannot drop what it held.
struct SessionDetailsParse
{
    std::optional<SessionDetails> details;
    QString error;
};
SessionDetailsParse parseSessionDetails(QByteArrayView text);

/// Largest sidecar read; a bigger file is not one.
inline constexpr qint64 MaxSessionDetailsBytes = qint64(4) << 20;

/// The session details of the data file at `dataPath`: empty when it has no sidecar; `error`
/// names the sidecar and the reason when it cannot be read (not a regular file, too big, a bad
/// line), and then nothing of it applies.
struct SessionDetailsLoad
{
    SessionDetails details;
    bool found = false; // a sidecar was read
    QString error;
};
SessionDetailsLoad loadSessionDetails(const QString& dataPath);

/// The amendments that turn `before` into `after`, one a value that changed, in the order of
/// the sidecar's keys; timeline notes as removed and added ones.
QList<Amendment> sessionDetailsChanges(const SessionDetails& before, const SessionDetails& after);

/// Saves `details` as the sidecar of `dataPath`, whole or not at all (empty details remove it),
/// and appends one log line per changed value (what the sidecar held before, read here, and the
/// new value) in the same call; the manifest follows. A sidecar that cannot be read is named in
/// the status and left as it is: it is never replaced by a save that did not know what it held.
/// The data file is never touched.
FileStatus saveSessionDetails(const QString& dataPath, const SessionDetails& details,
                              const QString& login = loginName(),
                              const QDateTime& when = now());

} // namespace kirv
