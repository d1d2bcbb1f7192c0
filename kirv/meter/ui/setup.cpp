#include "kirv/meter/ui/setup.h"

#include "kirv/base/clock.h"
#include "kirv/meter/meter_clock_exchange.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/controls.h"
#include "kirv/widgets/placement.h"
#include "kirv/base/civil_time.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kirv {

namespace {
constexpr int TopBelowPanel = 67; // 1000 twips

ClickLabel* clockLabel(const QString& name, const QString& caption, const QString& tip,
                       QWidget* parent)
{
    auto* label = new ClickLabel(caption, parent);
    label->setObjectName(name);
    label->setToolTip(tip);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    label->setFont(f);
    // Wide enough for a full date and time, so the window does not jump when a label toggles.
    const QFontMetrics metrics(f);
    label->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("8888/88/88 88:88:88")) + 32);
    label->setMinimumHeight(metrics.height() + 16);
    return label;
}
} // namespace

Setup::Setup(SerialLink& link, PanelTimers panelTimers, QWidget* panel)
    : QDialog(panel), m_link(link), m_panelTimers(std::move(panelTimers))
{
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QStringLiteral("Setup"));

    FrameTime = new QGroupBox(QStringLiteral("Time"), this);
    FrameTime->setObjectName(QStringLiteral("FrameTime"));
    LblMeterTime =
        clockLabel(QStringLiteral("LblMeterTime"), QString::fromLatin1(MeterTimeCaption),
                   tr("Click to show or hide the meter's clock"), FrameTime);
    LblPCTime = clockLabel(QStringLiteral("LblPCTime"), QString::fromLatin1(PCTimeCaption),
                           tr("Click to show or hide this computer's clock"), FrameTime);
    auto* clocks = new QVBoxLayout(FrameTime);
    clocks->setSpacing(10);
    clocks->setContentsMargins(14, 14, 14, 14);
    clocks->addWidget(LblMeterTime);
    clocks->addWidget(LblPCTime);

    CmdSetTime = new QPushButton(QStringLiteral("Set Meter Time To System Time"), this);
    CmdSetTime->setObjectName(QStringLiteral("CmdSetTime"));
    CmdExit = new QPushButton(QStringLiteral("Exit"), this);
    CmdExit->setObjectName(QStringLiteral("CmdExit"));
    for (QPushButton* b : {CmdSetTime, CmdExit}) {
        b->setAutoDefault(false);
        b->setMinimumSize(b->sizeHint().width() + 24, b->sizeHint().height() + 6);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdSetTime, 1);
    buttons->addWidget(CmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);
    layout->addWidget(FrameTime);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(LblMeterTime, &ClickLabel::clicked, this, &Setup::LblMeterTime_Click);
    connect(LblPCTime, &ClickLabel::clicked, this, &Setup::LblPCTime_Click);
    connect(CmdSetTime, &QPushButton::clicked, this, &Setup::CmdSetTime_Click);
    connect(CmdExit, &QPushButton::clicked, this, &Setup::CmdExit_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TickMs);
    connect(Timer1, &QTimer::timeout, this, &Setup::Timer1_Timer);
    Timer1->start();
}

Setup::~Setup() = default;

void Setup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_placed || !parentWidget())
        return;
    m_placed = true;
    const QRect panel = parentWidget()->window()->geometry();
    placeWindow(this, {panel.left() + (panel.width() - width()) / 2, panel.top() + TopBelowPanel});
}

void Setup::Timer1_Timer()
{
    // A tick that comes while the last one still waits for the meter is skipped.
    if (m_reading || m_unloaded)
        return;
    if (ShowMeterTime) {
        m_panelTimers(false); // they stay off until the window closes
        m_reading = true;
        QPointer<Setup> self(this);
        const ClockReadResult read = readMeterClock(m_link, this, ClockAttempts);
        if (!self)
            return;
        m_reading = false;
        if (m_unloaded)
            return;
        // A meter that does not answer leaves the last time read; the next tick asks again.
        if (read.result == ExchangeResult::Done && ShowMeterTime)
            LblMeterTime->setText(meterClockText(read.fields));
    } else {
        LblMeterTime->setText(QString::fromLatin1(MeterTimeCaption));
    }
    LblPCTime->setText(ShowPCTime ? stampText(now()) : QString::fromLatin1(PCTimeCaption));
}

void Setup::LblMeterTime_Click()
{
    ShowMeterTime = !ShowMeterTime;
}

void Setup::LblPCTime_Click()
{
    ShowPCTime = !ShowPCTime;
}

void Setup::CmdSetTime_Click()
{
    if (m_unloaded)
        return;
    m_panelTimers(false);
    Timer1->stop();
    // One reading of the PC clock for all six fields: read field by field, a second that
    // turns in between would set 08:59:59 as 08:00:00.
    QPointer<Setup> self(this);
    const ExchangeResult set = setMeterClock(m_link, now(), this);
    if (!self || m_unloaded)
        return;
    if (set == ExchangeResult::Failed)
        showCritical(this, QStringLiteral("Error! Try again!"));
    Timer1->start();
}

void Setup::CmdExit_Click()
{
    reject();
}

void Setup::done(int result)
{
    unload();
    QDialog::done(result);
}

void Setup::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1->stop();
    m_panelTimers(true);
}

} // namespace kirv
