#include "kirv/logger/ui/settings_commands.h"

#include "kirv/widgets/graph.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/panel/ui/panel_parts.h"
#include "kirv/panel/ui/panel_toolbar.h"
#include "kirv/logger/ui/sampling_choice.h"
#include "kirv/meter/delay.h"
#include "kirv/meter/meter_settings.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/ui/setup.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/panel/ui/panel_timers.h"
#include "kirv/records/sampling.h"
#include "kirv/records/ui/panel_recording.h"

#include <QPointer>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTimer>

#include <memory>
#include <optional>

namespace kirv {

namespace {

QString samplingPrompt(int maximum)
{
    return QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= %1 ) ").arg(maximum);
}

const QString SamplingTitle = QStringLiteral("Input Sampling Time");

class SettingsCommands : public QObject
{
public:
    explicit SettingsCommands(const PanelParts& parts)
        : QObject(parts.panel), m_panel(*parts.panel), m_recording(*parts.recording)
    {
    }

    void sampling();
    void settingKey(const QByteArray& key);
    void clock();
    void refresh();

private:
    void pcSampling();
    void meterSampling();

    Panel& m_panel;
    PanelRecording& m_recording;
    bool m_pcSamplingChosen = false;    // the last answer of SamplingChoice
    std::optional<int> m_meterInterval; // as last read with "J" or set with "C"
};

void SettingsCommands::sampling()
{
    auto* choice = new SamplingChoice(&m_panel);
    choice->setAttribute(Qt::WA_DeleteOnClose);
    connect(choice, &SamplingChoice::chosen, this, [this](bool pc) { m_pcSamplingChosen = pc; });
    // OK or the close box: the command goes on with the answer standing then, once the window
    // has gone.
    connect(
        choice, &QDialog::finished, this,
        [this] { m_pcSamplingChosen ? pcSampling() : meterSampling(); }, Qt::QueuedConnection);
    choice->open();
}

void SettingsCommands::pcSampling()
{
    // The running recording's header names its interval: it holds from the start to the stop.
    // The check is made again after the answer, as a delayed start may begin a recording while
    // the input box is open.
    const auto refused = [this] {
        if (m_recording.recording())
            showCritical(&m_panel, QString::fromLatin1(RecordingModeText));
        return m_recording.recording();
    };
    if (refused())
        return;
    const QString answer =
        Dialogs::instance().input(&m_panel, samplingPrompt(MaxSampleInterval), SamplingTitle,
                                  QString::number(m_recording.sampler().state().SampleInterval));
    const auto seconds = samplingAnswerSeconds(answer, MaxSampleInterval);
    if (seconds && !refused())
        m_recording.sampler().setSampleInterval(*seconds);
}

void SettingsCommands::meterSampling()
{
    QPointer<SettingsCommands> self(this);
    PanelTimersOff timers(&m_panel, true, PanelTimersOff::Afterwards::AsBefore);
    const IntervalResult read = readMeterInterval(m_panel.link(), this);
    if (!self || read.result == ExchangeResult::Cancelled)
        return;
    if (read.result != ExchangeResult::Done) {
        showCritical(&m_panel, QStringLiteral("Error! Try again!"));
        return;
    }
    m_meterInterval = read.seconds;
    const QString answer = Dialogs::instance().input(&m_panel, samplingPrompt(MaxMeterInterval),
                                                     SamplingTitle, QString::number(read.seconds));
    if (!self)
        return;
    if (const auto seconds = samplingAnswerSeconds(answer, MaxMeterInterval)) {
        if (writeMeterInterval(m_panel.link(), *seconds) != ExchangeResult::Done) {
            showCritical(&m_panel, QStringLiteral("Error! Try again!"));
            return;
        }
        m_meterInterval = *seconds;
    }
}

void SettingsCommands::settingKey(const QByteArray& key)
{
    PanelTimersOff timers(&m_panel, true, PanelTimersOff::Afterwards::AsBefore);
    if (sendCommand(m_panel.link(), key, this) == ExchangeResult::Failed)
        m_panel.statusBar()->showMessage(QStringLiteral("The port did not take the command: it was not sent."));
}

void SettingsCommands::clock()
{
    // The window switches the timers itself: off while it reads or sets the meter clock, back
    // when it closes.
    auto hold = std::make_shared<PanelTimersOff>(&m_panel, false, PanelTimersOff::Afterwards::AsBefore);
    auto* setup = new Setup(
        m_panel.link(), [hold](bool on) { on ? hold->restore() : hold->stop(); }, &m_panel);
    setup->setAttribute(Qt::WA_DeleteOnClose);
    setup->open();
}

void SettingsCommands::refresh()
{
    // Nothing goes to the meter and the timers run on; a recording and its counters, the
    // shown Leq and SEL and the Leq/SEL scales are left alone.
    m_recording.sampler().refresh();
    m_recording.liveList().clear();
    for (Graph* g : {m_panel.CWLeq, m_panel.CWSEL, m_panel.CWG, m_panel.CWInt, m_panel.CWDec})
        g->clearData();
}

} // namespace

void attachSettingsCommands(PanelParts& parts)
{
    auto* commands = new SettingsCommands(parts);
    PanelToolbar& toolbar = *parts.toolbar;
    toolbar.setCommand(QStringLiteral("Sampling"), [commands] { commands->sampling(); });
    const std::pair<const char*, QByteArray> keys[] = {{"AC", protocol::FreqWeightKey},
                                                       {"FSI", protocol::TimeWeightKey},
                                                       {"Up", protocol::RangeUp},
                                                       {"Down", protocol::RangeDown}};
    for (const auto& [name, key] : keys)
        toolbar.setCommand(QString::fromLatin1(name),
                           [commands, key] { commands->settingKey(key); });
    toolbar.setCommand(QStringLiteral("RTC"), [commands] { commands->clock(); });
    toolbar.setCommand(QStringLiteral("Refresh"), [commands] { commands->refresh(); });
}

} // namespace kirv
