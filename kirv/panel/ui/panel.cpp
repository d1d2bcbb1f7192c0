#include "kirv/panel/ui/panel.h"

#include "kirv/widgets/graph.h"
#include "kirv/base/clock.h"
#include "kirv/meter/protocol.h"
#include "kirv/meter/serial_link.h"
#include "kirv/widgets/lcd_display.h"
#include "kirv/widgets/placement.h"
#include "kirv/widgets/toolbar_icons.h"
#include "kirv/widgets/controls.h"
#include "kirv/base/civil_time.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kirv {

namespace {

struct ToolbarButton
{
    const char* key;
    const char* tip;
};

constexpr std::array<ToolbarButton, Panel::ToolbarButtons> ToolbarTable{{
    {"Save", "Save As"},
    {"Open", "Open File To Read"},
    {"Sampling", "Sampling Rate"},
    {"AC", "Frequency Weight"},
    {"FSI", "Time Weight"},
    {"Up", "Level Up"},
    {"Down", "Level Down"},
    {"RTC", "Real Time Clock"},
    {"Memory", "Data Logger"},
    {"Erase", "Erase Memory"},
    {"Refresh", "Refresh"},
}};

struct KeyButton
{
    QPushButton* Panel::*member;
    const char* name;
    const char* caption;
    int code;
};

const std::array<KeyButton, 10> KeyTable{{
    {&Panel::BtnCA, "BtnCA", "A / C", protocol::KeyCA},
    {&Panel::BtnFastSlow, "BtnFastSlow", "Fast/Slow/Imp", protocol::KeyFastSlow},
    {&Panel::BtnLeq, "BtnLeq", "Leq SEL SPL", protocol::KeyLeq},
    {&Panel::BtnMax, "BtnMax", "Max Min Inst", protocol::KeyMax},
    {&Panel::BtnPlayPause, "BtnPlayPause", "Run Pause Stop", protocol::KeyPlayPause},
    {&Panel::BtnRecord, "BtnRecord", "Record Erase", protocol::KeyRecord},
    {&Panel::BtnDate, "BtnDate", "Date Time", protocol::KeyDate},
    {&Panel::BtnInteg, "BtnInteg", "Integ Time", protocol::KeyInteg},
    {&Panel::BtnUp, "BtnUp", "Up", protocol::KeyUp},
    {&Panel::BtnDown, "BtnDown", "Down", protocol::KeyDown},
}};

QLabel* lcdLabel(const QString& name, const QString& text, QWidget* parent, int pointSize = 0,
                 bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont f = label->font();
    if (pointSize > 0)
        f.setPointSize(pointSize);
    f.setBold(bold);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor::fromRgba(lcd::Ink));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor::fromRgba(lcd::Faint));
    label->setPalette(p);
    return label;
}

Board* board(const QString& name, const QString& text, QWidget* parent, bool caption = false)
{
    auto* b = new Board(text, parent);
    b->setObjectName(name);
    if (caption) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
        b->setFrameStyle(QFrame::Panel | QFrame::Raised);
    }
    return b;
}

} // namespace

Panel::Panel(SerialLink& link, PortChoice port, const PortTable& ports, QWidget* parent)
    : QMainWindow(parent), m_link(link), m_port(std::move(port)), m_ports(ports)
{
    setObjectName(QStringLiteral("Panel"));
    setWindowTitle(QString::fromLatin1(PanelCaption));
    setAttribute(Qt::WA_DeleteOnClose, false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(200);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);

    buildToolbar();

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    // The meter's values: windows opened beside the panel leave them in sight.
    QWidget* lcd = buildLcd();
    QWidget* readouts = buildReadouts();
    keepInSight(lcd);
    keepInSight(readouts);
    grid->addWidget(lcd, 0, 0);
    grid->addWidget(readouts, 1, 0);
    grid->addWidget(buildKeys(), 2, 0);
    grid->addWidget(buildGraphs(), 0, 1, 3, 1);
    m_listHost = new QWidget(central);
    m_listHost->setObjectName(QStringLiteral("ListHost"));
    auto* listLayout = new QVBoxLayout(m_listHost);
    listLayout->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_listHost, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    setCentralWidget(central);

    LblCOM = new ClickLabel(QStringLiteral("No COM"), this);
    LblCOM->setObjectName(QStringLiteral("LblCOM"));
    LblCOM->setToolTip(tr("Serial link; click to show the version date"));
    LblCOM->setCursor(Qt::PointingHandCursor);
    connect(LblCOM, &ClickLabel::clicked, this, &Panel::LblCOM_Click);
    statusBar()->addPermanentWidget(LblCOM);
    LblLinkLost = new QLabel(this);
    LblLinkLost->setObjectName(QStringLiteral("LblLinkLost"));
    LblLinkLost->hide();
    statusBar()->addWidget(LblLinkLost);
}

