#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kirv {

/// How an axis writes the values at its ticks.
enum class AxisNumberFormat {
    General,    ///< "": as many digits as the value needs
    Whole,      ///< "0": rounded to a whole number
    OneDecimal, ///< "0.0": one decimal
    Tenths,     ///< "*0.1" or "*.1": the value times 0.1 with one decimal (classes in tenths read as dB)
};

/// The format named by a format text ("", "0", "0.0", "*0.1", "*.1"); nothing for any other text.
std::optional<AxisNumberFormat> parseAxisNumberFormat(QStringView text);

/// The canonical format text of `format` ("", "0", "0.0" or "*.1").
QString axisNumberFormatText(AxisNumberFormat format);

/// The tick label of `value`; never "-0" or "-0.0". Not-a-number and infinities give "".
QString formatAxisValue(double value, AxisNumberFormat format);

/// Snaps a raw tick distance (in axis units) to 1, 2 or 5 times a power of ten. Formats that
/// show whole numbers or whole tenths never get a step below 1, so no two ticks share a label.
double axisTickStep(double rawStep, AxisNumberFormat format);

/// Top of a count axis that holds `maxCount` with a little headroom, on a round number;
/// 1 for an empty or all-zero table.
double countAxisTop(double maxCount);

} // namespace kirv
