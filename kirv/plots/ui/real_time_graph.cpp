#include "kirv/plots/ui/real_time_graph.h"

#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/histogram_parts.h"

#include "kirv/plots/graph_hand_over.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/print_job.h"
#include "kirv/widgets/placement.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QPrinter>
#include <QScreen>

#include <algorithm>

namespace kirv {

namespace {

// Window geometry while printing, in twips: the window's width and the graph's distance from
// the window's edge.
constexpr int PrintWidthTwips = 11550;
constexpr int PrintMarginTwips = 720;

QPointer<RealTimeGraph>& openWindow()
{
    static QPointer<RealTimeGraph> window;
    return window;
}

} // namespace

RealTimeGraph::RealTimeGraph(QWidget* parent)
    : TimeGraphWindow(QString::fromLatin1(Caption), QStringLiteral("Value ( Y ) :"),
                      QStringLiteral("Drag the cursor with your mouse to get X (Count) and Y "
                                     "(Value) position."),
                      parent)
{
    setObjectName(QStringLiteral("RealTimeGraph"));
    // Two cursors, both hidden until the cursor mode shows the first.
    for (int i = 0; i < 2; ++i) {
        const int cursor = CWGraph1->addCursor(Qt::red);
        CWGraph1->setCursorSnapToPlot(cursor, true);
        CWGraph1->setCursorVisible(cursor, false);
    }
    Combo1->setCurrentIndex(NormalMode);
    Combo1_Click();
}

void RealTimeGraph::load(std::span<const double> series)
{
    GraphHandOver& h = graphHandOver();
    h.GraphLoading = true;
    CWGraph1->setAxisTitle(Graph::Axis::Y, h.GraphTitle);
    AxisMax[1]->setValue(h.GraphCount);
    AxisMin[1]->setValue(1);
    AxisMax[2]->setValue(h.GraphYHigh);
    AxisMin[2]->setValue(h.GraphYLow);
    CWGraph1->setAxisTitle(Graph::Axis::Y, h.GraphTitle);
    h.GraphLoading = false;
    LblUnit->setText(h.GraphTitle);
    setRanges(1, h.GraphCount, h.GraphYLow, h.GraphYHigh);
    CWGraph1->plotY(series, 1.0, 1.0);
}

bool RealTimeGraph::rangeEditsApply() const
{
    return !graphHandOver().GraphLoading;
}

void RealTimeGraph::cursorModeChanged(bool on)
{
    CWGraph1->setCursorVisible(1, false);
    CWGraph1->setCursorVisible(0, on);
    if (!on)
        return;
    const double x = (CWGraph1->axisMin(Graph::Axis::X) + CWGraph1->axisMax(Graph::Axis::X)) / 2;
    const double y = (CWGraph1->axisMin(Graph::Axis::Y) + CWGraph1->axisMax(Graph::Axis::Y)) / 2;
    CWGraph1->setCursorSnapToPlot(0, false);
    CWGraph1->setCursorPosition(0, x, y);
    CWGraph1->setCursorSnapToPlot(0, true);
    showCursorReadout(x, y);
}

void RealTimeGraph::CmdReset_Click()
{
    const GraphHandOver& h = graphHandOver();
    AxisMax[1]->setValue(h.GraphCount);
    AxisMin[1]->setValue(1);
    AxisMax[2]->setValue(h.GraphYHigh);
    AxisMin[2]->setValue(h.GraphYLow);
    setRanges(1, h.GraphCount, h.GraphYLow, h.GraphYHigh);
}

void RealTimeGraph::CmdPrint_Click()
{
    Combo1->setCurrentIndex(NormalMode);
    QPrinter printer;
    if (!Dialogs::instance().print(this, printer))
        return;
    showMessage(this, printerNoteText(), QMessageBox::NoIcon, QString::fromLatin1(AppTitle));
    // The dialog's orientation is already the printer's; its copies are printed one by one.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    setPrintLayout(true);
    printImage(printer, copies); // a failure is said; the window is restored either way
    setPrintLayout(false);
}

void RealTimeGraph::setPrintLayout(bool printing)
{
    if (printing) {
        m_yTitle = CWGraph1->axisTitle(Graph::Axis::Y);
        enterPrintLook();
        resize(twipsToPixels(this, PrintWidthTwips), height());
        const int margin = twipsToPixels(this, PrintMarginTwips);
        layout()->setContentsMargins(margin, margin, margin, margin);
        CWGraph1->setAxisTitle(Graph::Axis::Y, QString());
    } else {
        CWGraph1->setAxisTitle(Graph::Axis::Y, m_yTitle);
        resize(designSize());
        const int margin = designMargin();
        layout()->setContentsMargins(margin, margin, margin, margin);
        leavePrintLook();
    }
}

RealTimeGraph* openRealTimeGraph(QWidget* parent, std::span<const double> series)
{
    if (RealTimeGraph* old = openWindow()) {
        // Gone at once, so the new window is the only one that holds the name.
        old->hide();
        delete old;
    }
    auto* window = new RealTimeGraph(parent);
    openWindow() = window;
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        placeWindow(window, screen->availableGeometry().topLeft());
    window->load(series);
    window->show();
    window->raise();
    return window;
}

RealTimeGraph* realTimeGraphWindow()
{
    return openWindow();
}

} // namespace kirv
