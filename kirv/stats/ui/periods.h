#pragma once

#include "kirv/stats/period_table.h"
#include "kirv/stats/ui/analysis_table.h"

#include <QPointer>

class QComboBox;

namespace kirv {

class FileAnalysis;

/// "Periods": one row per clock-aligned period of a list (1, 5, 15, 30 or 60 minutes, or a
/// day) with its records, Leq, Lmax, Lmin, L10, L50 and L90, and for days Ld, Le, Ln and Lden
/// with their coverage; under the table the list's Leq, Lmax and L90 (beside the whole file's
/// when spans are masked), LEX,8h and the OSHA and NIOSH doses. It follows the list's masks.
class Periods : public AnalysisTable
{
    Q_OBJECT

public:
    static constexpr const char* Caption = "Periods";
    static constexpr int DefaultMinutes = 60;

    Periods(FileAnalysis& analysis, const QString& fileTitle, QWidget* parent);

    QComboBox* CboLength = nullptr;

    int minutes() const;
    const std::vector<PeriodRow>& rows() const { return m_rows; }
    /// Computes the table and the summary again from the list's masked series.
    void refresh();

protected:
    QByteArray csv() const override;

private:
    QPointer<FileAnalysis> m_analysis;
    std::vector<PeriodRow> m_rows;
};

} // namespace kirv
