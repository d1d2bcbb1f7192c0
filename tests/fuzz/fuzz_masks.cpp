// LIBS: kirv_output_core
// Random bytes as a masks sidecar: no crash, no hang; spans come only whole (ordered, apart,
// start before end) or not at all with a reason, and the written text parses back the same,
// also with a byte order mark, blanks for the "T"s and "Z" or "+00:00" after every time.
#include "tests/fuzz/fuzz_check.h"
#include "kirv/records/level_masks.h"

#include <cstdint>
#include <cstdlib>

using namespace kirv;

namespace {

// The same spans, notes aside (a written note loses the line ends typed in it).
bool sameSpans(const MasksParse& parse, const MaskSpans& spans)
{
    if (!parse.spans || parse.spans->size() != spans.size())
        return false;
    for (size_t i = 0; i < spans.size(); ++i)
        if (parse.spans->at(i).start != spans[i].start || parse.spans->at(i).end != spans[i].end)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const MasksParse parse = parseMasks(text);
    check(parse.spans.has_value() == parse.error.isEmpty());
    if (!parse.spans)
        return 0;
    const MaskSpans& spans = *parse.spans;
    for (size_t i = 0; i < spans.size(); ++i) {
        check(spans[i].start <= spans[i].end);
        check(i == 0 || spans[i - 1].end + 1 < spans[i].start);
    }
    if (!text.startsWith("\xEF\xBB\xBF")) {
        const MasksParse marked = parseMasks("\xEF\xBB\xBF" + text.toByteArray());
        check(marked.spans.has_value() && *marked.spans == spans);
    }
    const QByteArray written = masksText(spans);
    check(sameSpans(parseMasks(written), spans));
    // The times are the first 39 bytes of each written line: "date T time", a blank, again.
    QByteArray blanks, utc, zero;
    for (const QByteArray& line : written.split('\n')) {
        if (line.size() < 39)
            continue;
        QByteArray b = line;
        b[10] = b[30] = ' ';
        blanks += b + '\n';
        utc += line.first(19) + "Z " + line.sliced(20, 19) + 'Z' + line.sliced(39) + '\n';
        zero += line.first(19) + "+00:00 " + line.sliced(20, 19) + "+0000" + line.sliced(39) + '\n';
    }
    check(sameSpans(parseMasks(blanks), spans));
    const MasksParse inUtc = parseMasks(utc);
    const MasksParse inZero = parseMasks(zero);
    check(inUtc.error == inZero.error && inUtc.spans == inZero.spans);
    return 0;
}
