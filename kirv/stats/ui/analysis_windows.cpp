#include "kirv/stats/ui/analysis_windows.h"

#include "kirv/widgets/placement.h"

#include "kirv/plots/ui/level_statistics_command.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/records/recordlist.h"
#include "kirv/stats/ui/events.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/stats/ui/masked_figures.h"
#include "kirv/stats/ui/periods.h"
#include "kirv/stats/ui/plot_analysis.h"

namespace kirv {

FileAnalysis* attachFileAnalysis(QWidget* listWindow, const QString& dataPath,
                                 const RecordStore& records, const QStringList& headerLines)
{
    auto* analysis =
        new FileAnalysis(dataPath, seriesOf(records), intervalOfHeader(headerLines), listWindow);
    if (auto* line = listWindow->findChild<MaskedFigures*>())
        line->follow(analysis);
    if (!analysis->loadError().isEmpty()) {
        showMessage(listWindow, analysis->loadError() + QStringLiteral("\nThe masks are ignored."),
                    QMessageBox::Warning, QString::fromLatin1(AppTitle));
    }
    return analysis;
}

QWidget* showAnalysisWindow(QWidget* listWindow, const QString& key)
{
    FileAnalysis* analysis = FileAnalysis::of(listWindow);
    if (!analysis)
        return nullptr;
    QWidget* window = listWindow->findChild<QWidget*>(key, Qt::FindDirectChildrenOnly);
    if (!window) {
        if (key == QLatin1String("Periods"))
            window = new Periods(*analysis, listWindow->windowTitle(), listWindow);
        else if (key == QLatin1String("Events")) {
            auto* events = new Events(*analysis, listWindow->windowTitle(), listWindow);
            QObject::connect(events, &Events::eventChosen, listWindow,
                             [listWindow](const LevelEvent& e) { showEventInPlot(listWindow, e); });
            window = events;
        } else
            return nullptr;
        placeBeside(window, listWindow); // beside its list, whole on the screen
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void showMaskedLevelStatistics(QWidget* listWindow, const RecordList& records, bool fine,
                               Panel* panel)
{
    const FileAnalysis* analysis = FileAnalysis::of(listWindow);
    if (!analysis || !analysis->masked()) {
        showLevelStatistics(listWindow, records, fine, panel);
        return;
    }
    RecordList unmasked;
    unmasked.append(analysis->unmaskedRecords(records.store()));
    showLevelStatistics(listWindow, unmasked, fine, panel);
}

} // namespace kirv
