#include "kirv/plots/ui/time_graph_window.h"

#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/histogram_parts.h"

#include "kirv/plots/axis_format.h"
#include "kirv/widgets/print_job.h"

#include <qcustomplot.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kirv {

namespace {

// Texts of txtDescription for every mode but the cursor, which each window words itself.
const QStringList& modeDescriptions()
{
    static const QStringList texts{
        QStringLiteral("Normal mode"),
        QString(),
        QStringLiteral("Click anywhere on the plot area and drag to pan the graph both "
                       "horizontally and vertically."),
        QStringLiteral("Click anywhere on the plot area and drag to pan the graph horizontally."),
        QStringLiteral("Click anywhere on the plot area and drag to pan the graph vertically."),
        QStringLiteral("Select a region on the graph to zoom both horizontally and vertically."),
        QStringLiteral("Select a region on the graph to zoom horizontally."),
        QStringLiteral("Select a region on the graph to zoom vertically."),
    };
    return texts;
}

// A range editor: record numbers are whole, levels have one decimal ("0.0").
QDoubleSpinBox* rangeEditor(const QString& name, const QString& accessible, int decimals,
                            QWidget* parent)
{
    auto* edit = new QDoubleSpinBox(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    edit->setDecimals(decimals);
    edit->setRange(decimals == 0 ? -999999.0 : -999.9, decimals == 0 ? 9999999.0 : 9999.9);
    edit->setKeyboardTracking(false); // a typed number applies on Enter or when leaving the box
    edit->setAlignment(Qt::AlignRight);
    edit->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    return edit;
}

QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLabel* readout(const QString& name, QWidget* parent)
{
    auto* l = label(name, QString(), parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(70);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QGroupBox* frame(const QString& name, const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

const QStringList& TimeGraphWindow::modeNames()
{
    static const QStringList names{
        QStringLiteral("Normal"), QStringLiteral("Cursor Coordinates"),
        QStringLiteral("PanXY"),  QStringLiteral("PanX"),
        QStringLiteral("PanY"),   QStringLiteral("ZoomXY"),
        QStringLiteral("ZoomX"),  QStringLiteral("ZoomY"),
    };
    return names;
}

TimeGraphWindow::TimeGraphWindow(const QString& caption, const QString& yReadoutTitle,
                                 const QString& cursorDescription, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_cursorDescription(cursorDescription)
{
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);

    CWGraph1 = new Graph(this);
    CWGraph1->setObjectName(QStringLiteral("CWGraph1"));
    CWGraph1->setAccessibleName(caption);
    CWGraph1->setMinimumSize(400, 250);
    CWGraph1->setAxisFormat(Graph::Axis::X, AxisNumberFormat::Whole); // record and sample numbers

    FrmGraphic = frame(QStringLiteral("FrmGraphic"), QStringLiteral("Graphic Plot"), this);

    // Graph Range: x row (record numbers), y row (levels).
    SSFrame4 = frame(QStringLiteral("SSFrame4"), QStringLiteral("Graph Range"), FrmGraphic);
    Label3 = label(QStringLiteral("Label3"), QStringLiteral("No.s"), SSFrame4);
    LblUnit = label(QStringLiteral("LblUnit"), QString(), SSFrame4);
    Label6 = label(QStringLiteral("Label6"), QStringLiteral("Min"), SSFrame4);
    Label5 = label(QStringLiteral("Label5"), QStringLiteral("Max"), SSFrame4);
    AxisMin[1] = rangeEditor(QStringLiteral("AxisMin1"), QStringLiteral("No.s Min"), 0, SSFrame4);
    AxisMax[1] = rangeEditor(QStringLiteral("AxisMax1"), QStringLiteral("No.s Max"), 0, SSFrame4);
    AxisMin[2] = rangeEditor(QStringLiteral("AxisMin2"), QStringLiteral("Level Min"), 1, SSFrame4);
    AxisMax[2] = rangeEditor(QStringLiteral("AxisMax2"), QStringLiteral("Level Max"), 1, SSFrame4);
    auto* range = new QGridLayout(SSFrame4);
    range->addWidget(Label6, 0, 1, Qt::AlignHCenter);
    range->addWidget(Label5, 0, 2, Qt::AlignHCenter);
    range->addWidget(Label3, 1, 0);
    range->addWidget(AxisMin[1], 1, 1);
    range->addWidget(AxisMax[1], 1, 2);
    range->addWidget(LblUnit, 2, 0);
    range->addWidget(AxisMin[2], 2, 1);
    range->addWidget(AxisMax[2], 2, 2);
    Label3->setBuddy(AxisMin[1]);
    LblUnit->setBuddy(AxisMin[2]);

    // Track Mode: the pointer mode and what it does.
    SSFrame3 = frame(QStringLiteral("SSFrame3"), QStringLiteral("Track Mode"), FrmGraphic);
    Combo1 = new QComboBox(SSFrame3);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("Track Mode"));
    Combo1->addItems(modeNames());
    txtDescription = new QPlainTextEdit(SSFrame3);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    txtDescription->setAccessibleName(QStringLiteral("Mode description"));
    txtDescription->setReadOnly(true);
    txtDescription->setFocusPolicy(Qt::ClickFocus);
    // Room for the longest description; a scroll bar rather than a cut text should a font be
    // larger than expected.
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    txtDescription->setFixedHeight(QFontMetrics(txtDescription->font()).lineSpacing() * 5 + 10);
    txtDescription->setMinimumWidth(160);
    auto* track = new QVBoxLayout(SSFrame3);
    track->addWidget(Combo1);
    track->addWidget(txtDescription);

    // Cursor Information: where the first cursor stands.
    SSFrame2 = frame(QStringLiteral("SSFrame2"), QStringLiteral("Cursor Information"), FrmGraphic);
    Label1 = label(QStringLiteral("Label1"), QStringLiteral("No.s ( X ) :"), SSFrame2);
    XPosition = readout(QStringLiteral("XPosition"), SSFrame2);
    Label2 = label(QStringLiteral("Label2"), yReadoutTitle, SSFrame2);
    YPosition = readout(QStringLiteral("YPosition"), SSFrame2);
    // The read-outs' names are the values they show; what they are is their description.
    XPosition->setAccessibleDescription(Label1->text());
    YPosition->setAccessibleDescription(Label2->text());
    auto* cursor = new QGridLayout(SSFrame2);
    cursor->addWidget(Label1, 0, 0);
    cursor->addWidget(XPosition, 0, 1);
    cursor->addWidget(Label2, 1, 0);
    cursor->addWidget(YPosition, 1, 1);
    cursor->setRowStretch(2, 1);

    CmdReset = new QPushButton(QStringLiteral("Reset Scale"), FrmGraphic);
    CmdReset->setObjectName(QStringLiteral("CmdReset"));
    CmdPrint = new QPushButton(QStringLiteral("Print Graph"), FrmGraphic);
    CmdPrint->setObjectName(QStringLiteral("CmdPrint"));
    auto* commands = new QVBoxLayout;
    commands->addStretch();
    commands->addWidget(CmdReset);
    commands->addWidget(CmdPrint);

    auto* controls = new QHBoxLayout(FrmGraphic);
    controls->addWidget(SSFrame4);
    controls->addWidget(SSFrame3, 1);
    controls->addWidget(SSFrame2);
    controls->addLayout(commands);

    m_content = new QVBoxLayout(this);
    m_content->setContentsMargins(designMargin(), designMargin(), designMargin(), designMargin());
    m_content->addWidget(CWGraph1, 1);
    m_content->addWidget(FrmGraphic);
    resize(designSize());

    connect(Combo1, &QComboBox::currentIndexChanged, this, &TimeGraphWindow::Combo1_Click);
    for (int i : {1, 2}) {
        connect(AxisMin[std::size_t(i)], &QDoubleSpinBox::valueChanged, this,
                [this, i] { AxisMin_ValueChanged(i); });
        connect(AxisMax[std::size_t(i)], &QDoubleSpinBox::valueChanged, this,
                [this, i] { AxisMax_ValueChanged(i); });
    }
    connect(CWGraph1, &Graph::cursorMoved, this, &TimeGraphWindow::CWGraph1_CursorChange);
    connect(CmdReset, &QPushButton::clicked, this, [this] { CmdReset_Click(); });
    connect(CmdPrint, &QPushButton::clicked, this, [this] { CmdPrint_Click(); });
}

QSize TimeGraphWindow::designSize()
{
    return {twipsToPixels(this, 10650), twipsToPixels(this, 8865)};
}

int TimeGraphWindow::designMargin()
{
    return twipsToPixels(this, 120);
}

void TimeGraphWindow::Combo1_Click()
{
    const int mode = Combo1->currentIndex();
    if (mode < 0)
        return;
    txtDescription->setPlainText(mode == CursorMode ? m_cursorDescription
                                                    : modeDescriptions().value(mode));
    CWGraph1->setPointerMode(Graph::PointerMode(mode));
    cursorModeChanged(mode == CursorMode);
    // Without its cursor the read-out would tell of a place no longer marked.
    if (mode != CursorMode) {
        XPosition->clear();
        YPosition->clear();
    }
}

void TimeGraphWindow::AxisMin_ValueChanged(int)
{
    applyEditors();
}

void TimeGraphWindow::AxisMax_ValueChanged(int)
{
    applyEditors();
}

void TimeGraphWindow::applyEditors()
{
    if (!rangeEditsApply())
        return;
    setRanges(AxisMin[1]->value(), AxisMax[1]->value(), AxisMin[2]->value(), AxisMax[2]->value());
}

void TimeGraphWindow::setEditorsQuietly(double xMin, double xMax, double yMin, double yMax)
{
    const std::array<std::pair<QDoubleSpinBox*, double>, 4> values{
        {{AxisMin[1], xMin}, {AxisMax[1], xMax}, {AxisMin[2], yMin}, {AxisMax[2], yMax}}};
    for (const auto& [editor, value] : values) {
        const QSignalBlocker quiet(editor);
        editor->setValue(value);
    }
}

void TimeGraphWindow::setRanges(double xMin, double xMax, double yMin, double yMax)
{
    CWGraph1->setAxisRange(Graph::Axis::X, xMin, xMax);
    CWGraph1->setAxisRange(Graph::Axis::Y, yMin, yMax);
}

void TimeGraphWindow::CWGraph1_CursorChange(int index, double x, double y)
{
    if (index == 0)
        showCursorReadout(x, y);
}

void TimeGraphWindow::showCursorReadout(double x, double y)
{
    XPosition->setText(formatAxisValue(x, AxisNumberFormat::General));
    YPosition->setText(formatAxisValue(y, AxisNumberFormat::OneDecimal));
}

void TimeGraphWindow::enterPrintLook()
{
    m_graphBackground = CWGraph1->backgroundColor();
    QPalette look = palette();
    look.setColor(QPalette::Window, look.color(QPalette::Base));
    setPalette(look);
    setAutoFillBackground(true);
    CWGraph1->setBackgroundColor(Qt::white);
    FrmGraphic->hide();
}

void TimeGraphWindow::leavePrintLook()
{
    setPalette(QPalette());
    setAutoFillBackground(false);
    FrmGraphic->show();
    CWGraph1->setBackgroundColor(m_graphBackground);
}

bool TimeGraphWindow::printImage(QPrinter& printer, int copies)
{
    // The image is taken now, with the printing layout in place.
    layout()->activate();
    CWGraph1->plot()->replot(QCustomPlot::rpImmediateRefresh);
    for (int i = 0; i < copies; ++i) {
        if (!printWidgetImage(printer, this))
            return false;
    }
    return true;
}

} // namespace kirv
