#include "kirv/stats/exceedance.h"

#include <algorithm>

namespace kirv {

std::optional<int> LevelDistribution::lowClass() const
{
    for (int c = 1; c <= topClass(); ++c)
        if (counts[size_t(c)] != 0)
            return c;
    return std::nullopt;
}

std::optional<int> LevelDistribution::highClass() const
{
    for (int c = topClass(); c >= 1; --c)
        if (counts[size_t(c)] != 0)
            return c;
    return std::nullopt;
}

LevelCounter::LevelCounter(Resolution resolution)
{
    m_result.resolution = resolution;
    m_result.counts.assign(size_t(kirv::topClass(resolution)) + 1, 0);
}

LevelDistribution distribute(std::span<const QString> levels, Resolution resolution)
{
    LevelCounter counter(resolution);
    for (const QString& level : levels)
        counter.add(QStringView(level));
    return counter.take();
}

LevelDistribution distribute(std::span<const QByteArrayView> levels, Resolution resolution)
{
    LevelCounter counter(resolution);
    for (const QByteArrayView level : levels)
        counter.add(level);
    return counter.take();
}

std::optional<double> ExceedanceTable::level(int j) const
{
    if (j < 0 || j >= Entries || !classes[size_t(j)])
        return std::nullopt;
    const int c = *classes[size_t(j)];
    return resolution == Resolution::Fine ? c / 10.0 : double(c);
}

QString ExceedanceTable::text(int j) const
{
    if (j < 0 || j >= Entries || !classes[size_t(j)])
        return {};
    const int c = *classes[size_t(j)];
    if (resolution == Resolution::Coarse)
        return QString::number(c);
    return QString::number(c / 10) + QLatin1Char('.') + QChar(u'0' + c % 10);
}

ExceedanceTable exceedance(const LevelDistribution& distribution)
{
    ExceedanceTable table;
    table.resolution = distribution.resolution;
    table.recordCount = distribution.counted;
    const qint64 n = distribution.counted;
    if (n <= 0)
        return table;
    // Entry 100 - i takes the first class whose running count exceeds N (i - 0.5) / 100, compared
    // in whole numbers: 200 * sum > N (2i - 1). The targets rise with i, so one walk up the
    // classes serves all hundred entries.
    qint64 sum = 0;
    size_t c = 0;
    const std::vector<qint64>& counts = distribution.counts;
    for (int i = 1; i <= ExceedanceTable::Entries; ++i) {
        const qint64 target = n * (2 * i - 1);
        while (200 * sum <= target && c < counts.size())
            sum += counts[c++];
        if (200 * sum <= target)
            break;
        table.classes[size_t(ExceedanceTable::Entries - i)] = int(c - 1);
    }
    return table;
}

QStringList gridLnTitles()
{
    QStringList titles{QStringLiteral("Ln")};
    for (int d = 0; d <= 9; ++d)
        titles << QStringLiteral(" %1").arg(d);
    return titles;
}

QStringList gridLnRow(const ExceedanceTable& table, int r)
{
    QStringList cells{QStringLiteral("L(") + QString::number(r) + QStringLiteral("0)")};
    for (int d = 0; d <= 9; ++d)
        cells << table.text(10 * r + d);
    return cells;
}

} // namespace kirv
