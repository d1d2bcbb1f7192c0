#pragma once

#include "kirv/widgets/graph.h"

#include <benchmark/benchmark.h>
#include <qcustomplot.h>

namespace bench {

// One redraw of a graph a step further on: a pan (the range shifted by a twentieth) or a zoom
// (the range halved about its middle, back to the whole once under 100 records), for the
// records 1..n.
inline void panOrZoomRedraws(benchmark::State& state, kirv::Graph* g, double n, bool zoom)
{
    double lower = 1, upper = n;
    for (auto _ : state) {
        if (zoom) {
            const double mid = (lower + upper) / 2, half = (upper - lower) / 4;
            lower = mid - half, upper = mid + half;
            if (upper - lower < 100)
                lower = 1, upper = n;
        } else {
            const double shift = (upper - lower) / 20;
            lower += shift, upper += shift;
        }
        g->setAxisRange(kirv::Graph::Axis::X, lower, upper);
        g->plot()->replot(QCustomPlot::rpImmediateRefresh);
    }
}

} // namespace bench
