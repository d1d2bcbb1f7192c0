#pragma once

namespace kirv {

struct PanelParts;

/// The live list's context menu: "Export CSV" (the list through the CSV save dialog) and
/// "Report" (the list's report page through the print dialog).
void attachReportCommands(PanelParts& parts);

} // namespace kirv
