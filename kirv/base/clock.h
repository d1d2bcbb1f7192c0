#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace kirv {

// Every "now" of the program (record times, maxima, file names, the PC clock shown beside the
// meter's) comes from here, so tests can fix it.
QDateTime now();
void setNowSource(std::function<QDateTime()> source); // empty restores the system clock

} // namespace kirv
