#include "kirv/widgets/format_ticker.h"

#include <algorithm>
#include <cmath>

namespace kirv {

FormatTicker::FormatTicker(AxisNumberFormat format)
    : m_format(format)
{
}

double FormatTicker::getTickStep(const QCPRange& range)
{
    const double raw = range.size() / std::max(1, tickCount());
    return axisTickStep(raw, m_format);
}

int FormatTicker::getSubTickCount(double tickStep)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(tickStep)));
    const long mantissa = std::lround(tickStep / magnitude);
    // A step of 1 in a whole-number format has nowhere whole to put sub ticks.
    if (tickStep <= 1.0 && m_format != AxisNumberFormat::General
        && m_format != AxisNumberFormat::OneDecimal)
        return 0;
    return mantissa == 2 ? 1 : 4;
}

QString FormatTicker::getTickLabel(double tick, const QLocale&, QChar, int)
{
    return formatAxisValue(tick, m_format);
}

} // namespace kirv
