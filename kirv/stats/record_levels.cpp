#include "kirv/stats/record_levels.h"

#include <algorithm>

namespace kirv {

LevelDistribution distribute(const RecordStore& records, Resolution resolution,
                             const Progress& progress)
{
    LevelCounter counter(resolution);
    const qsizetype n = records.count();
    for (qsizetype done = 0; done < n;) {
        const qsizetype end = std::min(n, done + LevelProgressStride);
        for (; done < end; ++done)
            counter.add(records.field(done, LevelColumn));
        if (progress)
            progress(done);
    }
    return counter.take();
}

} // namespace kirv
