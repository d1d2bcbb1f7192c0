// LIBS: kirv_records_core
// Random bytes into the data file reader: no crash, no hang, and whatever it read survives a
// write and a second read unchanged.
#include "kirv/records/datafile.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

using namespace kirv;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void readWriteRead(const QByteArray& bytes)
{
    QByteArray input = bytes;
    QBuffer device(&input);
    qsizetype last = -1;
    const DataFileContent first = readDataFile(device, [&last](qsizetype n) { last = n; }, 7);
    check(first.ok());
    check(first.headerLines.size() <= headerLineCount(first.kind));
    if (first.headerLines.size() < headerLineCount(first.kind) || first.records.isEmpty())
        return;
    check(last >= first.records.count() - 1);

    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    check(writeLines(out, first.headerLines));
    check(WriteRecordRows(out, first.records, first.records.count()));
    out.close();

    const DataFileContent second = parseDataFile(written);
    check(second.kind == first.kind && second.headerLines == first.headerLines);
    check(second.records.count() == first.records.count() && second.stoppedAtLine == 0);
    for (qsizetype i = 0; i < first.records.count(); ++i)
        for (int column = 0; column < RecordColumnCount; ++column)
            check(second.records.field(i, column) == first.records.field(i, column));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    readWriteRead(bytes);
    // Most random first lines make a plain list; behind a real header the bytes reach the
    // header and record paths of the other kinds too.
    readWriteRead("Real Time\r\n" + bytes);
    readWriteRead(QByteArray("Data Logger\n").repeated(15) + bytes);
    return 0;
}
