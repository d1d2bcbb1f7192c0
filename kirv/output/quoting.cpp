#include "kirv/output/quoting.h"

namespace kirv {

QByteArray csvField(QByteArrayView utf8)
{
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') && !utf8.contains('\r'))
        return utf8.toByteArray();
    QByteArray quoted = utf8.toByteArray();
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QString jsonString(const QString& s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u == '"' || u == '\\')
            out += QLatin1Char('\\'), out += c;
        else if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u < 0x20)
            out += QString::asprintf("\\u%04x", unsigned(u));
        else
            out += c;
    }
    out += QLatin1Char('"');
    return out;
}

} // namespace kirv
