// LIBS: kirv_records_core
// Random bytes as a masks sidecar: no crash, no hang; spans come only whole (ordered, apart,
// start before end) or not at all with a reason, and the written text parses back the same.
#include "fuzz_check.h"
#include "kirv/records/level_masks.h"

#include <cstdint>
#include <cstdlib>

using namespace kirv;

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
    const MasksParse again = parseMasks(masksText(spans));
    check(again.spans.has_value() && again.spans->size() == spans.size());
    for (size_t i = 0; i < spans.size(); ++i)
        check(again.spans->at(i).start == spans[i].start && again.spans->at(i).end == spans[i].end);
    return 0;
}
