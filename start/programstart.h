#pragma once

#include <QString>

namespace kirv {

// Starts a program as a process of its own, in a normal window that does not take the focus,
// and returns without waiting for it. Returns an empty text when it started, otherwise the reason
// it did not, in words for the user.
QString startProgram(const QString &program, const QString &workingDirectory);

} // namespace kirv
