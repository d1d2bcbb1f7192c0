#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kirv {

/// Numeric value of a text as the file readers take it: blanks anywhere are ignored, then the
/// longest leading decimal number counts ("  89.1*" gives 89.1, " 1 0" gives 10, "A" gives 0).
double numericValue(QStringView text);
/// The same number, or nothing when the text does not start with one or it is out of the
/// range of a double ("1e309"), where numericValue() gives 0.
std::optional<double> leadingNumber(QStringView text);

/// A number as the writers put it into a file: plain decimal, no blanks, at most 15 significant
/// digits ("89.1", "0", "86400").
QString numberText(double value);

} // namespace kirv
