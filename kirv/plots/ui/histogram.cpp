#include "kirv/plots/ui/histogram.h"

#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/histogram_parts.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/print_job.h"
#include "kirv/widgets/placement.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QScreen>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <array>

namespace kirv {

QString histogramDescription(int item)
{
    // The window's own texts, in the language they were written in.
    static const std::array<const char*, 7> texts{
        "Normal mode",
        "Clique em alguma parte da área de renderização e arraste para expandir o gráfico "
        "horizontal e verticalmente.",
        "Clique em alguma parte da área de renderização e arraste para expandir o gráfico "
        "horizontalmente.",
        "Clique em alguma parte da área de renderização e arraste para expandir o gráfico "
        "verticalmente.",
        "Selecione uma região do gráfico para aumentar o zoom horizontal e verticalmente.",
        "Selecione uma região do gráfico para aumentar o zoom horizontalmente.",
        "Selecione uma região do gráfico para aumentar o zoom verticalmente.",
    };
    return item >= 0 && item < int(texts.size()) ? QString::fromUtf8(texts[size_t(item)])
                                                 : QString();
}

Histogram::Histogram(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Histogram"));
    setWindowTitle(QStringLiteral("Histogram"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(4);

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char* key : {"Limit", "Print"})
        addToolbarButton(Toolbar1, QString::fromLatin1(key), QString::fromLatin1(key));
    connect(Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction* a) { Toolbar1_ButtonClick(a->data().toString()); });
    layout->addWidget(Toolbar1);

    Picture1 = new HistogramModePanel(histogramModeItems(QStringLiteral("Reset")), this);
    // Nothing is chosen until the user chooses: the list shows "Normal", the description is empty.
    Picture1->Combo1->setPlaceholderText(QStringLiteral("Normal"));
    Picture1->Combo1->setCurrentIndex(-1);
    connect(Picture1->Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    Picture1->hide();
    layout->addWidget(Picture1);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(6, 0, 6, 0);
    body->setSpacing(6);
    CWG = new Graph(this);
    CWG->setObjectName(QStringLiteral("CWG"));
    CWG->setPlotStyle(Graph::PlotStyle::Steps);
    CWG->setAxisTitle(Graph::Axis::X, QStringLiteral("dB"));
    CWG->setAxisTitle(Graph::Axis::Y, QStringLiteral("Frequency (Times)"));
    for (int i = 0; i < 2; ++i)
        CWG->setCursorVisible(CWG->addCursor(i == 0 ? Qt::red : Qt::darkGreen), false);
    body->addWidget(CWG, 1);

    GridLn = new QTableWidget(GridLnRows, GridLnColumns, this);
    GridLn->setObjectName(QStringLiteral("GridLn"));
    GridLn->setAccessibleName(QStringLiteral("Exceedance levels"));
    GridLn->setHorizontalHeaderLabels(gridLnTitles());
    GridLn->verticalHeader()->hide();
    GridLn->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridLn->setSelectionMode(QAbstractItemView::SingleSelection);
    GridLn->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GridLn->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics fm(GridLn->font());
    const int pad = 2 * GridLn->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    GridLn->setColumnWidth(0, fm.horizontalAdvance(QStringLiteral("ABCDEFAA1")) + pad);
    for (int c = 1; c < GridLnColumns; ++c)
        GridLn->setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("ABCDEFAA")) + pad);
    const int rowHeight = fm.height() + 6;
    GridLn->verticalHeader()->setDefaultSectionSize(rowHeight);
    int width = 2 * GridLn->frameWidth();
    for (int c = 0; c < GridLnColumns; ++c)
        width += GridLn->columnWidth(c);
    GridLn->setFixedSize(width, GridLn->horizontalHeader()->sizeHint().height() +
                                    GridLnRows * rowHeight + 2 * GridLn->frameWidth());
    for (int r = 0; r < GridLnRows; ++r) {
        auto* label = new QTableWidgetItem(gridLnRow(ExceedanceTable{}, r).first());
        label->setTextAlignment(Qt::AlignCenter);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        GridLn->setItem(r, 0, label);
    }
    body->addWidget(GridLn, 0, Qt::AlignHCenter);

    LblRecords = new QLabel(this);
    LblRecords->setObjectName(QStringLiteral("LblRecords"));
    body->addWidget(LblRecords, 0, Qt::AlignHCenter);
    layout->addLayout(body, 1);

    resize(qMax(width + 12, 760), 680);
    if (const QScreen* screen = this->screen())
        placeWindow(this, screen->availableGeometry().topLeft());
}

double Histogram::plotRun(const LevelDistribution& d, int lowClass, int highClass)
{
    std::vector<double> counts(d.counts.begin(), d.counts.end());
    CWG->setAxisFormat(Graph::Axis::X, d.resolution == Resolution::Fine ? AxisNumberFormat::Tenths
                                                                        : AxisNumberFormat::Whole);
    if (d.counted > 0)
        CWG->plotY(counts, 0.0, 1.0);
    else
        CWG->clearData(); // nothing counted: an empty histogram
    CWG->setAxisRange(Graph::Axis::X, lowClass, highClass + 1);
    m_lowClass = lowClass;
    m_highClass = highClass;
    m_yHigh = CWG->autoScaleCountAxis();
    return m_yHigh;
}

void Histogram::showTable(const ExceedanceTable& table, qint64 leftOut)
{
    for (int r = 0; r < GridLnRows; ++r) {
        const QStringList cells = gridLnRow(table, r);
        for (int c = 1; c < GridLnColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignCenter);
            GridLn->setItem(r, c, item);
        }
    }
    const auto records = [](qint64 n, const char* one, const char* many) {
        return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    LblRecords->setText(
        records(table.recordCount, "record counted", "records counted") + QStringLiteral(", ") +
        records(leftOut, "marked record (*) left out", "marked records (*) left out"));
}

void Histogram::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("Limit"))
        Picture1->setVisible(!Picture1->isVisible());
    else if (key == QLatin1String("Print"))
        print();
}

void Histogram::Combo1_Click()
{
    const int item = Picture1->Combo1->currentIndex();
    for (int i = 0; i < CWG->cursorCount(); ++i)
        CWG->setCursorVisible(i, false);
    if (item == HistogramResetItem) {
        resetScale();
    } else if (item >= 0) {
        CWG->setPointerMode(histogramPointerMode(item));
        Picture1->txtDescription->setText(histogramDescription(item));
    }
    Picture1->hide();
}

void Histogram::resetScale()
{
    CWG->setAxisRange(Graph::Axis::X, m_lowClass, m_highClass + 1);
    CWG->setAxisRange(Graph::Axis::Y, 0.0, m_yHigh);
    CWG->setPointerMode(Graph::PointerMode::Normal);
}

void Histogram::print()
{
    // Printing asks for the printer, so the page can go to a file where no printer is installed.
    QPrinter printer(QPrinter::HighResolution);
    if (!Dialogs::instance().print(this, printer))
        return;
    Toolbar1->hide();
    Picture1->hide();
    layout()->activate();
    printWidgetImage(printer, this);
    Toolbar1->show();
}

} // namespace kirv
