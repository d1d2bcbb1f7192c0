#include "kirv/records/ui/open_command.h"

#include "kirv/plots/ui/level_statistics_command.h"
#include "kirv/plots/ui/plot.h"
#include "kirv/plots/ui/plot_record_list.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/panel/ui/panel_parts.h"
#include "kirv/panel/ui/panel_toolbar.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/records/datafile.h"
#include "kirv/records/filenames.h"
#include "kirv/widgets/busy.h"
#include "kirv/panel/ui/panel_timers.h"
#include "kirv/stats/ui/analysis_windows.h"
#include "kirv/stats/ui/file_analysis.h"
#include "kirv/records/ui/details_window.h"
#include "kirv/records/ui/panel_recording.h"
#include "kirv/records/ui/plot_notes.h"
#include "kirv/records/ui/view_compare.h"
#include "kirv/stats/ui/plot_analysis.h"
#include "kirv/widgets/placement.h"

#include <QDir>
#include <QFileInfo>

namespace kirv {

namespace {

// A second view opens this far right of and below the view opened last, so that it never
// covers that one exactly.
constexpr int CascadeStep = 32;

// The name a file is known by whatever way its path was written; a path that names no file
// keeps its absolute spelling.
QString canonicalPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

FileViews::FileViews(Panel& panel, std::function<bool()> recording)
    : QObject(&panel), m_panel(panel), m_recording(std::move(recording))
{
}

QList<FileList*> FileViews::views() const
{
    QList<FileList*> open;
    for (const OpenView& v : m_views)
        if (v.widget)
            open.append(v.window());
    return open;
}

FileList* FileViews::view(FileList::Kind kind) const
{
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it)
        if (it->widget && it->window()->kind() == kind)
            return it->window();
    return nullptr;
}

FileList* FileViews::viewOf(const QString& path) const
{
    const QString key = canonicalPath(path);
    for (const OpenView& v : m_views)
        if (v.widget && v.path == key)
            return v.window();
    return nullptr;
}

OpenViews FileViews::openViews()
{
    return [views = QPointer<FileViews>(this)] {
        return views ? views->views() : QList<FileList*>();
    };
}

QString FileViews::pathOf(const FileList* view) const
{
    for (const OpenView& v : m_views)
        if (v.widget && v.widget == view)
            return v.path;
    return {};
}

void FileViews::Open_Click()
{
    if (m_busy)
        return;
    if (m_recording && m_recording()) {
        showCritical(&m_panel, QString::fromLatin1(RecordingModeText));
        return;
    }
    const QStringList paths =
        Dialogs::instance().openFileNames(&m_panel, QString::fromLatin1(DataFileFilter));
    const QPointer<Panel> panel(&m_panel);
    for (const QString& path : paths) {
        if (!panel)
            return;
        openDataFile(path);
    }
}

void FileViews::place(FileList* view)
{
    const QList<FileList*> open = views();
    const FileList* last = open.isEmpty() ? nullptr : open.last();
    if (last && last != view && last->isVisible())
        placeWindow(view, last->frameGeometry().topLeft() + QPoint(CascadeStep, CascadeStep));
    else
        view->placeBeside(&m_panel);
}

FileList* FileViews::openDataFile(const QString& path)
{
    // The reading serves window events; a second "Open" meanwhile is not started.
    if (m_busy)
        return nullptr;
    if (FileList* open = viewOf(path)) {
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }
    m_busy = true;
    DataFileContent content;
    {
        CaptionProgress caption(&m_panel);
        PanelTimersOff timers(&m_panel);
        content = readDataFile(path, caption.rows(QStringLiteral(" Records Completed")));
    }
    m_busy = false;
    if (!content.ok()) {
        showCritical(&m_panel, content.error);
        return nullptr;
    }
    if (content.lineCount == 0)
        return nullptr; // an empty file names no kind: no view opens

    const FileList::Kind kind =
        content.kind == DataFileKind::Logger ? FileList::Kind::Logger : FileList::Kind::RealTime;
    auto* view = new FileList(kind, &m_panel, &m_panel);
    view->setWindowTitle(fileTitle(path));
    view->showHeader(content.headerLines);
    view->setRecords(std::move(content.records));
    place(view);
    std::erase_if(m_views, [](const OpenView& v) { return !v.widget; });
    m_views.push_back({canonicalPath(path), view});
    // A window being destroyed may not have cleared its guards yet: it is named.
    connect(view, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(m_views, [gone](const OpenView& v) { return !v.widget || v.widget == gone; });
        emit viewsChanged();
    });
    view->show();
    FileAnalysis* analysis =
        attachFileAnalysis(view, path, view->records().store(), content.headerLines);
    analysis->setPlotter([list = QPointer<FileList>(view), open = openViews()]() -> Plot* {
        return plotOfView(list, open);
    });
    emit viewOpened(view);
    emit viewsChanged();
    // The list keeps the records before the line that stopped the reading; the user hears
    // that the file holds more than the list shows.
    const QPointer<FileList> shown(view);
    if (!content.complete())
        showMessage(view, content.stopNotice(path), QMessageBox::Warning);
    return shown.data();
}

void attachFileCommands(PanelParts& parts)
{
    PanelRecording* recording = parts.recording;
    Panel* panel = parts.panel;
    auto* views =
        new FileViews(*panel, [recording] { return recording && recording->recording(); });
    views->setObjectName(QStringLiteral("FileViews"));
    parts.files = views;
    // A view's "Plot" and its resolution buttons lead to the analysis windows.
    QObject::connect(views, &FileViews::viewsChanged, views,
                     [views] { offerComparisons(views->views()); });
    QObject::connect(views, &FileViews::viewOpened, views, [views, panel](FileList* view) {
        QObject::connect(view, &FileList::plotRequested, view, [views, view] {
            Plot* plot = plotOfView(view, views->openViews());
            showAnalysisInPlot(plot, view);
            if (plot)
                PlotNotes::attach(*plot, views->pathOf(view), view->records().store());
        });
        QObject::connect(view, &FileList::levelStatisticsRequested, view, [panel, view](bool fine) {
            showMaskedLevelStatistics(view, view->records(), fine, panel);
        });
        QObject::connect(view, &FileList::analysisRequested, view,
                         [view](const QString& key) { showAnalysisWindow(view, key); });
        QObject::connect(view, &FileList::detailsRequested, view, [views, view] {
            DetailsWindow* details = DetailsWindow::open(views->pathOf(view), view);
            if (!details)
                return;
            // Notes changed there show on the view's plot at once.
            QObject::connect(details, &DetailsWindow::saved, view, [view] {
                if (Plot* plot = plotOf(view))
                    if (auto* notes = plot->findChild<PlotNotes*>())
                        notes->draw(); // twice for a window asked twice: the same drawing
            });
        });
    });
    parts.toolbar->setCommand(QStringLiteral("Open"), [views] { views->Open_Click(); });
}

} // namespace kirv
