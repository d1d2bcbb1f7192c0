#include "kirv/plots/ui/real_histogram.h"

#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/histogram_parts.h"
#include "kirv/widgets/print_job.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/print_job.h"
#include "kirv/widgets/placement.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include <array>
#include <vector>

namespace kirv {

namespace {

// Window and graph placement on screen and while printing, in twips.
constexpr int ScreenWidth = 10410;
constexpr int ScreenHeight = 6210;
constexpr int PrintWidth = 11115;
constexpr int PrintHeight = 6465;
constexpr int PrintMargin = 720;

} // namespace

QString realHistogramDescription(int item)
{
    static const std::array<const char*, 7> texts{
        "Normal mode",
        "Click anywhere on the plot area and drag to pan the graph both horizontally and "
        "vertically.",
        "Click anywhere on the plot area and drag to pan the graph horizontally.",
        "Click anywhere on the plot area and drag to pan the graph vertically.",
        "Select a region on the graph to zoom both horizontally and vertically.",
        "Select a region on the graph to zoom horizontally.",
        "Select a region on the graph to zoom vertically.",
    };
    return item >= 0 && item < int(texts.size()) ? QString::fromLatin1(texts[size_t(item)])
                                                 : QString();
}

RealHistogram::RealHistogram(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("RealHistogram"));
    setWindowTitle(QStringLiteral("Histogram"));
    setAttribute(Qt::WA_DeleteOnClose);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addToolbarButton(Toolbar1, QStringLiteral("Track"), QStringLiteral("Track Mode"));
    addToolbarButton(Toolbar1, QStringLiteral("Reset"), QStringLiteral("Reset Scale"));
    addToolbarButton(Toolbar1, QStringLiteral("Print"), QStringLiteral("Print"));
    connect(Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction* a) { Toolbar1_ButtonClick(a->data().toString()); });
    layout->addWidget(Toolbar1);

    Picture1 = new HistogramModePanel(histogramModeItems(QStringLiteral("Reset Scale")), this);
    connect(Picture1->Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    layout->addWidget(Picture1);

    CWGraph1 = new Graph(this);
    CWGraph1->setObjectName(QStringLiteral("CWGraph1"));
    CWGraph1->setPlotStyle(Graph::PlotStyle::Steps);
    CWGraph1->setAxisTitle(Graph::Axis::X, QStringLiteral("dB"));
    CWGraph1->setAxisTitle(Graph::Axis::Y, QStringLiteral("Frequency (Times)"));
    layout->addWidget(CWGraph1, 1);

    resize(twipsToPixels(this, ScreenWidth), twipsToPixels(this, ScreenHeight));
    if (const QScreen* screen = this->screen())
        placeWindow(this, screen->availableGeometry().topLeft());

    Picture1->Combo1->setCurrentIndex(0);
    Combo1_Click();
}

HistogramHandOver RealHistogram::plotTable(std::span<const int> counts, bool tenths, int xLow,
                                           int xHigh)
{
    CWGraph1->setAxisFormat(Graph::Axis::X,
                            tenths ? AxisNumberFormat::Tenths : AxisNumberFormat::Whole);
    CWGraph1->setAxisRange(Graph::Axis::X, xLow, xHigh);
    const std::vector<double> y(counts.begin(), counts.end());
    CWGraph1->plotY(y, 0.0, 1.0);
    CWGraph1->autoScaleCountAxis();
    m_handOver.HistXHigh = CWGraph1->axisMax(Graph::Axis::X);
    m_handOver.HistXLow = CWGraph1->axisMin(Graph::Axis::X);
    m_handOver.HistYHigh = CWGraph1->axisMax(Graph::Axis::Y);
    return m_handOver;
}

void RealHistogram::Toolbar1_ButtonClick(const QString& key)
{
    Picture1->hide();
    if (key == QLatin1String("Track"))
        Picture1->show();
    else if (key == QLatin1String("Reset"))
        resetScale();
    else if (key == QLatin1String("Print"))
        print();
}

void RealHistogram::Combo1_Click()
{
    const int item = Picture1->Combo1->currentIndex();
    if (item == HistogramResetItem) {
        resetScale();
    } else if (item >= 0) {
        CWGraph1->setPointerMode(histogramPointerMode(item));
        Picture1->txtDescription->setText(realHistogramDescription(item));
    }
    Picture1->hide();
}

void RealHistogram::resetScale()
{
    CWGraph1->setAxisRange(Graph::Axis::Y, 0.0, m_handOver.HistYHigh);
    CWGraph1->setAxisRange(Graph::Axis::X, m_handOver.HistXLow, m_handOver.HistXHigh);
}

void RealHistogram::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!Dialogs::instance().print(this, printer))
        return;
    showMessage(this, printerNoteText(), QMessageBox::NoIcon);
    // The dialog's copies and orientation are in the printer already; the printer makes the copies.
    applyPrintLayout(true);
    printWidgetImage(printer, this);
    // The window comes back whatever the printer did.
    applyPrintLayout(false);
}

void RealHistogram::applyPrintLayout(bool printing)
{
    auto* box = static_cast<QVBoxLayout*>(layout());
    if (printing) {
        Toolbar1->hide();
        setBackgroundRole(QPalette::Base); // the system window colour: white paper around the graph
        m_countTitle = CWGraph1->axisTitle(Graph::Axis::Y);
        CWGraph1->setAxisTitle(Graph::Axis::Y, QString());
        m_graphBackground = CWGraph1->backgroundColor();
        CWGraph1->setBackgroundColor(Qt::white);
        const int margin = twipsToPixels(this, PrintMargin);
        box->setContentsMargins(margin, margin, 0, 0);
        resize(twipsToPixels(this, PrintWidth), twipsToPixels(this, PrintHeight));
    } else {
        resize(twipsToPixels(this, ScreenWidth), twipsToPixels(this, ScreenHeight));
        box->setContentsMargins(0, 0, 0, 0);
        CWGraph1->setAxisTitle(Graph::Axis::Y, m_countTitle);
        Toolbar1->show();
        setBackgroundRole(QPalette::Button);
        CWGraph1->setBackgroundColor(m_graphBackground);
    }
    box->activate();
}

} // namespace kirv
