#include "kirv/records/ui/open_command.h"

#include "kirv/plots/ui/level_statistics_command.h"
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
#include "kirv/records/ui/panel_recording.h"
#include "kirv/stats/ui/plot_analysis.h"

namespace kirv {

FileViews::FileViews(Panel& panel, std::function<bool()> recording)
    : QObject(&panel), m_panel(panel), m_recording(std::move(recording))
{
}

QPointer<FileList>& FileViews::slot(FileList::Kind kind)
{
    return kind == FileList::Kind::Logger ? m_logger : m_realTime;
}

FileList* FileViews::view(FileList::Kind kind) const
{
    return kind == FileList::Kind::Logger ? m_logger.data() : m_realTime.data();
}

void FileViews::Open_Click()
{
    if (m_busy)
        return;
    if (m_recording && m_recording()) {
        showCritical(&m_panel, QString::fromLatin1(RecordingModeText));
        return;
    }
    const QString path =
        Dialogs::instance().openFileName(&m_panel, QString::fromLatin1(DataFileFilter));
    if (!path.isEmpty())
        openDataFile(path);
}

FileList* FileViews::openDataFile(const QString& path)
{
    // The reading serves window events; a second "Open" meanwhile is not started.
    if (m_busy)
        return nullptr;
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
    QPointer<FileList>& target = slot(kind);
    if (target) {
        // A view in the middle of a print closes itself once the print has stopped.
        target->close();
        if (!target->printing())
            delete target.data();
    }
    auto* view = new FileList(kind, &m_panel, &m_panel);
    target = view;
    view->setWindowTitle(fileTitle(path));
    view->showHeader(content.headerLines);
    view->setRecords(std::move(content.records));
    view->placeBeside(&m_panel);
    view->show();
    FileAnalysis* analysis =
        attachFileAnalysis(view, path, view->records().store(), content.headerLines);
    analysis->setPlotter([list = QPointer<FileList>(view)]() -> Plot* {
        return list ? PlotRecordList(list->records(), list->panel()) : nullptr;
    });
    emit viewOpened(view);
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
    QObject::connect(views, &FileViews::viewOpened, views, [panel](FileList* view) {
        QObject::connect(view, &FileList::plotRequested, view,
                         [panel, view] { showAnalysisInPlot(PlotRecordList(view->records(), panel), view); });
        QObject::connect(view, &FileList::levelStatisticsRequested, view, [panel, view](bool fine) {
            showMaskedLevelStatistics(view, view->records(), fine, panel);
        });
        QObject::connect(view, &FileList::analysisRequested, view,
                         [view](const QString& key) { showAnalysisWindow(view, key); });
    });
    parts.toolbar->setCommand(QStringLiteral("Open"), [views] { views->Open_Click(); });
}

} // namespace kirv
