#include "kirv/records/ui/view_compare.h"

#include "kirv/panel/ui/panel.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_compare.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/records/ui/file_list.h"
#include "kirv/stats/ui/compare_choice.h"
#include "kirv/stats/ui/plot_comparison.h"

#include <QPointer>

namespace kirv {

namespace {

constexpr const char* WiredProperty = "kirvCompareWired";

} // namespace

Plot* plotOfView(FileList* view, const OpenViews& openViews)
{
    Plot* plot = view ? PlotRecordList(view->records(), view->panel(), view) : nullptr;
    if (!plot)
        return nullptr;
    if (!plot->property(WiredProperty).toBool()) {
        plot->setProperty(WiredProperty, true);
        QObject::connect(plot->Compare, &PlotCompare::compareAsked, plot,
                         [openViews, view, plot] { chooseComparison(view, plot, openViews()); });
    }
    plot->Compare->setAvailable(openViews().size() > 1);
    return plot;
}

void offerComparisons(const QList<FileList*>& open)
{
    for (FileList* view : open)
        if (Plot* plot = plotOf(view))
            plot->Compare->setAvailable(open.size() > 1);
}

QWidget* chooseComparison(FileList* view, Plot* plot, const QList<FileList*>& open)
{
    QList<QPointer<FileList>> others;
    QStringList names;
    for (FileList* other : open)
        if (other != view) {
            others.append(other);
            names.append(other->windowTitle());
        }
    if (others.isEmpty() || !plot)
        return nullptr;
    auto* choice = new CompareChoice(view->windowTitle(), names, plot);
    QObject::connect(choice, &CompareChoice::chosen, plot,
                     [plot, list = QPointer<FileList>(view), others](int index) {
                         if (list && others.value(index))
                             compareInPlot(*plot, *list, *others.value(index));
                     });
    choice->open();
    return choice;
}

} // namespace kirv
