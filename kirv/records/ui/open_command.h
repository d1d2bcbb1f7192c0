#pragma once

#include "kirv/records/ui/file_list.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace kirv {

class Panel;
struct PanelParts;

/// The main toolbar's "Open" and the two file views it fills. Opening a file of the kind a view
/// already shows closes that view and opens it anew, so a view never mixes two files;
/// `FileList` and `FileListReal` are independent of each other.
class FileViews : public QObject
{
    Q_OBJECT

public:
    /// `recording` tells whether a recording to file runs (then "Open" only warns).
    FileViews(Panel& panel, std::function<bool()> recording);

    /// The open view of a kind, or null.
    FileList* view(FileList::Kind kind) const;

    /// Toolbar "Open": the warning while recording, otherwise the open dialog and the reading.
    void Open_Click();
    /// Reads the data file `path` into its view with the main window's timers off and the
    /// progress in the main window's caption. Returns the view, or null when the file is empty
    /// or could not be read (a message names the file and the reason).
    FileList* openDataFile(const QString& path);

signals:
    /// A view was opened and filled; the analysis commands connect to its requests here.
    void viewOpened(kirv::FileList* view);

private:
    QPointer<FileList>& slot(FileList::Kind kind);

    Panel& m_panel;
    std::function<bool()> m_recording;
    QPointer<FileList> m_logger;
    QPointer<FileList> m_realTime;
    bool m_busy = false;
};

/// Registers the main toolbar's "Open" (the file views live as long as the main window).
void attachFileCommands(PanelParts& parts);

} // namespace kirv
