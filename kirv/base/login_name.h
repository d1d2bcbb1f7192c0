#pragma once

#include <QString>

namespace kirv {

/// The name the user logged in with, as an amendment names who made it: the system's account
/// name of the process, else $USER or $LOGNAME (%USERNAME% on Windows), else "unknown".
QString loginName();

} // namespace kirv
