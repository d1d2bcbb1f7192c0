#pragma once

#include "kirv/plots/axis_format.h"

#include <qcustomplot.h>

namespace kirv {

/// Ticker that places ticks on steps its number format can show and writes the labels with
/// formatAxisValue, so "*.1" on an axis of tenths reads 60.0, 60.5, 61.0 ...
class FormatTicker : public QCPAxisTicker
{
public:
    explicit FormatTicker(AxisNumberFormat format = AxisNumberFormat::General);

    AxisNumberFormat format() const { return m_format; }
    void setFormat(AxisNumberFormat format) { m_format = format; }

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

private:
    AxisNumberFormat m_format;
};

} // namespace kirv
