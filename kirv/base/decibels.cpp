#include "kirv/base/decibels.h"

#include "kirv/base/numbertext.h"

#include <cmath>
#include <limits>
#include <optional>

namespace kirv {

namespace {

// Levels and their energy averages are decimal tenths at heart; a product 10x that lies this
// close to a whole number is that number plus rounding noise, not a value just below it.
constexpr double TenthNoise = 1e-9;
// Beyond this a tenth is no longer representable; such a value has no text.
constexpr double LargestTenths = 1e15;

std::optional<qint64> truncatedTenths(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    const double tenths = x * 10.0;
    if (std::abs(tenths) > LargestTenths)
        return std::nullopt;
    const double nearest = std::nearbyint(tenths);
    const double t = std::abs(tenths - nearest) < TenthNoise ? nearest : std::trunc(tenths);
    return qint64(t);
}


} // namespace

double Log10(double x)
{
    return std::log(x) / std::log(10.0);
}

QString tenthText(double x)
{
    const std::optional<qint64> t = truncatedTenths(x);
    if (!t)
        return {};
    const QString digits = QString::number(*t < 0 ? -*t : *t);
    const QString sign = *t < 0 ? QStringLiteral("-") : QString();
    return sign + digits.left(digits.size() - 1) + QLatin1Char('.') + digits.right(1);
}

double tenthValue(double x)
{
    const std::optional<qint64> t = truncatedTenths(x);
    return t ? double(*t) / 10.0 : 0.0;
}

double RunningLevel::ClassTerms::term(int tenths, double reference)
{
    if (!m_any || reference != m_reference) {
        m_known.fill(false);
        m_reference = reference;
        m_any = true;
    }
    const auto c = size_t(tenths);
    if (!m_known[c]) {
        m_terms[c] = std::pow(10.0, (double(tenths) / 10.0 - reference) / 10.0);
        m_known[c] = true;
    }
    return m_terms[c];
}

void RunningLevel::lift(double levelDb)
{
    if (m_count == 0 || levelDb > m_reference) {
        // A new highest level: the sum so far is rescaled to it (its terms only shrink).
        const double scale = m_count == 0 ? 0.0 : std::pow(10.0, (m_reference - levelDb) / 10.0);
        m_energy *= scale;
        m_compensation *= scale;
        m_reference = levelDb;
    }
}

void RunningLevel::sum(double term)
{
    ++m_count;
    // Kahan summation: the lost low-order part of each addition is carried to the next.
    const double compensated = term - m_compensation;
    const double sum = m_energy + compensated;
    m_compensation = (sum - m_energy) - compensated;
    m_energy = sum;
}

void RunningLevel::add(double levelDb)
{
    lift(levelDb);
    sum(std::pow(10.0, (levelDb - m_reference) / 10.0));
}

void RunningLevel::add(int tenths, ClassTerms& terms)
{
    if (tenths < 0 || tenths > topClass(Resolution::Fine)) {
        add(double(tenths) / 10.0);
        return;
    }
    lift(double(tenths) / 10.0);
    sum(terms.term(tenths, m_reference));
}

void RunningLevel::reset()
{
    *this = RunningLevel();
}

double RunningLevel::energy() const
{
    return (m_energy - m_compensation) * std::pow(10.0, m_reference / 10.0);
}

double RunningLevel::leq() const
{
    if (m_count <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    return m_reference + 10.0 * Log10((m_energy - m_compensation) / double(m_count));
}

double RunningLevel::sel() const
{
    if (m_count <= 0)
        return std::numeric_limits<double>::quiet_NaN();
    return leq() + 10.0 * Log10(double(m_count));
}

bool LevelMaximum::offer(double levelDb, const QString& levelText, const QString& timeText)
{
    if (!(levelDb > level))
        return false;
    level = levelDb;
    text = levelText;
    time = timeText;
    return true;
}

bool LevelMaximum::offerByText(double levelDb, const QString& levelText, const QString& timeText)
{
    if (!(levelDb > numericValue(text)))
        return false;
    level = levelDb;
    text = levelText;
    time = timeText;
    return true;
}

} // namespace kirv