Panel::~Panel()
{
    // Parts and windows that end with the panel may still ask for its timers.
    *m_alive = false;
}

void Panel::buildToolbar()
{
    Toolbar1 = new QToolBar(QStringLiteral("Toolbar1"), this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    for (std::size_t i = 0; i < ToolbarTable.size(); ++i) {
        const QString key = QString::fromLatin1(ToolbarTable[i].key);
        QAction* action = Toolbar1->addAction(toolbarIcon(key), key);
        action->setData(key);
        action->setObjectName(key);
        if (i == 2 || i == 6 || i == 9)
            Toolbar1->addSeparator();
        setToolbarTip(int(i) + 1, QString::fromLatin1(ToolbarTable[i].tip));
    }
    addToolBar(Qt::TopToolBarArea, Toolbar1);
}

QAction* Panel::toolbarButton(int index) const
{
    const auto actions = Toolbar1->actions();
    int n = 0;
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        if (++n == index)
            return a;
    }
    return nullptr;
}

QToolButton* Panel::toolbarWidget(int index) const
{
    return qobject_cast<QToolButton*>(Toolbar1->widgetForAction(toolbarButton(index)));
}

void Panel::setToolbarTip(int index, const QString& tip)
{
    QAction* action = toolbarButton(index);
    action->setToolTip(tip);
    if (QWidget* w = Toolbar1->widgetForAction(action)) {
        w->setAccessibleName(action->text());
        w->setAccessibleDescription(tip);
    }
}

