#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace kirv {

/// How a CSV file separates its fields: commas and decimal points (the default), or semicolons
/// and decimal commas for spreadsheets set to a locale that writes "79,8".
enum class CsvDialect
{
    Comma,
    Semicolon
};

/// Comma CSV as written by our writers, turned into `dialect`: for Semicolon every separator
/// becomes ";", the point of every plain decimal number ("-79.8") a comma, and a field that
/// holds a semicolon is quoted. Quoted fields keep their text.
QByteArray inCsvDialect(QByteArrayView commaCsv, CsvDialect dialect);

} // namespace kirv
