#pragma once

#include <QString>

namespace kirv {

// The open and save filter of data files, in the program's own form.
inline constexpr const char* kDataFileFilter = "Data Files (*.kirv)|*.kirv|All Files (*.*)|*.*|";

// "Data Files (*.kirv)|*.kirv|All Files (*.*)|*.*|" -> "Data Files (*.kirv);;All Files (*.*)":
// pairs of description and pattern; the patterns go into the description where it lacks them.
QString qtFileFilter(const QString& pipeFilter);

} // namespace kirv
