#include "monitor/minute_stats.h"

#include "monitor/journal.h"
#include "kirv/base/civil_time.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace kirv::monitor {

namespace {

QDateTime minuteOf(const QDateTime& time)
{
    return time.addMSecs(-(time.time().second() * 1000 + time.time().msec()));
}

QJsonValue tenth(double level)
{
    return std::isfinite(level) ? QJsonValue(std::round(level * 10.0) / 10.0) : QJsonValue();
}

QJsonValue optionalLevel(std::optional<double> level)
{
    return level ? tenth(*level) : QJsonValue();
}

} // namespace

MinuteStats::MinuteStats() : m_classes(Resolution::Fine) {}

std::optional<QByteArray> MinuteStats::roll(const QDateTime& time)
{
    if (!m_minute.isValid() || minuteOf(time) <= m_minute)
        return std::nullopt;
    QByteArray done = message();
    if (const double leq = tenthValue(m_run.leq()); std::isfinite(leq))
        m_lastLeq = std::round(leq * 10.0) / 10.0;
    m_minute = QDateTime();
    m_run.reset();
    m_classes = LevelCounter(Resolution::Fine);
    return done;
}

void MinuteStats::add(const QDateTime& time, double levelDb, const QString& levelText)
{
    roll(time);
    if (m_last.isValid() && time <= m_last)
        return;
    m_last = time;
    if (!m_minute.isValid()) {
        m_minute = minuteOf(time);
        m_max = m_min = levelDb;
    }
    m_run.add(fineClassOf(levelDb));
    m_max = std::max(m_max, levelDb);
    m_min = std::min(m_min, levelDb);
    m_classes.add(QStringView(levelText));
}

QByteArray MinuteStats::message() const
{
    const ExceedanceTable table = exceedance(m_classes.result());
    const QJsonObject o{
        {QStringLiteral("minute"), isoText(m_minute)},
        {QStringLiteral("leq"), tenth(tenthValue(m_run.leq()))},
        {QStringLiteral("lmax"), tenth(m_max)},
        {QStringLiteral("lmin"), tenth(m_min)},
        {QStringLiteral("l10"), optionalLevel(table.level(10))},
        {QStringLiteral("l90"), optionalLevel(table.level(90))},
        {QStringLiteral("records"), double(m_run.count())},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray levelMessage(const QDateTime& time, double levelDb, const QString& levelText)
{
    const QJsonObject o{
        {QStringLiteral("time"), isoText(time)},
        {QStringLiteral("level"), tenth(levelDb)},
        {QStringLiteral("marked"), levelText.endsWith(QLatin1Char('*'))},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace kirv::monitor
