#include "kirv/records/ui/panel_recording.h"

#include "kirv/widgets/graph.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/base/clock.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/toolbar_icons.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/datafile.h"
#include "kirv/records/filenames.h"
#include "kirv/base/numbertext.h"
#include "kirv/widgets/busy.h"
#include "kirv/widgets/record_list_view.h"
#include "kirv/base/replace_file.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace kirv {

PanelRecording::PanelRecording(Panel& panel) : QObject(&panel), m_panel(panel), m_folder(QDir::currentPath())
{
    panel.listHost()->layout()->addWidget(buildListArea(panel.listHost()));
    addReadoutWidgets(panel.readoutGrid(), Panel::RecordingReadoutRow);
    buildSavePanel(&panel);
    connect(panel.Timer2, &QTimer::timeout, this, &PanelRecording::Timer2_Timer);
    connect(&panel, &Panel::loading, this, &PanelRecording::load);
    connect(&panel, &Panel::unloading, this, &PanelRecording::unload);
    connect(&panel, &Panel::linkLostChanged, this, [this](bool lost) {
        if (lost)
            linkLost();
        else
            linkBack();
    });
    connect(&panel, &Panel::tickApplied, this, [this] {
        m_sinceFrame.start();
        if (std::exchange(m_tickWaiting, false))
            Timer2_Timer();
    });
}

PanelRecording::~PanelRecording() = default;

QWidget* PanelRecording::buildListArea(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);
    auto* status = new QHBoxLayout;
    LblRec = new QLabel(QStringLiteral("Rec."), box);
    LblRec->setObjectName(QStringLiteral("LblRec"));
    LblRec->setStyleSheet(QStringLiteral("color: #c02020; font-weight: bold;"));
    LblRec->hide();
    LblCount = new QLabel(box);
    LblCount->setObjectName(QStringLiteral("LblCount"));
    status->addWidget(LblRec);
    status->addStretch();
    status->addWidget(LblCount);
    v->addLayout(status);
    GridN = new RecordListView(box);
    GridN->setObjectName(QStringLiteral("GridN"));
    GridN->setModel(&m_list);
    GridN->setKeepNewestInView(true);
    v->addWidget(GridN, 1);
    LblFileName = new QLabel(box);
    LblFileName->setObjectName(QStringLiteral("LblFileName"));
    v->addWidget(LblFileName);
    v->addWidget(buildLinkNotice(box));
    return box;
}

void PanelRecording::addReadoutWidgets(QGridLayout* grid, int row)
{
    QWidget* parent = grid->parentWidget();
    CmdL = new QPushButton(QStringLiteral("Leq"), parent);
    CmdL->setObjectName(QStringLiteral("CmdL"));
    CmdL->setToolTip(tr("Start a recording by itself after a delay"));
    CmdL->setAutoDefault(false);
    connect(CmdL, &QPushButton::clicked, this, &PanelRecording::CmdL_Click);
    LblLaunch = new QLabel(parent);
    LblLaunch->setObjectName(QStringLiteral("LblLaunch"));
    grid->addWidget(CmdL, row, 0);
    grid->addWidget(LblLaunch, row, 1, 1, 3);
}

void PanelRecording::buildSavePanel(QWidget* parent)
{
    PicSave = new QWidget(parent);
    PicSave->setObjectName(QStringLiteral("PicSave"));
    PicSave->setAutoFillBackground(true);
    auto* outer = new QVBoxLayout(PicSave);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QGroupBox(QStringLiteral("Save Data"), PicSave);
    frame->setObjectName(QStringLiteral("SSFrame1"));
    auto* v = new QVBoxLayout(frame);
    OptSampling = new QRadioButton(QStringLiteral("By PC Sampling Rate"), frame);
    OptSampling->setObjectName(QStringLiteral("OptSampling"));
    OptSaveList = new QRadioButton(QStringLiteral("Saving List Data"), frame);
    OptSaveList->setObjectName(QStringLiteral("OptSaveList"));
    CmdSaveOK = new QPushButton(QStringLiteral("OK"), frame);
    CmdSaveOK->setObjectName(QStringLiteral("CmdSaveOK"));
    CmdSaveOK->setDefault(true);
    v->addWidget(OptSampling);
    v->addWidget(OptSaveList);
    v->addWidget(CmdSaveOK, 0, Qt::AlignRight);
    outer->addWidget(frame);
    OptSampling->setChecked(true);
    connect(OptSampling, &QRadioButton::clicked, this, &PanelRecording::OptSampling_Click);
    connect(OptSaveList, &QRadioButton::clicked, this, &PanelRecording::OptSaveList_Click);
    connect(CmdSaveOK, &QPushButton::clicked, this, &PanelRecording::CmdSaveOK_Click);
    PicSave->adjustSize();
    PicSave->hide();
}

void PanelRecording::load()
{
    m_list.clear();
    clearGraphs();
    // Once the panel is up: a recording an earlier run could not save is offered back.
    QTimer::singleShot(0, this, &PanelRecording::offerLeftRecording);
}

