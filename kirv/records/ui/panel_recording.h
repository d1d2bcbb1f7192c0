#pragma once

#include "kirv/records/delayed_start.h"
#include "kirv/records/recordingfile.h"
#include "kirv/records/recordlist.h"
#include "kirv/records/sampling.h"

#include <limits>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kirv {

class Panel;
class RecordListView;

// The main window's one-second tick and everything it feeds: the running Leq, SEL and maximum,
// the live list, the recording through "Fake" into a data file, the save of the live list, the
// delayed start and the data of the five small graphs.
class PanelRecording : public QObject
{
    Q_OBJECT
public:
    explicit PanelRecording(Panel& panel);
    ~PanelRecording() override;

    // Building: the panel places what these make.
    QWidget* buildListArea(QWidget* parent);
    void addReadoutWidgets(QGridLayout* grid, int row);
    void buildSavePanel(QWidget* parent);

    void load();
    // The program ends: a running recording is stopped and its data file written first.
    void unload();

    // --- handlers ------------------------------------------------------------------------
    void Timer2_Timer();
    void OptSampling_Click();
    void OptSaveList_Click();
    void CmdSaveOK_Click();
    void CmdL_Click();
    // Toolbar "Save": the "Save Data" panel, or the stop of the running recording.
    void saveButtonClicked();
    void hideSavePanel();
    // The link recovery's part: a running recording ends as a stop does (its data file is
    // written), the running values, the live list and the graphs start again. The panel says
    // so until the user acknowledges it (CmdLinkLossOK).
    void linkLost();
    // The link is back: a recording cut by its loss goes on by itself in a continuation file
    // named after the first ("name-2.kirv", "name-3.kirv", ...).
    void linkBack();
    // "Fake" still holding a recording that never became a data file is offered back (saved,
    // discarded, or kept). True when "Fake" may be replaced now.
    bool offerLeftRecording();

    // Stops the running recording and writes its data file. False when the file could not be
    // written (the message has been shown; "Fake" keeps the samples).
    bool stopRecording();

    bool recording() const { return m_sampler.state().Recording; }
    LiveSampler& sampler() { return m_sampler; }
    RecordList& liveList() { return m_list; }
    const DelayedStart& delayedStart() const { return m_delayed; }
    const RecordingFile& recordingFile() const { return m_fake; }
    // Where "Fake" and automatic files go (the working folder unless a test says otherwise).
    void setWorkingFolder(const QString& folder) { m_folder = folder; }
    QString workingFolder() const { return m_folder; }

    int SaveMode = 1;
    int AutoSaveCount = 0;

    // --- controls ------------------------------------------------------------------------
    RecordListView* GridN = nullptr;
    QWidget* PicSave = nullptr;
    QRadioButton* OptSampling = nullptr;
    QRadioButton* OptSaveList = nullptr;
    QPushButton* CmdSaveOK = nullptr;
    QLabel* LblFileName = nullptr;
    QLabel* LblCount = nullptr;
    QLabel* LblRec = nullptr;
    QLabel* LblLaunch = nullptr;
    QPushButton* CmdL = nullptr;
    QWidget* PicLinkLoss = nullptr; // the notice of a recording cut by a lost link
    QLabel* LblLinkLoss = nullptr;
    QPushButton* CmdLinkLossOK = nullptr;

signals:
    void recordingChanged(bool recording);
    void fileWritten(const QString& path);

private:
    // A continuation goes on with the series of the recording cut by a lost link.
    bool startRecording(const QString& target, bool continuation = false);
    void saveLiveList();
    void saveFullList();
    void applyGraphs(const TickResult& r);
    void clearGraphs();
    void showFailure(const FileStatus& status);
    void showArmed();
    QWidget* buildLinkNotice(QWidget* parent);
    void showLinkNotice(const QString& text);
    // A sample is taken only from a frame that is fresh: the poll is running and a frame reached
    // the panel within FreshFrameMs. Otherwise the tick waits for the next frame (or is
    // dropped when the link turns out to be lost).
    bool frameIsFresh() const;
    RealTimeHeader header(const QString& max, const QString& maxTime, const QString& sel,
                          const QString& leq) const;

    Panel& m_panel;
    LiveSampler m_sampler;
    RecordList m_list;
    RecordingFile m_fake;
    DelayedStart m_delayed;
    QString m_folder;
    QElapsedTimer m_sinceFrame;
    bool m_tickWaiting = false;
    qint64 m_lastSecond = std::numeric_limits<qint64>::min(); // of the last tick taken
    // The running recording's series: its first file and the number of the part now running.
    QString m_seriesFirst;
    int m_seriesPart = 1;
    bool m_resumeWhenBack = false;
};

// A frame older than this is taken for a silent meter, not for the level now.
inline constexpr int FreshFrameMs = 500;

} // namespace kirv
