#pragma once

#include <QIcon>
#include <QString>

namespace kirv {

/// Images of the file views' toolbar: "Plot" (a level trace), "Ln" (histogram bars) and
/// "Print" (a printer), "Report" (a page with a chart) and "CSV" (a table). Drawn rather than
/// shipped.
QIcon fileListIcon(const QString& key);

} // namespace kirv