void PanelRecording::unload()
{
    if (recording())
        stopRecording();
}

void PanelRecording::OptSampling_Click()
{
    SaveMode = 1;
}

void PanelRecording::OptSaveList_Click()
{
    SaveMode = 2;
}

void PanelRecording::hideSavePanel()
{
    PicSave->hide();
}

void PanelRecording::saveButtonClicked()
{
    if (recording()) {
        stopRecording();
        return;
    }
    OptSampling->setChecked(true);
    SaveMode = 1;
    // The panel opens over the graphs, near the toolbar button that asked for it.
    PicSave->adjustSize();
    PicSave->move(m_panel.centralWidget()->geometry().topLeft() + QPoint(8, 8));
    PicSave->raise();
    PicSave->show();
    CmdSaveOK->setFocus();
}

void PanelRecording::CmdSaveOK_Click()
{
    PicSave->hide();
    if (recording())
        return;
    if (SaveMode == 1) {
        if (!offerLeftRecording())
            return;
        // The target is tried now, so a folder that cannot take it is said before recording.
        QString target;
        for (;;) {
            target = Dialogs::instance().saveFileName(&m_panel, QString::fromLatin1(DataFileFilter));
            if (target.isEmpty())
                return;
            const FileStatus probe = probeTarget(target);
            if (probe.ok())
                break;
            showFailure(probe);
        }
        startRecording(target);
    } else {
        saveLiveList();
    }
}

bool PanelRecording::startRecording(const QString& target, bool continuation)
{
    if (!offerLeftRecording())
        return false;
    if (!continuation) {
        m_seriesFirst = target;
        m_seriesPart = 1;
        m_resumeWhenBack = false;
    }
    FileStatus status = probeTarget(target);
    if (status.ok())
        status = m_fake.start(m_folder, target);
    if (!status.ok()) {
        showFailure(status);
        return false;
    }
    LblFileName->setText(fileTitle(target));
    m_panel.toolbarButton(1)->setIcon(toolbarIcon(QStringLiteral("Stop")));
    m_panel.setToolbarTip(1, QStringLiteral("Stop Recording"));
    m_sampler.startRecording();
    LblRec->setText(QStringLiteral("Rec."));
    LblRec->show();
    emit recordingChanged(true);
    return true;
}

RealTimeHeader PanelRecording::header(const QString& max, const QString& maxTime, const QString& sel,
                                      const QString& leq) const
{
    RealTimeHeader h;
    h.sampleInterval = m_sampler.state().SampleInterval;
    h.freqWeight = m_panel.BoardCA->text();
    h.timeWeight = m_panel.BoardSFI->text();
    h.range = m_panel.BoardLevel->text();
    h.maxLevel = max;
    h.maxTime = maxTime;
    h.sel = sel;
    h.leq = leq;
    return h;
}

bool PanelRecording::stopRecording()
{
    const RecordingSummary summary = m_sampler.stopRecording();
    m_panel.toolbarButton(1)->setIcon(toolbarIcon(QStringLiteral("Save")));
    m_panel.setToolbarTip(1, QStringLiteral("Save As"));
    LblRec->hide();
    LblCount->clear();
    LblFileName->clear();
    emit recordingChanged(false);

    const RealTimeHeader h =
        header(summary.RecMaxText, summary.RecMaxTime, summary.RecSELText, summary.RecLeqText);
    const QString target = m_fake.targetPath();
    const FileStatus status = m_fake.finish(h, [this](qsizetype copied) {
        LblCount->setText(QString::number(copied));
        QCoreApplication::processEvents();
    }, ProgressStride);
    LblCount->clear();
    if (!status.ok()) {
        showFailure(status);
        return false;
    }
    emit fileWritten(target);
    return true;
}

void PanelRecording::saveLiveList()
{
    BusyCursor busy;
    const QString target = Dialogs::instance().saveFileName(&m_panel, QString::fromLatin1(DataFileFilter));
    if (target.isEmpty())
        return;
    const SamplingState& s = m_sampler.state();
    const RealTimeHeader h =
        header(numberText(s.LiveMax.level), s.LiveMax.time, s.LiveSELText, s.LiveLeqText);
    FileStatus status;
    {
        CaptionProgress caption(&m_panel);
        // The row index runs straight into the text ("9Records Completed"), unlike the full
        // list's save and the reading of a file below: each caption is kept as users know it.
        status = writeDataFile(target, h.lines(), m_list.store(),
                               caption.rows(QStringLiteral("Records Completed")));
    }
    if (!status.ok()) {
        showFailure(status);
        return;
    }
    emit fileWritten(target);
}

void PanelRecording::saveFullList()
{
    BusyCursor busy;
    const QString target = QDir(m_folder).filePath(autoListFileName(now()));
    FileStatus status;
    {
        CaptionProgress caption(&m_panel);
        status = writeDataFile(target, {}, m_list.store(), caption.rows(QStringLiteral(" Records Completed")));
    }
    if (!status.ok()) {
        // The list is kept as it is: the next sample tries the save again.
        showFailure(status);
        return;
    }
    ++AutoSaveCount;
    m_list.clear();
    emit fileWritten(target);
    if (const auto held = m_sampler.listSaved())
        m_list.append(Record{held->number, held->time, held->level});
}

