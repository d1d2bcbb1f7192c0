// The live side of the main window: the 200 ms poll that mirrors the meter, the link recovery,
// the caption toggle of LblCOM, the graph selector and the ten remote keys.
#include "kirv/meter/ui/panel_live.h"

#include "kirv/widgets/graph.h"
#include "kirv/meter/exchange.h"
#include "kirv/meter/serial_link.h"
#include "kirv/widgets/lcd_display.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

namespace kirv {

PanelLive::PanelLive(Panel& panel) : QObject(&panel), m_panel(panel), m_poll(panel.link(), this)
{
    connect(panel.Timer1, &QTimer::timeout, this, &PanelLive::Timer1_Timer);
    connect(&panel, &Panel::keyPressed, this, &PanelLive::keyClick);
    connect(&m_poll, &LivePoll::frameTaken, this, [this](const QByteArray& frame) {
        decodeFrame(m_panel.reading(), frame);
        applyReading();
    });
    connect(&m_poll, &LivePoll::linkLost, this, &PanelLive::RecoverLink);
    connect(&m_poll, &LivePoll::linkBack, this, &PanelLive::linkBack);
}

void PanelLive::Timer1_Timer()
{
    // A tick that fires while a key press talks to the meter is skipped: the acknowledge would
    // otherwise be taken for a live frame (and shown as a level of 3276.7). The poll itself
    // skips a tick that comes while an earlier one still waits.
    if (keyBusy())
        return;
    m_poll.tick();
}

void PanelLive::applyReading()
{
    Panel& p = m_panel;
    const LiveReading& r = p.reading();
    p.LblBarMax->setText(QString::number(r.RangeUpper));
    p.LblBarMin->setText(QString::number(r.RangeLower));

    p.toolbarButton(6)->setEnabled(r.RangeUpper != 140);
    p.toolbarButton(7)->setEnabled(r.RangeLower != 30);

    p.SoundBar->setMaximum(r.RangeUpper);
    p.SoundBar->setMinimum(r.RangeLower);
    const double clamped = std::clamp(r.LevelDb, double(r.RangeLower), double(r.RangeUpper));
    p.SoundBar->setValue(int(clamped));
    p.SoundBar->setAccessibleName(r.LevelText);

    p.LblOver->setVisible(r.OverFlag);
    p.LblUnder->setVisible(r.UnderFlag);

    if (r.TimeWeight == QLatin1String("SLOW") || r.TimeWeight == QLatin1String("FAST") ||
        r.TimeWeight == QLatin1String("IMP")) {
        p.LblSlow->setVisible(r.TimeWeight == QLatin1String("SLOW"));
        p.LblFast->setVisible(r.TimeWeight == QLatin1String("FAST"));
        p.LblIMP->setVisible(r.TimeWeight == QLatin1String("IMP"));
    }

    p.LblRun->setVisible(r.RunFlag);
    p.LblPause->setVisible(r.PauseFlag);
    p.LblStop->setVisible(r.StopFlag);

    if (r.FreqWeight == QLatin1String("AA")) {
        p.LblCA->setVisible(p.LblCA->isHidden());
        p.LblCA->setText(QStringLiteral("A"));
    } else {
        p.LblCA->setVisible(true);
        p.LblCA->setText(r.FreqWeight);
    }
    p.BoardCA->setText(freqWeightBoardText(r.FreqWeight));

    p.LblValue->setText(r.LevelText);
    p.ShownLCD->setText(r.LevelDb < r.RangeLower - 5 ? QStringLiteral("- - -") : p.LblValue->text());

    p.BoardSFI->setText(r.TimeWeight);
    p.BoardLevel->setText(rangeText(r));
    emit p.tickApplied();
}

void PanelLive::RecoverLink(const QString& reason)
{
    Panel& p = m_panel;
    p.Timer2->stop();
    p.LblCOM->setText(QStringLiteral("No COM"));
    p.LblValue->setText(QString());
    // The large display follows the emptied value rather than freezing on the last level.
    p.ShownLCD->setText(QString());
    // The recording hears of the loss here and ends as a stop does.
    p.setLinkLost(true, reason.isEmpty() ? QString() : p.link().portName());
}

void PanelLive::linkBack()
{
    Panel& p = m_panel;
    p.LblCOM->setText(labelForChoice(p.port()));
    p.Timer2->start();
    p.setLinkLost(false);
}

void PanelLive::keyClick(int code)
{
    // A tick already waiting stays frozen below this handler until it returns; new ticks are
    // skipped meanwhile. Should anything still swallow the acknowledge, it costs another "A".
    // A meter that does not acknowledge within about a second ends the press unsent; the next
    // tick then finds out whether the link is still there and recovers it if not.
    QPointer<PanelLive> self(this);
    ++m_keyPresses;
    const ExchangeResult result = pressKey(m_panel.link(), code, this);
    if (!self)
        return;
    --m_keyPresses;
    // The status line says what the panel alone would not: this key never reached the meter.
    if (result == ExchangeResult::TimedOut)
        m_panel.statusBar()->showMessage(
            QStringLiteral("The meter did not answer: the key \"%1\" was not sent.")
                .arg(m_panel.keyCaption(code)));
    else if (result == ExchangeResult::Failed)
        m_panel.statusBar()->showMessage(
            QStringLiteral("The port did not take the key \"%1\": it was not sent.").arg(m_panel.keyCaption(code)));
    else if (result == ExchangeResult::Done)
        m_panel.statusBar()->clearMessage();
}

} // namespace kirv
