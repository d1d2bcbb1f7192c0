#include "sim/ui/virtual_meter_window.h"

#include "sim/meter_console.h"
#include "sim/virtual_meter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kirv::sim {

namespace {
constexpr int LiveRefreshMs = 250;

QComboBox* comboOf(const QStringList& items, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets)
{
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return layout;
}
} // namespace

VirtualMeterWindow::VirtualMeterWindow(VirtualMeter* meter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::Tool), m_meter(meter)
{
    setObjectName(QStringLiteral("VirtualMeter"));
    setWindowTitle(QStringLiteral("Virtual Meter"));

    m_device = new QLabel(this);
    m_device->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // The meter's front panel.
    auto* panel = new QGroupBox(QStringLiteral("Meter"), this);
    m_mode = comboOf({QStringLiteral("Measuring"), QStringLiteral("Logger")}, panel);
    m_pattern = comboOf({QStringLiteral("Steady"), QStringLiteral("Ramp"),
                         QStringLiteral("Traffic")},
                        panel);
    m_level = new QDoubleSpinBox(panel);
    m_level->setRange(0.0, 160.0);
    m_level->setDecimals(1);
    m_level->setSingleStep(1.0);
    m_level->setSuffix(QStringLiteral(" dB"));
    m_now = new QLabel(panel);
    m_now->setMinimumWidth(m_now->fontMetrics().horizontalAdvance(QStringLiteral("silent (cable pulled)")));
    QStringList ranges;
    for (int code = 0; code < RangeCodeCount; ++code)
        ranges << QStringLiteral("%1-%2").arg(rangeLower(code)).arg(rangeUpper(code));
    m_range = comboOf(ranges, panel);
    m_freq = comboOf(MeterConsole::freqWeightingNames(), panel);
    m_time = comboOf(MeterConsole::timeWeightingNames(), panel);
    m_state = comboOf({QStringLiteral("Run"), QStringLiteral("Pause"), QStringLiteral("Stop")},
                      panel);
    m_over = new QCheckBox(QStringLiteral("Over"), panel);
    m_under = new QCheckBox(QStringLiteral("Under"), panel);
    m_marked = new QCheckBox(QStringLiteral("Marked"), panel);
    m_interval = new QLabel(panel);
    m_clock = new QLabel(panel);

    auto* form = new QFormLayout(panel);
    form->addRow(QStringLiteral("Mode"), m_mode);
    form->addRow(QStringLiteral("Sound"), row({m_pattern, m_level}));
    form->addRow(QStringLiteral("Live"), m_now);
    form->addRow(QStringLiteral("Range"), m_range);
    form->addRow(QStringLiteral("Weighting"), row({m_freq, m_time}));
    form->addRow(QStringLiteral("State"), m_state);
    form->addRow(QStringLiteral("Flags"), row({m_over, m_under, m_marked}));
    form->addRow(QStringLiteral("Interval"), m_interval);
    form->addRow(QStringLiteral("Clock"), m_clock);

    // The cable and the faults on it.
    auto* line = new QGroupBox(QStringLiteral("Line"), this);
    m_cable = new QPushButton(line);
    m_cable->setCheckable(true);
    m_presence = new QPushButton(line);
    m_presence->setCheckable(true);
    m_presence->setToolTip(QStringLiteral("The device disappears as a pulled USB adapter does, and comes back "
                                          "behind the same name"));
    m_noise = new QCheckBox(QStringLiteral("Noise"), line);
    auto* misalign = new QPushButton(QStringLiteral("Misalign"), line);
    auto* corrupt = new QPushButton(QStringLiteral("Corrupt frame"), line);
    auto* lineLayout = new QVBoxLayout(line);
    lineLayout->addLayout(row({m_cable, m_presence, m_noise}));
    lineLayout->addLayout(row({misalign, corrupt}));

    // The logger memory.
    auto* memory = new QGroupBox(QStringLiteral("Logger memory"), this);
    m_memory = new QLabel(memory);
    m_shortDump = new QCheckBox(QStringLiteral("Short dump"), memory);
    auto* erase = new QPushButton(QStringLiteral("Erase"), memory);
    m_replyFault = comboOf({QStringLiteral("Replies right"), QStringLiteral("\"A\" reply short"),
                            QStringLiteral("\"A\" reply long"), QStringLiteral("\"L\" reply short"),
                            QStringLiteral("\"L\" reply long")},
                           memory);
    m_replyFault->setAccessibleName(QStringLiteral("Reply fault"));
    auto* samples = new QPushButton(QStringLiteral("Sample sets"), memory);
    auto* large = new QPushButton(QStringLiteral("Over 64 K"), memory);
    auto* damage = new QPushButton(QStringLiteral("Damage set 2"), memory);
    auto* lowPointer = new QPushButton(QStringLiteral("Pointer 32"), memory);
    auto* memoryLayout = new QVBoxLayout(memory);
    memoryLayout->addWidget(m_memory);
    memoryLayout->addLayout(row({m_shortDump, erase}));
    memoryLayout->addWidget(m_replyFault);
    memoryLayout->addLayout(row({samples, large}));
    memoryLayout->addLayout(row({damage, lowPointer}));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_device);
    layout->addWidget(panel);
    layout->addWidget(line);
    layout->addWidget(memory);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    using Combo = QComboBox;
    const auto onIndex = [this](Combo* box, auto apply) {
        connect(box, &Combo::currentIndexChanged, this, [this, apply](int i) {
            if (m_meter)
                apply(*m_meter, i);
        });
    };
    onIndex(m_mode, [](VirtualMeter& m, int i) { m.setMode(i ? Mode::Logger : Mode::Measuring); });
    onIndex(m_pattern, [](VirtualMeter& m, int i) { m.setPattern(Pattern(i)); });
    onIndex(m_range, [](VirtualMeter& m, int i) { m.setRangeCode(i); });
    onIndex(m_freq, [](VirtualMeter& m, int i) { m.setFreqWeighting(i); });
    onIndex(m_time, [](VirtualMeter& m, int i) { m.setTimeWeighting(i); });
    onIndex(m_state, [](VirtualMeter& m, int i) { m.setRunState(RunState(i)); });
    connect(m_level, &QDoubleSpinBox::valueChanged, this, [this](double db) {
        if (m_meter)
            m_meter->setLevel(db);
    });
    const auto onToggle = [this](QAbstractButton* button, void (VirtualMeter::*set)(bool)) {
        connect(button, &QAbstractButton::toggled, this, [this, set](bool on) {
            if (m_meter)
                (m_meter->*set)(on);
        });
    };
    onToggle(m_over, &VirtualMeter::setOver);
    onToggle(m_under, &VirtualMeter::setUnder);
    onToggle(m_marked, &VirtualMeter::setMarked);
    onToggle(m_noise, &VirtualMeter::setNoise);
    onToggle(m_shortDump, &VirtualMeter::setShortDump);
    connect(m_cable, &QPushButton::toggled, this, [this](bool pulled) {
        if (m_meter)
            pulled ? m_meter->unplug() : m_meter->plug();
    });
    connect(m_presence, &QPushButton::toggled, this, [this](bool gone) {
        if (!m_meter)
            return;
        if (gone)
            m_meter->vanish();
        else if (QString error; !m_meter->comeBack(&error))
            m_device->setText(QStringLiteral("Cannot come back: %1").arg(error));
    });
    connect(misalign, &QPushButton::clicked, this, [this] {
        if (m_meter)
            m_meter->sendMisaligned();
    });
    connect(corrupt, &QPushButton::clicked, this, [this] {
        if (m_meter)
            m_meter->sendCorruptFrame();
    });
    connect(erase, &QPushButton::clicked, this, [this] {
        if (m_meter)
            m_meter->eraseMemory();
    });
    onIndex(m_replyFault, [](VirtualMeter& m, int i) { m.setReplyFault(LoggerMemory::ReplyFault(i)); });
    const auto onClick = [this](QPushButton* button, void (*apply)(VirtualMeter&)) {
        connect(button, &QPushButton::clicked, this, [this, apply] {
            if (m_meter)
                apply(*m_meter);
        });
    };
    onClick(samples, [](VirtualMeter& m) { m.setLoggerSets(sampleLoggerSets()); });
    onClick(large, [](VirtualMeter& m) { m.loadLargeMemory(); });
    onClick(damage, [](VirtualMeter& m) { m.corruptSetMarker(2); });
    onClick(lowPointer, [](VirtualMeter& m) { m.setLoggerPointer(32); });

    if (m_meter)
        connect(m_meter, &VirtualMeter::stateChanged, this, &VirtualMeterWindow::refresh);
    m_liveTimer.setInterval(LiveRefreshMs);
    connect(&m_liveTimer, &QTimer::timeout, this, &VirtualMeterWindow::showLiveLevel);
    m_liveTimer.start();
    refresh();
}

