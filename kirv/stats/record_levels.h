#pragma once

#include "kirv/stats/exceedance.h"
#include "kirv/base/progress.h"
#include "kirv/records/recordstore.h"

namespace kirv {

/// Records between two progress reports of distribute(): small enough for a live caption, large
/// enough that the reports cost nothing next to the counting.
inline constexpr qsizetype LevelProgressStride = 4096;

/// The level distribution of the level column of `records` (RecordList::store() for a list).
/// `progress`, when given, hears the number of records done every LevelProgressStride records
/// and once at the end.
LevelDistribution distribute(const RecordStore& records, Resolution resolution,
                             const Progress& progress = {});

} // namespace kirv
