#pragma once

#include <QString>

namespace kirv::monitor {

// One line an event on stderr, for the journal.
void say(const QString& line);

} // namespace kirv::monitor
