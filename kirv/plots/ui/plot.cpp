#include "kirv/plots/ui/plot.h"

#include "kirv/widgets/graph.h"
#include "kirv/plots/ui/plot_compare.h"
#include "kirv/plots/ui/plot_overlays.h"

#include "kirv/widgets/dialogs.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QVBoxLayout>

#include <algorithm>

namespace kirv {

Plot::Plot(QWidget* parent)
    : TimeGraphWindow(QString::fromLatin1(Caption), QStringLiteral("No.s ( Y ) :"),
                      QStringLiteral("Drag the cursor with your mouse to get X (Count) and Y (dB) "
                                     "position."),
                      parent)
{
    setObjectName(QStringLiteral("Plot"));
    LblUnit->setText(QStringLiteral("dB"));

    // Who measured where: filled in by hand, printed with the graph.
    auto* notes = new QGridLayout;
    const std::array<std::pair<QLabel**, const char*>, 3> titles{
        {{&LblCompany, "Company:"}, {&LblSector, "Sector:"}, {&LblName, "Name:"}}};
    const std::array<const char*, 3> names{"LblCompany", "LblSector", "LblName"};
    for (int i = 0; i < 3; ++i) {
        auto*& title = *titles[std::size_t(i)].first;
        title = new QLabel(QString::fromLatin1(titles[std::size_t(i)].second), this);
        title->setObjectName(QString::fromLatin1(names[std::size_t(i)]));
        auto*& box = TxtText[std::size_t(i)];
        box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("TxtText%1").arg(i));
        box->setAccessibleName(title->text());
        title->setBuddy(box);
        notes->addWidget(title, 0, 2 * i);
        notes->addWidget(box, 0, 2 * i + 1);
        notes->setColumnStretch(2 * i + 1, 1);
    }
    contentLayout()->insertLayout(1, notes);

    // Message lines of the design; nothing writes them, so they take no room until one does.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* messages = new QVBoxLayout;
    messages->setSpacing(0);
    for (std::size_t i = 0; i < LblMessage.size(); ++i) {
        LblMessage[i] = new QLabel(this);
        LblMessage[i]->setObjectName(QStringLiteral("LblMessage%1").arg(i));
        LblMessage[i]->setFont(fixed);
        LblMessage[i]->hide();
        messages->addWidget(LblMessage[i]);
    }
    contentLayout()->insertLayout(2, messages);

    Overlays = new PlotOverlays(*CWGraph1, this);
    contentLayout()->insertWidget(3, Overlays->panel());
    // The compared figures lie right under the graph.
    Compare = new PlotCompare(*CWGraph1, this);
    contentLayout()->insertWidget(1, Compare->panel());

    Combo1->setCurrentIndex(NormalMode);
    Combo1_Click();
}

void Plot::showSeries(const PlotSeries& series)
{
    const auto n = double(series.y.size());
    m_rows = qsizetype(series.y.size());
    CWGraph1->clearLabels();
    Overlays->clear(); // an analysis that wants them draws them again
    if (Compare->comparing()) {
        Compare->end(); // another list: the comparison was with the one before
        emit Compare->ended();
    }
    CWGraph1->clearRegions();
    AxisMax[1]->setValue(n);
    AxisMin[1]->setValue(1);
    AxisMax[2]->setValue(LevelMax);
    AxisMin[2]->setValue(LevelMin);
    setRanges(1, n, LevelMin, LevelMax);
    CWGraph1->plotY(series.y, 1.0, 1.0);
    // Each mark is a few plot items that every redraw visits: a year of readings paused now and
    // then would bury the levels under them, so the marks stop after MaxPauseMarks and the last
    // one says how many pauses are left unmarked.
    const std::size_t marked = std::min(series.pauses.size(), MaxPauseMarks);
    for (std::size_t j = 0; j < marked; ++j) {
        const PlotPause& pause = series.pauses[j];
        CWGraph1->addRegion(double(pause.start), double(pause.end > 0 ? pause.end : series.y.size()));
        AddPlotLabel(pause.start, QStringLiteral("Pause"), PauseCaptionLevel);
        if (pause.end > 0)
            AddPlotLabel(pause.end, QStringLiteral("Start"), StartCaptionLevel);
    }
    if (marked < series.pauses.size()) {
        const qsizetype from = series.pauses[marked].start;
        CWGraph1->addLabel(QStringLiteral("Unmarked pauses"),
                           QStringLiteral("%1 more pauses from record %2 not marked")
                               .arg(series.pauses.size() - marked)
                               .arg(from),
                           double(from), PauseCaptionLevel);
    }
}

void Plot::AddPlotLabel(qsizetype record, const QString& text, double level)
{
    CWGraph1->addLabel(QStringLiteral("%1 %2").arg(text).arg(record), text, double(record), level);
}

void Plot::cursorModeChanged(bool on)
{
    if (!on) {
        CWGraph1->removeAllCursors();
        return;
    }
    if (CWGraph1->cursorCount() == 0) {
        const int cursor = CWGraph1->addCursor(Qt::red);
        CWGraph1->setCursorSnapToPlot(cursor, true);
    }
    const QPointF at = CWGraph1->cursorPosition(0);
    showCursorReadout(at.x(), at.y());
}

void Plot::CmdReset_Click()
{
    double first = 1.0;
    double last = double(m_rows);
    if (const auto span = Compare->span()) {
        first = std::min(first, span->first);
        last = std::max(last, span->second);
    }
    setRanges(first, last, LevelMin, LevelMax);
}

void Plot::CmdPrint_Click()
{
    Combo1->setCurrentIndex(NormalMode);
    QPrinter printer;
    if (!Dialogs::instance().print(this, printer))
        return;
    enterPrintLook();
    // The compared figures print under the graph; the controls do not.
    Overlays->panel()->hide();
    Compare->controls()->hide();
    const bool comparing = Compare->comparing();
    Compare->panel()->setVisible(comparing);
    printImage(printer, 1); // a failure is said; the window is restored either way
    Overlays->panel()->show();
    Compare->controls()->show();
    Compare->panel()->show();
    leavePrintLook();
}

} // namespace kirv
