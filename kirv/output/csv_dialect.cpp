#include "kirv/output/csv_dialect.h"

namespace kirv {

namespace {

bool isDecimal(QByteArrayView f)
{
    qsizetype i = f.startsWith('-') ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < f.size(); ++i) {
        if (f[i] >= '0' && f[i] <= '9')
            digits = true;
        else if (f[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits && point;
}

void putField(QByteArray& out, QByteArray field, bool quoted)
{
    if (isDecimal(field) && !quoted) {
        field.replace('.', ',');
        out += field;
        return;
    }
    if (quoted || field.contains(';')) {
        field.replace('"', "\"\"");
        out += '"' + field + '"';
        return;
    }
    out += field;
}

} // namespace

QByteArray inCsvDialect(QByteArrayView csv, CsvDialect dialect)
{
    if (dialect == CsvDialect::Comma)
        return csv.toByteArray();
    QByteArray out;
    out.reserve(csv.size());
    QByteArray field;
    bool quoted = false;   // the field was written in quotes
    bool inQuotes = false; // inside them now
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                inQuotes = false;
            else
                field += c;
        } else if (c == '"' && field.isEmpty()) {
            inQuotes = quoted = true;
        } else if (c == ',' || c == '\r' || c == '\n') {
            putField(out, field, quoted);
            field.clear();
            quoted = false;
            out += c == ',' ? ';' : c;
            // A line end ends the field once: the LF after a CR adds no empty field.
            if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n')
                out += '\n', ++i;
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || quoted)
        putField(out, field, quoted);
    return out;
}

} // namespace kirv
