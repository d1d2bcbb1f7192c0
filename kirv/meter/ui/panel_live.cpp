// The live side of the main window: the 200 ms poll that mirrors the meter, the link recovery,
// the caption toggle of LblCOM, the graph selector and the ten remote keys.
#include "kirv/panel/ui/panel.h"

#include "kirv/analysis/ui/graph.h"
#include "kirv/meter/exchange.h"
#include "kirv/meter/serial_link.h"
#include "kirv/panel/ui/lcd_display.h"
#include "kirv/panel/ui/widgets.h"
#include "kirv/records/ui/panel_recording.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTimer>

namespace kirv {

void Panel::Timer1_Timer()
{
    // A tick that fires while an earlier one still waits for a frame is skipped, not nested;
    // so is one that fires while a key press talks to the meter, whose acknowledge would
    // otherwise be taken for a live frame (and shown as a level of 3276.7).
    if (m_tickBusy || m_keyBusy)
        return;
    m_tickBusy = true;
    QPointer<Panel> self(this);
    const auto done = qScopeGuard([self] {
        if (self)
            self->m_tickBusy = false;
    });

    const FrameResult taken = takeLiveFrame(m_link, this);
    if (!self || taken.result == ExchangeResult::Cancelled)
        return;
    if (taken.result == ExchangeResult::TimedOut) {
        RecoverLink();
        return;
    }
    const QByteArray& f = taken.frame;
    DecodeRange(m_reading, quint8(f[1]));
    DecodeStatus(m_reading, quint8(f[2]));
    DecodeLevel(m_reading, quint8(f[3]), quint8(f[4]));
    applyReading();
}

void Panel::applyReading()
{
    const LiveReading& r = m_reading;
    LblBarMax->setText(QString::number(r.RangeUpper));
    LblBarMin->setText(QString::number(r.RangeLower));

    toolbarButton(6)->setEnabled(r.RangeUpper != 140);
    toolbarButton(7)->setEnabled(r.RangeLower != 30);

    SoundBar->setMaximum(r.RangeUpper);
    SoundBar->setMinimum(r.RangeLower);
    const double clamped = std::clamp(r.LevelDb, double(r.RangeLower), double(r.RangeUpper));
    SoundBar->setValue(int(clamped));
    SoundBar->setAccessibleName(r.LevelText);

    LblOver->setVisible(r.OverFlag);
    LblUnder->setVisible(r.UnderFlag);

    if (r.TimeWeight == QLatin1String("SLOW") || r.TimeWeight == QLatin1String("FAST") ||
        r.TimeWeight == QLatin1String("IMP")) {
        LblSlow->setVisible(r.TimeWeight == QLatin1String("SLOW"));
        LblFast->setVisible(r.TimeWeight == QLatin1String("FAST"));
        LblIMP->setVisible(r.TimeWeight == QLatin1String("IMP"));
    }

    LblRun->setVisible(r.RunFlag);
    LblPause->setVisible(r.PauseFlag);
    LblStop->setVisible(r.StopFlag);

    if (r.FreqWeight == QLatin1String("AA")) {
        LblCA->setVisible(LblCA->isHidden());
        LblCA->setText(QStringLiteral("A"));
    } else {
        LblCA->setVisible(true);
        LblCA->setText(r.FreqWeight);
    }
    BoardCA->setText(freqWeightBoardText(r.FreqWeight));

    LblValue->setText(r.LevelText);
    ShownLCD->setText(r.LevelDb < r.RangeLower - 5 ? QStringLiteral("- - -") : LblValue->text());

    BoardSFI->setText(r.TimeWeight);
    BoardLevel->setText(rangeText(r));
    emit tickApplied();
}

void Panel::RecoverLink()
{
    QPointer<Panel> self(this);
    m_recording->linkLost();
    Timer2->stop();
    LblCOM->setText(QStringLiteral("No COM"));
    LblValue->setText(QString());
    // The large display follows the emptied value rather than freezing on the last level.
    ShownLCD->setText(QString());
    m_linkLost = true;
    emit linkLostChanged(true);

    if (waitForFrames(m_link, this) != ExchangeResult::Done || !self)
        return;
    LblCOM->setText(labelForChoice(m_port));
    Timer2->start();
    m_linkLost = false;
    emit linkLostChanged(false);
}

void Panel::LblCOM_Click()
{
    setWindowTitle(windowTitle() == QLatin1String(kCaption) ? QString::fromLatin1(kCaptionWithDate)
                                                            : QString::fromLatin1(kCaption));
}

void Panel::SSOpt_Click(int index)
{
    CWG->setVisible(index == 0);
    CWLeq->setVisible(index == 1);
    CWSEL->setVisible(index != 0 && index != 1);
}

void Panel::keyClick(int code)
{
    // A tick already waiting stays frozen below this handler until it returns; new ticks are
    // skipped meanwhile. Should anything still swallow the acknowledge, it costs another "A".
    QPointer<Panel> self(this);
    m_keyBusy = true;
    pressKey(m_link, code, this);
    if (self)
        m_keyBusy = false;
}

} // namespace kirv
