#pragma once

#include <QIcon>
#include <QString>

namespace kirv {

// The toolbar's images, drawn rather than shipped: one per key, and "Stop" for the first
// button while a recording runs.
QIcon toolbarIcon(const QString& key);

} // namespace kirv
