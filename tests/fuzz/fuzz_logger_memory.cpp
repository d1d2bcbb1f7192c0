// LIBS: kirv_logger_core
// Random memory images into the set walk and the set decoder: no crash, no hang, no read
// outside the image; the sets found lie end to end inside the stored data and, with the bytes
// left unread, account for all of it.
#include "tests/fuzz/fuzz_check.h"
#include "kirv/logger/logger_memory.h"
#include "kirv/logger/logger_set.h"
#include "kirv/base/civil_time.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

using namespace kirv;
using namespace kirv::logger;

namespace {

void walkAndDecode(const QByteArray& dump, qint64 length)
{
    const LoggerSets sets = walkSets(dump, length);
    const qint64 stored = std::max<qint64>(0, std::min<qint64>(length, dump.size()) - 2);
    qint64 at = 0;
    for (qsizetype s = 1; s <= sets.count(); ++s) {
        const SetSpan& span = sets.sets[s - 1];
        check(span.offset == at && span.length >= SetOverhead + 2 && span.length % 2 == 0);
        at += span.length;
        check(at <= stored);
        const QByteArrayView set = sets.set(s);
        check(set.size() == span.length && set.startsWith(SetMarker));
        const SetBoards boards = decodeSetBoards(set, 2026);
        check(!boards.range.isEmpty());
        const QByteArrayView stamp = setTimestamp(set, StartStamp);
        RecordStore records;
        appendSetRecords(set, 0, 64, timestampTime(stamp, 2026), timestampText(stamp, 2026),
                         sets.interval(s), records);
        check(records.count() == std::min<qsizetype>(64, recordCountOf(set)));
    }
    check(at + sets.unreadBytes == stored);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    walkAndDecode(bytes, bytes.size());
    walkAndDecode(bytes, bytes.size() + 17); // a dump shorter than its pointer promised
    // Random bytes hardly ever hold a marker: read 0x7E as one, so that sets of every length,
    // odd-placed markers and damaged tails are walked too.
    QByteArray seeded;
    seeded.reserve(bytes.size() * 2);
    seeded.append(char(0xFF));
    for (char c : bytes)
        seeded += c == 0x7E ? SetMarker : QByteArray(1, c);
    walkAndDecode(seeded, seeded.size());
    return 0;
}