QWidget* Panel::buildLcd()
{
    auto* face = new QFrame(this);
    m_lcdFace = face;
    face->setObjectName(QStringLiteral("LcdFace"));
    face->setFrameStyle(QFrame::Box | QFrame::Plain);
    face->setLineWidth(2);
    face->setAutoFillBackground(true);
    QPalette p = face->palette();
    p.setColor(QPalette::Window, QColor::fromRgba(lcd::Face));
    face->setPalette(p);

    auto* v = new QVBoxLayout(face);
    v->setContentsMargins(10, 6, 10, 6);
    v->setSpacing(2);

    // Top row: time weighting, frequency weighting, state marks, range marks.
    auto* top = new QHBoxLayout;
    LblFast = lcdLabel(QStringLiteral("LblFast"), QStringLiteral("FAST"), face, 9, true);
    LblSlow = lcdLabel(QStringLiteral("LblSlow"), QStringLiteral("SLOW"), face, 9, true);
    LblIMP = lcdLabel(QStringLiteral("LblIMP"), QStringLiteral("IMP"), face, 9, true);
    LblMax = lcdLabel(QStringLiteral("LblMax"), QStringLiteral("max"), face, 8);
    LblL = lcdLabel(QStringLiteral("LblL"), QStringLiteral("L"), face, 8);
    LblM = lcdLabel(QStringLiteral("LblM"), QStringLiteral("M"), face, 8);
    LblR = lcdLabel(QStringLiteral("LblR"), QStringLiteral("R"), face, 8);
    LblRun = new Shape(Shape::Run, QStringLiteral("Run"), face);
    LblPause = new Shape(Shape::Pause, QStringLiteral("Pause"), face);
    LblStop = new Shape(Shape::Stop, QStringLiteral("Stop"), face);
    LblRun->setObjectName(QStringLiteral("LblRun"));
    LblPause->setObjectName(QStringLiteral("LblPause"));
    LblStop->setObjectName(QStringLiteral("LblStop"));
    for (QWidget* w : {static_cast<QWidget*>(LblFast), static_cast<QWidget*>(LblSlow),
                       static_cast<QWidget*>(LblIMP)})
        top->addWidget(w);
    top->addSpacing(8);
    for (QWidget* w : {static_cast<QWidget*>(LblMax), static_cast<QWidget*>(LblL),
                       static_cast<QWidget*>(LblM), static_cast<QWidget*>(LblR)})
        top->addWidget(w);
    top->addStretch();
    top->addWidget(LblRun);
    top->addWidget(LblPause);
    top->addWidget(LblStop);
    v->addLayout(top);

    // The large level with its unit, the weighting and over/under marks beside it.
    auto* middle = new QHBoxLayout;
    auto* marks = new QVBoxLayout;
    LblOver = lcdLabel(QStringLiteral("LblOver"), QStringLiteral("OVER"), face, 8, true);
    LblUnder = lcdLabel(QStringLiteral("LblUnder"), QStringLiteral("UNDER"), face, 8, true);
    LblFull = lcdLabel(QStringLiteral("LblFull"), QStringLiteral("FULL"), face, 8);
    marks->addWidget(LblOver);
    marks->addWidget(LblUnder);
    marks->addWidget(LblFull);
    marks->addStretch();
    middle->addLayout(marks);
    ShownLCD = new LcdDisplay(QStringLiteral("140.0"), face);
    ShownLCD->setObjectName(QStringLiteral("ShownLCD"));
    ShownLCD->setMinimumSize(264, 80);
    middle->addWidget(ShownLCD, 1);
    auto* unit = new QVBoxLayout;
    LblA = lcdLabel(QStringLiteral("LblA"), QStringLiteral("A"), face, 8);
    LblC = lcdLabel(QStringLiteral("LblC"), QStringLiteral("C"), face, 8);
    LblCA = lcdLabel(QStringLiteral("LblCA"), QStringLiteral("C"), face, 16, true);
    LbldB = lcdLabel(QStringLiteral("LbldB"), QStringLiteral("dB"), face, 14, true);
    // The weighting marks printed on the meter's face, above the one the meter lights (LblCA).
    auto* weightMarks = new QHBoxLayout;
    weightMarks->setSpacing(6);
    weightMarks->addWidget(LblA);
    weightMarks->addWidget(LblC);
    weightMarks->addStretch();
    unit->addLayout(weightMarks);
    unit->addWidget(LblCA);
    unit->addStretch();
    unit->addWidget(LbldB);
    middle->addLayout(unit);
    v->addLayout(middle);

    // The bar, scaled to the range, with its ends and scale marks.
    auto* barRow = new QHBoxLayout;
    LblBarMin = lcdLabel(QStringLiteral("LblBarMin"), QStringLiteral("70"), face, 8);
    LblBarMax = lcdLabel(QStringLiteral("LblBarMax"), QStringLiteral("130"), face, 8);
    SoundBar = new QProgressBar(face);
    SoundBar->setObjectName(QStringLiteral("SoundBar"));
    SoundBar->setTextVisible(false);
    SoundBar->setFixedHeight(12);
    SoundBar->setRange(70, 130);
    SoundBar->setValue(70);
    SoundBar->setStyleSheet(QStringLiteral(
        "QProgressBar { border: 1px solid #1e2a1e; background: #a9bb94; }"
        "QProgressBar::chunk { background: #1e2a1e; }"
        "QProgressBar::chunk:disabled { background: #9db08a; }"));
    barRow->addWidget(LblBarMin);
    barRow->addWidget(SoundBar, 1);
    barRow->addWidget(LblBarMax);
    v->addLayout(barRow);
    auto* scale = new QHBoxLayout;
    scale->setContentsMargins(LblBarMin->sizeHint().width() + 6, 0,
                              LblBarMax->sizeHint().width() + 6, 0);
    for (int i = 0; i < 8; ++i) {
        L[std::size_t(i)] = lcdLabel(QStringLiteral("L%1").arg(i), QString::number(i), face, 7);
        scale->addWidget(L[std::size_t(i)]);
        if (i < 7)
            scale->addStretch();
    }
    v->addLayout(scale);

    auto* bottom = new QHBoxLayout;
    Label1 = lcdLabel(QStringLiteral("Label1"), QStringLiteral("SPL"), face, 8, true);
    LeqLabel = lcdLabel(QStringLiteral("LeqLabel"), QStringLiteral("Leq"), face, 8);
    SELLabel = lcdLabel(QStringLiteral("SELLabel"), QStringLiteral("SEL"), face, 8);
    LblL99 = lcdLabel(QStringLiteral("LblL99"), QStringLiteral("L99"), face, 8);
    LblL00 = lcdLabel(QStringLiteral("LblL00"), QStringLiteral("L00"), face, 8);
    for (QLabel* l : {Label1, LeqLabel, SELLabel, LblL99, LblL00})
        bottom->addWidget(l);
    bottom->addStretch();
    // The level as text, with the star of a marked reading: what the records take.
    LblValue = lcdLabel(QStringLiteral("LblValue"), QStringLiteral("140.0"), face, 12, true);
    LblValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int valueWidth = LblValue->fontMetrics().horizontalAdvance(QStringLiteral("3276.7*"));
    LblValue->setMinimumWidth(valueWidth + 4);
    bottom->addWidget(LblValue);
    v->addLayout(bottom);
    return face;
}

