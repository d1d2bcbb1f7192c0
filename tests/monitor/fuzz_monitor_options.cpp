// LIBS: kirv_monitor
// Random command-line texts into the monitor's parsers: no crash, and what they accept is in
// range and round-trips through a CSV line and a topic unharmed.
#include "monitor/monitor_options.h"

#include <cstdint>
#include <cstdlib>

using namespace kirv::monitor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto spec = parseAlarmSpec(text)) {
        if (spec->level < 0 || spec->level > 200 || spec->seconds < 1 || spec->seconds > 86400
            || spec->name.contains(QLatin1Char(',')) || spec->name.contains(QLatin1Char('/')))
            std::abort();
    }
    if (const auto hp = parseHostPort(text)) {
        if (hp->host.isEmpty() || hp->port < 0 || hp->port > 65535)
            std::abort();
    }
    if (isStationName(text) && (text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('#'))
                                || text.contains(QLatin1Char('+')) || text.startsWith(QLatin1Char('.'))))
        std::abort();
    parseMonitorOptions({QStringLiteral("kirv-monitor"), QStringLiteral("--alarm"), text,
                         QStringLiteral("--mqtt"), text});
    return 0;
}
