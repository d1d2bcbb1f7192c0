#pragma once

namespace kirv {

struct PanelParts;

/// The panel's distribution graphs open RealHistogram: CWInt with the 1 dB table, CWDec with the
/// 0.1 dB table of the recording's sampler.
void attachHistogramClicks(PanelParts& parts);

} // namespace kirv
