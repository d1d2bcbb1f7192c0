// LIBS: kirv_meter_core
// Random bytes as the meter's answers to "J" and "I" and as a typed sampling answer: no crash,
// and every result stays in its range and shape.
#include "tests/fuzz/fuzz_check.h"
#include "kirv/meter/meter_clock_exchange.h"
#include "kirv/meter/meter_settings.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

using namespace kirv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray answer = skipLeadingFrames(bytes);
    check(answer.size() <= bytes.size() && bytes.endsWith(answer));
    if (answer.size() >= ClockReplySize) {
        const QString text = meterClockText(answer.left(ClockReplySize));
        check(text.size() == 19 && text.startsWith(QLatin1String("20")) && text[4] == u'/' &&
              text[13] == u':');
    }
    for (int maximum : {255, 86400}) {
        for (const QString& typed : {QString::fromLatin1(bytes), QString::fromUtf8(bytes)}) {
            if (const auto seconds = samplingAnswerSeconds(typed, maximum))
                check(*seconds >= 1 && *seconds <= maximum);
        }
    }
    return 0;
}
