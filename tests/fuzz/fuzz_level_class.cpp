// LIBS: kirv_analysis_core
// Random level texts (one per line) into the distribution and the exceedance table: no crash,
// every class inside the table, the byte and text readers agree, and L(j) is never below
// L(j + 1).
#include "fuzz_check.h"
#include "kirv/analysis/exceedance.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdlib>

using namespace kirv;

namespace {

void checkResolution(const QList<QByteArrayView>& lines, Resolution r)
{
    for (const QByteArrayView line : lines) {
        const auto fromBytes = levelClass(line, r);
        check(!fromBytes || (*fromBytes >= 0 && *fromBytes <= topClass(r)));
        if (line.isValidUtf8())
            check(levelClass(QStringView(QString::fromUtf8(line)), r) == fromBytes);
    }
    const LevelDistribution d = distribute(std::span<const QByteArrayView>(lines), r);
    check(d.counted + d.leftOut == lines.size());
    const ExceedanceTable table = exceedance(d);
    for (int j = 0; j < ExceedanceTable::Entries; ++j) {
        check(table.classes[size_t(j)].has_value() == (d.counted > 0));
        if (j + 1 < ExceedanceTable::Entries && d.counted > 0)
            check(*table.classes[size_t(j)] >= *table.classes[size_t(j + 1)]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArrayView> lines;
    for (qsizetype at = 0; at <= bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        lines << QByteArrayView(bytes).sliced(at, end - at);
        at = end + 1;
    }
    checkResolution(lines, Resolution::Fine);
    checkResolution(lines, Resolution::Coarse);
    return 0;
}
