// LIBS: kirv_output_core
// Random bytes into the report values and their JSON form: no crash, no hang, counts that add
// up, shares between 0 and 1, and JSON that parses back with one object per file.
#include "tests/fuzz/fuzz_check.h"
#include "kirv/output/report_format.h"
#include "kirv/stats/report_values.h"
#include "kirv/base/civil_time.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

using namespace kirv;

namespace {

void report(const QByteArray& file, int periodMinutes)
{
    const ReportValues v = computeReport("f", parseDataFile(file), periodMinutes);
    check(v.counted + v.paused + v.empty + v.unreadable == v.records && v.interval >= 1);
    check(v.complete == (v.unreadLines == 0));
    for (const double share : {v.coverageDay, v.coverageEvening, v.coverageNight})
        check(share >= 0.0 && share <= 1.0);
    check(v.lden.has_value() == (v.ld && v.le && v.ln));
    qint64 inPeriods = 0;
    for (const PeriodLevel& p : v.periods)
        inPeriods += p.records;
    check(inPeriods <= v.counted);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(reportJson({v}), &error);
    check(error.error == QJsonParseError::NoError && json.array().size() == 1);
    const ReportSeries series = computeReportSeries(parseDataFile(file), 7);
    check(series.columns.size() <= 7);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const int period = size > 0 ? 1 + data[0] * 7 : 15;
    report(bytes, period);
    report("Real Time\r\n" + bytes, period);

    // The same bytes as readable records: times that step forward, back and over midnight,
    // levels of any class, marks, and the interval taken from the first bytes.
    QByteArray file = "Data Logger\r\n" + bytes.left(4) + "\r\n" +
                      QByteArray("x\r\n").repeated(12) + "No.s\tDate Time\tdB\t\r\n";
    qint64 seconds = 0;
    for (size_t i = 0; i + 2 < size; i += 3) {
        seconds += (data[i] - 64) * 613;
        const qint64 at = 1717200000 + seconds; // 2024/06/01
        file += QByteArray::number(i) + '\t' + civilTimeText(at).toLatin1() + '\t' +
                QByteArray::number(data[i + 1] * 0.7, 'f', 1) + (data[i + 2] & 1 ? "*" : "") +
                (data[i + 2] & 2 ? "-" : "") + "\t\r\n";
    }
    report(file, period);
    return 0;
}