QWidget* Panel::buildReadouts()
{
    auto* box = new QWidget(this);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(4);
    BoardLevel = board(QStringLiteral("BoardLevel"), QStringLiteral("80-140"), box);
    BoardSFI = board(QStringLiteral("BoardSFI"), QString(), box);
    BoardCA = board(QStringLiteral("BoardCA"), QString(), box);
    g->addWidget(BoardLevel, 0, 0);
    g->addWidget(BoardSFI, 0, 1);
    g->addWidget(BoardCA, 0, 2, 1, 2);
    // Heard by the captions the logger's set view gives the same values.
    captionValue(BoardLevel, QStringLiteral("Level Range"));
    captionValue(BoardSFI, QStringLiteral("Time Weight"));
    captionValue(BoardCA, QStringLiteral("Freq Weight"));
    BoardLevel->setToolTip(tr("Measuring range (dB)"));
    BoardSFI->setToolTip(tr("Time weighting"));
    BoardCA->setToolTip(tr("Frequency weighting"));

    SSLeq = board(QStringLiteral("SSLeq"), QStringLiteral("Leq"), box, true);
    BoardLeq = board(QStringLiteral("BoardLeq"), QString(), box);
    SSSEL = board(QStringLiteral("SSSEL"), QStringLiteral("SEL"), box, true);
    BoardSEL = board(QStringLiteral("BoardSEL"), QString(), box);
    SSMax = board(QStringLiteral("SSMax"), QStringLiteral("Max dB"), box, true);
    BoardMaxdB = board(QStringLiteral("BoardMaxdB"), QString(), box);
    BoardMaxTime = board(QStringLiteral("BoardMaxTime"), QString(), box);
    captionValue(BoardLeq, SSLeq->text());
    captionValue(BoardSEL, SSSEL->text());
    captionValue(BoardMaxdB, SSMax->text());
    captionValue(BoardMaxTime, QStringLiteral("Time of the maximum"));
    g->addWidget(SSLeq, 1, 0);
    g->addWidget(BoardLeq, 1, 1);
    g->addWidget(SSSEL, 1, 2);
    g->addWidget(BoardSEL, 1, 3);
    g->addWidget(SSMax, 2, 0);
    g->addWidget(BoardMaxdB, 2, 1);
    g->addWidget(BoardMaxTime, 2, 2, 1, 2);
    m_readoutGrid = g;
    return box;
}

QString Panel::keyCaption(int code) const
{
    for (const KeyButton& k : KeyTable)
        if (k.code == code)
            return QString::fromLatin1(k.caption);
    return QString::number(code);
}

QWidget* Panel::buildKeys()
{
    auto* box = new QGroupBox(tr("Meter keys"), this);
    auto* g = new QGridLayout(box);
    g->setSpacing(4);
    int i = 0;
    for (const KeyButton& k : KeyTable) {
        auto* button = new QPushButton(QString::fromLatin1(k.caption), box);
        button->setObjectName(QString::fromLatin1(k.name));
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        this->*k.member = button;
        const int code = k.code;
        connect(button, &QPushButton::clicked, this, [this, code] { emit keyPressed(code); });
        g->addWidget(button, i / 5, i % 5);
        ++i;
    }
    return box;
}

