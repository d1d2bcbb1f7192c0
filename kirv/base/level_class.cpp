#include "kirv/base/level_class.h"

#include "kirv/base/numbertext.h"

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr int TopWholeDb = 145;
constexpr int SlowPath = -1;

// A text with "-" counts as 25.0 dB.
int dashClass(Resolution r)
{
    return r == Resolution::Fine ? 250 : 25;
}

// The class of a number read the slow way (a sign or an exponent): only odd texts come here.
int classOfValue(double x, Resolution r)
{
    if (std::isnan(x) || x <= 0)
        return 0;
    if (x >= TopWholeDb)
        return topClass(r);
    return r == Resolution::Fine ? int(std::nearbyint(x * 10.0)) : int(x);
}

// The class of a text, or SlowPath when its number needs the general reader. One pass: the
// marks decide first ("*" not counted, then "-", then "L"), wherever they stand; otherwise the
// level is read in exact decimal (whole part, first decimal, and how the rest compares with half
// a tenth), so that "60.05" and "60.15" round alike whatever their binary fractions would say.
template <typename Unit> std::optional<int> classOf(const Unit* text, qsizetype size, Resolution r)
{
    bool dash = false;
    bool capitalL = false;
    bool slow = false;
    bool reading = true; // still inside the leading number
    int whole = 0;
    int decimals = 0;       // digits read after the point
    int tenth = 0;          // the first of them
    int restFirst = 0;      // the second
    bool restAbove = false; // a non-zero digit after the second
    bool point = false;
    for (qsizetype i = 0; i < size; ++i) {
        const auto u = char16_t(text[i]);
        if (u == '*')
            return std::nullopt;
        if (u == '-' || u == 'L') {
            (u == '-' ? dash : capitalL) = true;
            reading = false;
            continue;
        }
        if (!reading || u == ' ' || u == '\t')
            continue;
        if (u >= '0' && u <= '9') {
            const int d = u - '0';
            if (!point)
                whole = std::min(whole * 10 + d, 100000);
            else if (++decimals == 1)
                tenth = d;
            else if (decimals == 2)
                restFirst = d;
            else
                restAbove |= d != 0;
        } else if (u == '.' && !point) {
            point = true;
        } else {
            slow = u == '+' || u == 'e' || u == 'E';
            reading = false;
        }
    }
    if (dash)
        return dashClass(r);
    if (capitalL)
        return topClass(r);
    if (slow)
        return SlowPath;
    if (whole >= TopWholeDb)
        return topClass(r);
    if (r == Resolution::Coarse)
        return whole;
    int tenths = whole * 10 + tenth;
    if (restFirst > 5 || (restFirst == 5 && (restAbove || tenths % 2 == 1)))
        ++tenths;
    return std::min(tenths, topClass(r));
}

} // namespace

std::optional<int> levelClass(QByteArrayView utf8, Resolution r)
{
    const auto c = classOf(utf8.data(), utf8.size(), r);
    if (c != SlowPath)
        return c;
    return classOfValue(numericValue(QString::fromUtf8(utf8)), r);
}

std::optional<int> levelClass(QStringView text, Resolution r)
{
    const auto c = classOf(text.utf16(), text.size(), r);
    if (c != SlowPath)
        return c;
    return classOfValue(numericValue(text), r);
}

int fineClassOf(double levelDb)
{
    if (!std::isfinite(levelDb))
        return 0;
    const int top = topClass(Resolution::Fine);
    return int(std::lround(std::clamp(levelDb, 0.0, top / 10.0) * 10.0));
}

} // namespace kirv
