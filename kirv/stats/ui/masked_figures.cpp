#include "kirv/stats/ui/masked_figures.h"

#include "kirv/output/analysis_format.h"
#include "kirv/stats/ui/file_analysis.h"

namespace kirv {

MaskedFigures::MaskedFigures(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("LblMasked"));
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setToolTip(QStringLiteral("The figures without the masked spans, beside the whole file's"));
    setAccessibleDescription(toolTip());
    hide();
}

void MaskedFigures::follow(FileAnalysis* analysis)
{
    if (m_analysis)
        disconnect(m_analysis, nullptr, this, nullptr);
    m_analysis = analysis;
    if (analysis)
        connect(analysis, &FileAnalysis::masksChanged, this, &MaskedFigures::refresh);
    refresh();
}

void MaskedFigures::refresh()
{
    if (!m_analysis || !m_analysis->masked()) {
        clear();
        hide();
        return;
    }
    setText(maskedFiguresText(figureSummaryOf(m_analysis->series(), m_analysis->interval()),
                              figureSummaryOf(m_analysis->whole(), m_analysis->interval()),
                              qsizetype(m_analysis->spans().size())));
    show();
}

} // namespace kirv