QWidget* Panel::buildGraphs()
{
    auto* box = new QWidget(this);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    auto* options = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const char* captions[3] = {"SPL", "Leq", "SEL"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(captions[i]), box);
        option->setObjectName(QStringLiteral("SSOpt%1").arg(i));
        SSOpt[std::size_t(i)] = option;
        group->addButton(option, i);
        options->addWidget(option);
    }
    options->addStretch();
    SSOpt[0]->setChecked(true);
    // Toggled rather than clicked: an option set through assistive technology switches too.
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            SSOpt_Click(id);
    });
    v->addLayout(options);

    const auto makeGraph = [box](const char* name, const char* yTitle, bool histogram) {
        auto* graph = new Graph(box);
        graph->setObjectName(QString::fromLatin1(name));
        graph->setCompact(true);
        graph->setAxisTitle(Graph::Axis::Y, QString::fromLatin1(yTitle));
        graph->setPlotStyle(histogram ? Graph::PlotStyle::Steps : Graph::PlotStyle::Line);
        graph->setMinimumSize(260, 150);
        return graph;
    };
    CWG = makeGraph("CWG", "SPL (dB)", false);
    CWLeq = makeGraph("CWLeq", "Leq (dB)", false);
    CWSEL = makeGraph("CWSEL", "SEL (dB)", false);
    CWInt = makeGraph("CWInt", "Frequency (Times)", true);
    CWDec = makeGraph("CWDec", "Frequency (Times)", true);
    CWInt->setAxisFormat(Graph::Axis::X, QStringLiteral("0"));
    CWDec->setAxisFormat(Graph::Axis::X, QStringLiteral("*.1"));
    for (Graph* g : {CWInt, CWDec})
        g->setCountAxisAutoScale(true);
    // The small time graphs show the last two minutes; the full series stay with the sampler
    // for the large graph windows.
    for (Graph* g : {CWG, CWLeq, CWSEL}) {
        g->setStripCapacity(3600);
        g->setStripLength(120);
    }
    for (Graph* g : {CWG, CWLeq, CWSEL})
        v->addWidget(g, 1);
    for (Graph* g : {CWInt, CWDec})
        v->addWidget(g, 1);
    CWLeq->hide();
    CWSEL->hide();
    CWInt->hide();
    return box;
}

bool Panel::load(QString* failureDetail)
{
    placeWindow(this, {0, 0});
    const QString device = deviceForChoice(m_port, m_ports);
    if (device.isEmpty() || !m_link.open(device, QString::fromLatin1(MeterLineSettings))) {
        if (failureDetail)
            *failureDetail = openFailureDetail(m_port, device, m_link.lastFailure(), m_link.lastError());
        return false;
    }
    LblCOM->setText(labelForChoice(m_port));
    emit loading();
    Timer1->start();
    Timer2->start();
    return true;
}

void Panel::LblCOM_Click()
{
    setWindowTitle(windowTitle() == QLatin1String(PanelCaption) ? QString::fromLatin1(CaptionWithDate)
                                                            : QString::fromLatin1(PanelCaption));
}

void Panel::SSOpt_Click(int index)
{
    CWG->setVisible(index == 0);
    CWLeq->setVisible(index == 1);
    CWSEL->setVisible(index != 0 && index != 1);
}

void Panel::setLinkLost(bool lost, const QString& goneDevice)
{
    if (m_linkLost == lost)
        return;
    m_linkLost = lost;
    // The last values stay in view, faded as not current, and the status says since when.
    for (QWidget* value : std::initializer_list<QWidget*>{m_lcdFace, BoardLevel, BoardSFI, BoardCA, BoardLeq,
                                                          BoardSEL, BoardMaxdB, BoardMaxTime})
        value->setEnabled(!lost);
    QString since = lost ? QStringLiteral("Link lost since %1").arg(stampText(now())) : QString();
    if (lost && !goneDevice.isEmpty())
        since += QStringLiteral(": device %1 gone").arg(QDir::toNativeSeparators(goneDevice));
    LblLinkLost->setText(since);
    LblLinkLost->setVisible(lost);
    emit linkLostChanged(lost);
}

void Panel::stopTimers()
{
    if (!*m_alive)
        return;
    Timer1->stop();
    Timer2->stop();
}

void Panel::startTimers(bool poll, bool tick)
{
    if (!*m_alive)
        return;
    if (poll)
        Timer1->start();
    if (tick)
        Timer2->start();
}

void Panel::closeEvent(QCloseEvent* event)
{
    // Closing the panel ends the program; nothing is sent to the meter.
    stopTimers();
    emit unloading();
    event->accept();
    qApp->quit();
}

} // namespace kirv
