// LIBS: kirv_plots_core
// Random level texts (one per line) into the time plot's values: one value per record, every
// drawn level the same number the file readers take from the text, pauses in order.
#include "tests/fuzz/fuzz_check.h"
#include "kirv/base/numbertext.h"
#include "kirv/plots/plot_series.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace kirv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> levels =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n');
    PlotSeriesBuilder builder;
    for (const QByteArray& level : levels)
        builder.add(level);
    const PlotSeries series = builder.finish();

    check(series.y.size() == std::size_t(levels.size()));
    for (std::size_t i = 0; i < series.y.size(); ++i) {
        const QByteArray& text = levels[qsizetype(i)];
        const double y = series.y[i];
        check(!std::isnan(y));
        if (text.contains("--"))
            check(y == PlotNoLevel);
        else if (y != PlotOverLevel)
            check(y == numericValue(QString::fromUtf8(text)));
    }
    qsizetype after = 0; // pauses follow each other; only the last may run to the end
    for (std::size_t j = 0; j < series.pauses.size(); ++j) {
        const PlotPause& pause = series.pauses[j];
        check(pause.start > after && pause.start <= qsizetype(levels.size()));
        check(pause.end == 0 ? j + 1 == series.pauses.size() : pause.end > pause.start);
        after = pause.end;
    }
    return 0;
}
