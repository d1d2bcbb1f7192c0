#include "kirv/plots/axis_format.h"

#include <algorithm>
#include <cmath>

namespace kirv {

std::optional<AxisNumberFormat> parseAxisNumberFormat(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return AxisNumberFormat::General;
    if (t == u"0")
        return AxisNumberFormat::Whole;
    if (t == u"0.0")
        return AxisNumberFormat::OneDecimal;
    if (t == u"*0.1" || t == u"*.1")
        return AxisNumberFormat::Tenths;
    return std::nullopt;
}

QString axisNumberFormatText(AxisNumberFormat format)
{
    switch (format) {
    case AxisNumberFormat::General: return {};
    case AxisNumberFormat::Whole: return QStringLiteral("0");
    case AxisNumberFormat::OneDecimal: return QStringLiteral("0.0");
    case AxisNumberFormat::Tenths: return QStringLiteral("*.1");
    }
    return {};
}

namespace {

// One decimal, rounded half away from zero on the tenths count, so 60.45 never turns "60.4"
// through binary noise and a tiny negative value does not print as "-0.0".
QString oneDecimal(double value)
{
    const qint64 tenths = std::llround(value * 10.0);
    const qint64 whole = std::llabs(tenths) / 10;
    const qint64 frac = std::llabs(tenths) % 10;
    const QString sign = tenths < 0 ? QStringLiteral("-") : QString();
    return sign + QString::number(whole) + u'.' + QString::number(frac);
}

} // namespace

QString formatAxisValue(double value, AxisNumberFormat format)
{
    if (!std::isfinite(value))
        return {};
    switch (format) {
    case AxisNumberFormat::Whole: {
        const qint64 n = std::llround(value);
        return QString::number(n);
    }
    case AxisNumberFormat::OneDecimal:
        return oneDecimal(value);
    case AxisNumberFormat::Tenths:
        return oneDecimal(value / 10.0);
    case AxisNumberFormat::General:
        break;
    }
    // Tick values are sums of steps; clean the last bits of noise before 'g' shows them.
    if (std::abs(value) < 1e-12)
        value = 0.0;
    return QString::number(value, 'g', 10);
}

double axisTickStep(double rawStep, AxisNumberFormat format)
{
    const bool wholeSteps = format == AxisNumberFormat::Whole || format == AxisNumberFormat::Tenths;
    if (!std::isfinite(rawStep) || rawStep <= 0.0)
        return 1.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rawStep)));
    const double mantissa = rawStep / magnitude;
    double nice = 10.0;
    if (mantissa < 1.5)
        nice = 1.0;
    else if (mantissa < 3.5)
        nice = 2.0;
    else if (mantissa < 7.5)
        nice = 5.0;
    const double step = nice * magnitude;
    return wholeSteps && step < 1.0 ? 1.0 : step;
}

double countAxisTop(double maxCount)
{
    if (!std::isfinite(maxCount) || maxCount <= 0.0)
        return 1.0;
    const double wanted = maxCount * 1.05;
    const double magnitude = std::pow(10.0, std::floor(std::log10(wanted)));
    const double grain = std::max(1.0, magnitude / 5.0);
    return std::ceil(wanted / grain) * grain;
}

} // namespace kirv
