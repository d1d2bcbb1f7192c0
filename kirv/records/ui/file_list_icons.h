#pragma once

#include <QIcon>
#include <QString>

namespace kirv {

/// Images of the file views' toolbar: "Plot" (a level trace), "Ln" (histogram bars) and
/// "Print" (a printer). Drawn rather than shipped.
QIcon fileListIcon(const QString& key);

} // namespace kirv
