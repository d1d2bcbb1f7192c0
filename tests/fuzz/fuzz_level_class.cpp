// LIBS: kirv_stats_core
// Random level texts (one per line) into the distribution and the exceedance table: no crash,
// every class inside the table, the byte and text readers agree, and L(j) is never below
// L(j + 1).
#include "tests/fuzz/fuzz_check.h"
#include "kirv/stats/exceedance.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>

#include <cstdint>
#include <cstdlib>

using namespace kirv;

namespace {

void checkResolution(const QList<QByteArrayView>& lines, Resolution r)
{
    for (const QByteArrayView line : lines) {
        const auto fromBytes = levelClass(line, r);
        check(!fromBytes || (*fromBytes >= 0 && *fromBytes <= topClass(r)));
        // The same characters as text, a byte order mark kept (fromUtf8() would drop it).
        if (line.isValidUtf8()) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
            const QString text = decoder.decode(line);
            check(levelClass(QStringView(text), r) == fromBytes);
        }
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
