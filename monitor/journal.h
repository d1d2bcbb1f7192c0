#pragma once

#include <QDateTime>
#include <QString>

namespace kirv::monitor {

// One line an event on stderr, for the journal.
void say(const QString& line);

// ISO 8601 local time with its UTC offset: "2026-12-08T23:59:59+01:00".
QString isoText(const QDateTime& time);

} // namespace kirv::monitor
