#include "kirv/plots/plot_series.h"

#include "kirv/base/numbertext.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace kirv {

namespace {

// The level a text starts with. Recorded levels are plain ("61.0", "61.0*"): those are read here
// directly; anything else goes through the readers' general rule.
double leadingLevel(QByteArrayView text)
{
    qint64 digits = 0;
    int count = 0;
    int decimals = 0;
    bool point = false;
    qsizetype i = 0;
    for (; i < text.size() && count < 15; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + (c - '0');
            ++count;
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    const bool plain = count > 0 && (i == text.size() || text[i] == '*');
    if (!plain)
        return numericValue(QString::fromUtf8(text));
    static constexpr double Tens[] = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6, 1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    // Both operands are exact, so the quotient is the correctly rounded decimal value.
    return double(digits) / Tens[decimals];
}

} // namespace

void PlotSeriesBuilder::reserve(qsizetype records)
{
    m_series.y.reserve(std::size_t(std::max<qsizetype>(records, 0)));
}

void PlotSeriesBuilder::add(QByteArrayView levelText)
{
    const qsizetype record = qsizetype(m_series.y.size()) + 1;
    if (levelText.contains("--")) {
        m_series.y.push_back(PlotNoLevel);
        return;
    }
    const double level = leadingLevel(levelText);
    const double over = m_paused ? PlotOverInsidePause : PlotOverOutsidePause;
    if (level >= over || levelText.contains('L')) {
        m_series.y.push_back(PlotOverLevel);
        return;
    }
    m_series.y.push_back(level);
    const bool marked = levelText.contains('*');
    if (!m_paused && marked) {
        m_paused = true;
        m_series.pauses.push_back({record, 0});
    } else if (m_paused && !marked) {
        m_paused = false;
        m_series.pauses.back().end = record;
    }
}

PlotSeries PlotSeriesBuilder::finish()
{
    m_paused = false;
    return std::exchange(m_series, {});
}

} // namespace kirv
