#include "kirv/base/numbertext.h"

#include <QByteArray>

namespace kirv {

double numericValue(QStringView text)
{
    return leadingNumber(text).value_or(0.0);
}

std::optional<double> leadingNumber(QStringView text)
{
    QByteArray digits;
    digits.reserve(text.size());
    bool point = false;
    bool exponent = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == ' ' || u == '\t')
            continue;
        const bool isDigit = u >= '0' && u <= '9';
        const char last = digits.isEmpty() ? '\0' : digits.back();
        if (isDigit)
            digits.append(char(u));
        else if ((u == '+' || u == '-') && (digits.isEmpty() || last == 'e'))
            digits.append(char(u));
        else if (u == '.' && !point && !exponent)
            point = true, digits.append('.');
        else if ((u == 'e' || u == 'E') && !exponent && !digits.isEmpty() && last >= '0' && last <= '9')
            exponent = true, digits.append('e');
        else
            break;
    }
    // A dangling exponent mark or sign ("1e", "1e-") ends the number before it.
    while (!digits.isEmpty() && (digits.back() == 'e' || digits.back() == '+' || digits.back() == '-'))
        digits.chop(1);
    bool ok = false;
    const double value = digits.toDouble(&ok); // locale-independent, unlike strtod
    if (!ok)
        return std::nullopt;
    return value;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace kirv