bool PanelRecording::frameIsFresh() const
{
    return !m_panel.Timer1->isActive()
           || (m_sinceFrame.isValid() && m_sinceFrame.elapsed() <= FreshFrameMs);
}

void PanelRecording::Timer2_Timer()
{
    if (!frameIsFresh()) {
        m_tickWaiting = true;
        return;
    }
    const LiveReading& reading = m_panel.reading();
    const QDateTime time = now();
    // Each second of the clock is taken once: the timer's slack, or a tick that waited for a
    // fresh frame, can put two ticks into one second, which would give two records one time.
    const qint64 second = time.toSecsSinceEpoch();
    if (second == m_lastSecond)
        return;
    m_lastSecond = second;
    const TickResult r = m_sampler.tick(reading.LevelDb, reading.LevelText, m_panel.LblValue->text(), time);
    m_panel.BoardLeq->setText(r.leqText);
    m_panel.BoardSEL->setText(r.selText);
    if (r.maxChanged) {
        m_panel.BoardMaxdB->setText(r.maxText);
        m_panel.BoardMaxTime->setText(r.maxTime);
    }
    if (r.sampled) {
        if (r.recorded) {
            const FileStatus status = m_fake.appendRecord(r.record.time, r.record.level);
            LblCount->setText(QString::number(r.recordRows));
            LblRec->setText(QStringLiteral("Rec"));
            if (!status.ok()) {
                // The disk refused the sample: end the recording with what "Fake" holds.
                stopRecording();
                showFailure(status);
            } else if (r.recordingFull) {
                stopRecording();
            }
        } else {
            LblFileName->clear();
            LblCount->clear();
        }
        if (r.listFull)
            saveFullList();
        else
            m_list.append(Record{r.record.number, r.record.time, r.record.level});
        applyGraphs(r);
    }
    if (m_delayed.due(time)) {
        showArmed();
        if (!recording())
            startRecording(QDir(m_folder).filePath(autoListFileName(time)));
    }
}

void PanelRecording::applyGraphs(const TickResult& r)
{
    const PanelGraphData& g = m_sampler.graphs();
    m_panel.CWG->appendY(r.level);
    m_panel.CWLeq->appendY(r.leq);
    m_panel.CWSEL->appendY(r.sel);
    // The time graphs span the extremes seen, with a decibel to spare on each side.
    m_panel.CWG->setAxisRange(Graph::Axis::Y, g.Count01Low / 10.0 - 1, g.Count01High / 10.0 + 1);
    m_panel.CWLeq->setAxisRange(Graph::Axis::Y, g.LeqLow - 1, g.LeqHigh + 1);
    m_panel.CWSEL->setAxisRange(Graph::Axis::Y, g.SELLow - 1, g.SELHigh + 1);
    // The count tables plot over their class numbers: class c at x = c.
    const std::vector<double> counts1(g.LevelCount1.begin(), g.LevelCount1.end());
    const std::vector<double> counts01(g.LevelCount01.begin(), g.LevelCount01.end());
    m_panel.CWInt->plotY(counts1, 0, 1);
    m_panel.CWInt->setAxisRange(Graph::Axis::X, r.intXLow, r.intXHigh);
    m_panel.CWDec->plotY(counts01, 0, 1);
    m_panel.CWDec->setAxisRange(Graph::Axis::X, r.decXLow, r.decXHigh);
    m_panel.CWInt->setVisible(r.showInt);
    m_panel.CWDec->setVisible(!r.showInt);
}

void PanelRecording::clearGraphs()
{
    for (Graph* g : {m_panel.CWG, m_panel.CWInt, m_panel.CWDec})
        g->clearData();
}


void PanelRecording::CmdL_Click()
{
    for (;;) {
        const QString answer = Dialogs::instance().input(
            &m_panel, QStringLiteral("Set up the willing time period to launch. \r\n (hh:nn:ss) "),
            QStringLiteral("Set up the willing time period"), QStringLiteral("00:00:10"));
        if (answer.isEmpty())
            return;
        const auto period = parseLaunchPeriod(answer);
        if (!period) {
            showCritical(&m_panel, QStringLiteral("Invalid, comply with the data format properly"));
            continue;
        }
        m_delayed.toggle(period->totalSeconds(), now());
        showArmed();
        return;
    }
}

void PanelRecording::showArmed()
{
    LblLaunch->setText(m_delayed.armed()
                           ? tr("Recording starts at %1").arg(m_delayed.fireTime().toString(QStringLiteral("HH:mm:ss")))
                           : QString());
}

void PanelRecording::showFailure(const FileStatus& status)
{
    showCritical(&m_panel, status.error);
}

} // namespace kirv
