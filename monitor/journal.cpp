#include "monitor/journal.h"

#include <cstdio>

namespace kirv::monitor {

void say(const QString& line)
{
    const QByteArray text = line.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace kirv::monitor
