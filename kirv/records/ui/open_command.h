#pragma once

#include "kirv/records/ui/file_list.h"
#include "kirv/records/ui/view_compare.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

namespace kirv {

class Panel;
struct PanelParts;

/// The main toolbar's "Open" and the file views it fills: one view per data file, each with
/// its own plot, histogram, analysis windows and masks. Opening a file that is open already
/// (the same file by its canonical path) brings its view forward instead of opening it again.
class FileViews : public QObject
{
    Q_OBJECT

public:
    /// `recording` tells whether a recording to file runs (then "Open" only warns).
    FileViews(Panel& panel, std::function<bool()> recording);

    /// The view of a kind opened last that is still open, or null.
    FileList* view(FileList::Kind kind) const;
    /// The open views, in the order they were opened.
    QList<FileList*> views() const;
    /// The open view of the data file `path` (any spelling of its path), or null.
    FileList* viewOf(const QString& path) const;
    /// views() as long as this lives, empty after.
    OpenViews openViews();
    /// The canonical path a view is known by; empty for a window that is no open view.
    QString pathOf(const FileList* view) const;

    /// Toolbar "Open": the warning while recording, otherwise the open dialog and the reading of
    /// every file chosen.
    void Open_Click();
    /// Reads the data file `path` into a view of its own with the main window's timers off and
    /// the progress in the main window's caption; a file open already has its view raised and
    /// activated instead. Returns the view, or null when the file is empty or could not be read
    /// (a message names the file and the reason).
    FileList* openDataFile(const QString& path);

signals:
    /// A view was opened and filled; the analysis commands connect to its requests here.
    void viewOpened(kirv::FileList* view);
    /// A view was opened or closed.
    void viewsChanged();

private:
    struct OpenView
    {
        QString path; // canonical
        // Held as a widget: while a view is destroyed it is no FileList any more, and the
        // list is asked about it then.
        QPointer<QWidget> widget;
        FileList* window() const { return widget ? static_cast<FileList*>(widget.data()) : nullptr; }
    };

    void place(FileList* view);

    Panel& m_panel;
    std::function<bool()> m_recording;
    std::vector<OpenView> m_views; // in opening order; closed views drop out as they go
    bool m_busy = false;
};

/// Registers the main toolbar's "Open" (the file views live as long as the main window).
void attachFileCommands(PanelParts& parts);

} // namespace kirv
