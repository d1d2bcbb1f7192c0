// LIBS: kirv_output_core
// Random bytes into the data file reader: no crash, no hang, and whatever it read survives a
// write and a second read unchanged. The streaming series reader reads the same records and
// stops at the same line, and the line splitting gives the same lines however the bytes are cut
// into blocks.
#include "tests/fuzz/fuzz_check.h"
#include "kirv/records/datafile.h"
#include "kirv/records/level_series.h"
#include "kirv/base/line_splitter.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace kirv;

namespace {

QList<QByteArray> linesOf(QByteArrayView bytes, qsizetype block)
{
    QList<QByteArray> lines;
    LineSplitter splitter;
    const auto take = [&lines](QByteArrayView line) {
        lines.append(line.toByteArray());
        return true;
    };
    for (qsizetype at = 0; at < bytes.size(); at += block)
        splitter.feed(bytes.sliced(at, std::min(block, bytes.size() - at)), take);
    splitter.finish(take);
    return lines;
}

void sameReading(const QByteArray& bytes, const DataFileContent& list)
{
    const DataFileSeries series = parseDataFileSeries(bytes);
    check(qsizetype(series.samples.size()) == list.records.count());
    check(series.kind == list.kind && series.headerLines == list.headerLines);
    check(series.lineCount == list.lineCount && series.stoppedAtLine == list.stoppedAtLine);
    check(series.unreadLines == list.unreadLines && series.stopText == list.stopText);
    check(series.complete() == (series.unreadLines == 0));
    for (size_t i = 0; i < series.samples.size(); ++i)
        check(series.samples[i].tenths >= 0 && series.samples[i].tenths <= 1450);

    const QList<QByteArray> whole = linesOf(bytes, std::max<qsizetype>(bytes.size(), 1));
    for (const qsizetype block : {1, 2, 3, 7})
        check(linesOf(bytes, block) == whole);
    for (const QByteArray& line : whole)
        check(!line.contains('\r') && !line.contains('\n'));
}

void readWriteRead(const QByteArray& bytes)
{
    QByteArray input = bytes;
    QBuffer device(&input);
    qsizetype last = -1;
    const DataFileContent first = readDataFile(device, [&last](qsizetype n) { last = n; }, 7);
    check(first.ok());
    sameReading(bytes, first);
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
    // CR-only and mixed line ends around records.
    readWriteRead(QByteArray("No.s\tDate Time\tdB\t\r1\t2009/03/04 08:00:01\t88.0\t\r") + bytes);
    return 0;
}