void VirtualMeterWindow::refresh()
{
    setEnabled(m_meter);
    if (!m_meter)
        return;
    const VirtualMeter& m = *m_meter;
    const QList<QObject*> controls{m_mode,  m_pattern, m_level, m_range,  m_freq,
                                   m_time,  m_state,   m_over,  m_under,  m_marked,
                                   m_cable, m_presence, m_noise, m_shortDump, m_replyFault};
    QList<std::shared_ptr<QSignalBlocker>> blockers;
    for (QObject* c : controls)
        blockers.append(std::make_shared<QSignalBlocker>(c));

    m_device->setText(m.isRunning()   ? QStringLiteral("Port %1").arg(m.portPath())
                      : m.isGone() ? QStringLiteral("Device gone")
                                   : QStringLiteral("Not started"));
    m_mode->setCurrentIndex(m.mode() == Mode::Logger ? 1 : 0);
    m_pattern->setCurrentIndex(int(m.pattern()));
    if (!m_level->hasFocus())
        m_level->setValue(m.level());
    m_range->setCurrentIndex(m.rangeCode());
    m_freq->setCurrentIndex(m.freqWeighting());
    m_time->setCurrentIndex(m.timeWeighting());
    m_state->setCurrentIndex(int(m.runState()));
    m_over->setChecked(m.over());
    m_under->setChecked(m.under());
    m_marked->setChecked(m.marked());
    m_cable->setChecked(!m.isPlugged());
    m_cable->setText(m.isPlugged() ? QStringLiteral("Pull cable") : QStringLiteral("Plug cable"));
    m_presence->setChecked(m.isGone());
    m_presence->setText(m.isGone() ? QStringLiteral("Return device") : QStringLiteral("Vanish device"));
    m_noise->setChecked(m.noise());
    m_shortDump->setChecked(m.shortDump());
    m_replyFault->setCurrentIndex(int(m.replyFault()));
    m_memory->setText(QStringLiteral("%1 bytes stored of %2 K, pointer %3")
                          .arg(m.storedData().size())
                          .arg(64 * m.memorySize())
                          .arg(m.loggerPointer()));
    showLiveLevel();
}

void VirtualMeterWindow::showLiveLevel()
{
    if (!m_meter)
        return;
    m_interval->setText(QStringLiteral("%1 s").arg(m_meter->samplingInterval()));
    m_clock->setText(MeterConsole::clockText(m_meter->meterTime()));
    if (m_meter->isGone())
        m_now->setText(QStringLiteral("no device (vanished)"));
    else if (!m_meter->isPlugged())
        m_now->setText(QStringLiteral("silent (cable pulled)"));
    else if (m_meter->mode() == Mode::Logger)
        m_now->setText(QStringLiteral("silent (logger)"));
    else
        m_now->setText(QStringLiteral("%1 dB").arg(m_meter->currentLevel(), 0, 'f', 1));
}

} // namespace kirv::sim
