#pragma once

namespace kirv {

struct PanelParts;

/// The panel's distribution graphs open RealHistogram: CWInt with the 1 dB table, CWDec with the
/// 0.1 dB table of the recording's sampler. The "1 dB" and "0.1 dB" buttons of every file view
/// that "Open" fills run the level statistics on that view's records (the file commands are
/// attached first).
void attachHistogramClicks(PanelParts& parts);

} // namespace kirv
