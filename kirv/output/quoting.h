#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kirv {

/// Rows of every CSV the program writes end so, as a spreadsheet expects.
inline constexpr char CsvLineEnd[] = "\r\n";

/// A CSV field: as it is, or in quotes (a quote doubled) when it holds a comma, a quote or a
/// line end.
QByteArray csvField(QByteArrayView utf8);

/// A JSON string of a text, quotes included: the one escaper of every JSON the program writes
/// by hand (quote, backslash, \n, \r, \t and the other control characters as \u00xx).
QString jsonString(const QString& s);

} // namespace kirv
