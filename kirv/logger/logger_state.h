#pragma once

#include "kirv/logger/logger_memory.h"

#include <QString>

namespace kirv {

// What the logger windows share: whether `Memory` is open, the sets of the last download, the
// interval of the set on show, and the classes of the set's maximum and fourth level that the
// statistics take over.
struct LoggerState
{
    bool LoggerOpen = false;
    logger::LoggerSets LoggerSets;
    QByteArray Dump;     // the last download as received, byte for byte
    qint64 DumpLength = 0; // the length its pointer announced
    int SetInterval = 0;
    QString StatHighClass;
    QString StatLowClass;
};

LoggerState& loggerState();

} // namespace kirv
