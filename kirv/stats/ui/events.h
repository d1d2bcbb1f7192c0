#pragma once

#include "kirv/stats/level_events.h"
#include "kirv/stats/ui/analysis_table.h"

#include <QPointer>

class QDoubleSpinBox;

namespace kirv {

class FileAnalysis;

/// "Events": the spans where the level reached a limit L and stayed at or above L - H for at
/// least D seconds, each with its start, end, duration, Lmax and its time, Leq and SEL. A click on
/// a row asks for the event in the plot. It follows the list's masks.
class Events : public AnalysisTable
{
    Q_OBJECT

public:
    static constexpr const char* Caption = "Events";

    Events(FileAnalysis& analysis, const QString& fileTitle, QWidget* parent);

    QDoubleSpinBox* SpnLimit = nullptr;
    QDoubleSpinBox* SpnDuration = nullptr;
    QDoubleSpinBox* SpnHysteresis = nullptr;

    EventRule rule() const;
    const std::vector<LevelEvent>& events() const { return m_events; }
    void refresh();
    void GridTable_Click(int row);

signals:
    /// The user chose an event; the plot shows it.
    void eventChosen(const kirv::LevelEvent& event);

protected:
    QByteArray csv() const override;

private:
    QPointer<FileAnalysis> m_analysis;
    std::vector<LevelEvent> m_events;
};

} // namespace kirv
