#pragma once

namespace kirv {

struct PanelParts;

// The toolbar's meter settings: "Sampling" (the PC's or the meter's interval), "AC", "FSI",
// "Up", "Down" (one command byte each), "RTC" (the clock window) and "Refresh" (the live
// statistics, list and graphs start again). Every command that talks to the meter switches
// the panel's live poll and sampling tick off around the exchange and, on every way out,
// back to what they were.
void attachSettingsCommands(PanelParts& parts);

} // namespace kirv
