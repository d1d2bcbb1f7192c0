#include "kirv/output/page/report_page.h"

#include "kirv/records/datafile.h"
#include "kirv/base/decibels.h"
#include "kirv/output/analysis_format.h"

#include "kirv/output/report_format.h"
#include "kirv/output/page/pdf_file.h"
#include "kirv/base/replace_file.h"
#include "kirv/base/civil_time.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace kirv {

namespace {

constexpr double A4WidthMm = 210.0;
constexpr double MarginMm = 12.0;

// The header lines of each kind of file, labelled (line 1, the kind mark, is the page title).
QStringList headerLabels(DataFileKind kind)
{
    switch (kind) {
    case DataFileKind::RealTime:
        return {"Interval",
                "Frequency weighting",
                "Time weighting",
                "Range",
                "Maximum",
                "Maximum time",
                "SEL",
                "Leq"};
    case DataFileKind::Logger:
        return {"Interval",
                "Frequency weighting",
                "Time weighting",
                "Range",
                "L05",
                "L10",
                "L50",
                "L90",
                "L95",
                "Maximum",
                "Maximum time",
                "SEL",
                "Leq"};
    case DataFileKind::PlainList:
        break;
    }
    return {};
}

QString withUnit(const std::optional<double>& level, const char* unit = " dB")
{
    return level ? reportLevelText(level) + QLatin1String(unit) : QStringLiteral("-");
}

QString share(double value)
{
    return QString::number(value * 100.0, 'f', 1) + QLatin1Char('%');
}

// The noise exposure of the counted (and not masked) records.
QList<QPair<QString, QString>> exposureValues(const AnalysisValues& a)
{
    const NoiseExposure& e = a.exposure;
    const auto dose = [](const std::optional<double>& d) {
        return d ? doseText(d) + QStringLiteral(" %") : QStringLiteral("-");
    };
    return {{"LEX,8h", e.lex8h ? withUnit(tenthValue(*e.lex8h)) : QStringLiteral("-")},
            {"Dose OSHA", dose(e.doseOsha)},
            {"Dose NIOSH", dose(e.doseNiosh)},
            {"Masked spans", QString::number(a.maskedSpans)}};
}

// The computed values, labelled, in report order.
QList<QPair<QString, QString>> computedValues(const ReportValues& v)
{
    QList<QPair<QString, QString>> values{{"Interval", QString::number(v.interval, 'g', 15) + " s"},
            {"Records", QString::number(v.records)},
            {"Counted", QString::number(v.counted)},
            {"Paused", QString::number(v.paused)},
            {"Start", v.start.isEmpty() ? "-" : v.start},
            {"End", v.end.isEmpty() ? "-" : v.end},
            {"Leq", withUnit(v.leq)},
            {"SEL", withUnit(v.sel)},
            {"Lmax", withUnit(v.lmax)},
            {"Lmax time", v.lmax ? v.lmaxTime : "-"},
            {"Lmin", withUnit(v.lmin)},
            {"L05", withUnit(v.exceedanceAt(5))},
            {"L10", withUnit(v.exceedanceAt(10))},
            {"L50", withUnit(v.exceedanceAt(50))},
            {"L90", withUnit(v.exceedanceAt(90))},
            {"L95", withUnit(v.exceedanceAt(95))},
            {"Gaps", QString::number(v.gaps)},
            {"Gap time", QString::number(v.gapSeconds, 'g', 15) + " s"},
            {"Ld (07-19)", withUnit(v.ld)},
            {"Le (19-23)", withUnit(v.le)},
            {"Ln (23-07)", withUnit(v.ln)},
            {"Lden", withUnit(v.lden)},
            {"Coverage day", share(v.coverageDay)},
            {"Coverage evening", share(v.coverageEvening)},
            {"Coverage night", share(v.coverageNight)}};
    if (v.analysis.present)
        values << exposureValues(v.analysis);
    return values;
}

// Millimetres to device units on the painter's page.
class Page
{
public:
    Page(QPainter& painter, const QRectF& area)
        : p(painter), m_area(area), m_scale(area.width() / (A4WidthMm - 2 * MarginMm))
    {
    }

    double mm(double v) const { return v * m_scale; }
    QRectF rect(double x, double y, double w, double h) const
    {
        return {m_area.left() + mm(x), m_area.top() + mm(y), mm(w), mm(h)};
    }
    double widthMm() const { return m_area.width() / m_scale; }

    QFont font(double points, bool bold = false) const
    {
        QFont f(QStringLiteral("Helvetica"));
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }

    // One line of text with its top left at (x, y) mm; returns the line height in mm.
    double text(double x, double y, const QString& s, double points, bool bold = false,
                Qt::Alignment align = Qt::AlignLeft, double width = 0.0)
    {
        p.setFont(font(points, bold));
        const QFontMetricsF metrics(p.font(), p.device());
        const double height = metrics.height() / m_scale;
        const double w = width > 0.0 ? width : metrics.horizontalAdvance(s) / m_scale + 1.0;
        p.drawText(rect(x, y, w, height), int(align | Qt::AlignVCenter), s);
        return height;
    }

    QPainter& p;

private:
    QRectF m_area;
    double m_scale;
};

void drawFrame(Page& page, const QRectF& r, const QString& title)
{
    page.p.setPen(QPen(Qt::black, page.mm(0.2)));
    page.p.setBrush(Qt::NoBrush);
    page.p.drawRect(r);
    page.p.setFont(page.font(7, true));
    page.p.drawText(r.adjusted(page.mm(1), -page.mm(4), 0, 0), Qt::AlignLeft | Qt::AlignTop, title);
}

// A level axis from `low` to `high` dB at the left of `r`, with a dotted line at each step.
void drawLevelAxis(Page& page, const QRectF& r, double low, double high, double step)
{
    page.p.setFont(page.font(6));
    for (double level = low; level <= high + 1e-9; level += step) {
        const double y = r.bottom() - (level - low) / (high - low) * r.height();
        page.p.setPen(QPen(Qt::gray, page.mm(0.1), Qt::DotLine));
        page.p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        page.p.setPen(Qt::black);
        page.p.drawText(QRectF(r.left() - page.mm(9), y - page.mm(2), page.mm(8), page.mm(4)),
                        Qt::AlignRight | Qt::AlignVCenter, QString::number(level, 'f', 0));
    }
}

// Rounds the span of levels out to whole steps, with at least one step between.
void levelSpan(double lowest, double highest, double step, double& low, double& high)
{
    low = std::floor(lowest / step) * step;
    high = std::max(std::ceil(highest / step) * step, low + step);
}

void drawTrace(Page& page, const QRectF& r, const FileReport& report)
{
    const std::vector<ReportSeries::Column>& columns = report.series.columns;
    const ReportValues& v = report.values;
    drawFrame(page, r, QStringLiteral("Level against record (hatched: paused)"));
    if (columns.empty() || !v.lmin || !v.lmax)
        return;
    double low, high;
    levelSpan(*v.lmin, *v.lmax, 10.0, low, high);
    drawLevelAxis(page, r, low, high, 10.0);
    const double width = r.width() / double(columns.size());
    auto y = [&](double level) { return r.bottom() - (level - low) / (high - low) * r.height(); };
    page.p.setPen(Qt::NoPen);
    page.p.setBrush(QBrush(Qt::black, Qt::BDiagPattern));
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].paused)
            page.p.drawRect(QRectF(r.left() + double(i) * width, r.top(), width, r.height()));
    // Each column spans its lowest to its highest level, at least a hairline high, so a few
    // records draw as steps and many as a dense trace.
    page.p.setBrush(Qt::black);
    const double hairline = page.mm(0.3);
    for (size_t i = 0; i < columns.size(); ++i) {
        if (!columns[i].counted)
            continue;
        const double top = y(columns[i].high) - hairline / 2;
        const double height = std::max(y(columns[i].low) - y(columns[i].high), 0.0) + hairline;
        page.p.drawRect(
            QRectF(r.left() + double(i) * width, top, std::max(width, hairline / 2), height));
    }
    page.p.setPen(Qt::black);
    page.p.setFont(page.font(6));
    const QRectF below(r.left(), r.bottom() + page.mm(0.5), r.width(), page.mm(3));
    page.p.drawText(below, Qt::AlignLeft | Qt::AlignTop, v.start);
    page.p.drawText(below, Qt::AlignRight | Qt::AlignTop, v.end);
    page.p.drawText(below, Qt::AlignHCenter | Qt::AlignTop,
                    QStringLiteral("%1 records").arg(v.records));
}

void drawHistogram(Page& page, const QRectF& r, const FileReport& report)
{
    drawFrame(page, r, QStringLiteral("Distribution, 0.1 dB classes"));
    const std::vector<qint64>& counts = report.series.fineCounts;
    const auto first = std::find_if(counts.begin(), counts.end(), [](qint64 c) { return c > 0; });
    if (first == counts.end())
        return;
    const auto last = std::find_if(counts.rbegin(), counts.rend(), [](qint64 c) { return c > 0; });
    const double lowClass = std::floor(double(first - counts.begin()) / 50.0) * 50.0;
    const double highClass =
        std::max(std::ceil(double(counts.rend() - last) / 50.0) * 50.0, lowClass + 50.0);
    const qint64 top = *std::max_element(counts.begin(), counts.end());
    const double width = r.width() / (highClass - lowClass);
    page.p.setPen(Qt::NoPen);
    page.p.setBrush(Qt::black);
    for (size_t c = size_t(lowClass); c < counts.size() && double(c) < highClass; ++c) {
        if (counts[c] == 0)
            continue;
        const double h = double(counts[c]) / double(top) * r.height();
        page.p.drawRect(QRectF(r.left() + (double(c) - lowClass) * width, r.bottom() - h,
                               std::max(width, page.mm(0.15)), h));
    }
    page.p.setPen(Qt::black);
    page.p.setFont(page.font(6));
    for (double c = lowClass; c <= highClass + 1e-9; c += 50.0) {
        const double x = r.left() + (c - lowClass) * width;
        page.p.drawText(QRectF(x - page.mm(5), r.bottom() + page.mm(0.5), page.mm(10), page.mm(3)),
                        Qt::AlignHCenter | Qt::AlignTop, QString::number(c / 10.0, 'f', 0));
    }
    page.p.drawText(r.adjusted(0, page.mm(1), -page.mm(1), 0), Qt::AlignRight | Qt::AlignTop,
                    QStringLiteral("top %1 records").arg(top));
}

void drawPeriods(Page& page, const QRectF& r, const FileReport& report)
{
    const QList<PeriodLevel>& periods = report.values.periods;
    drawFrame(page, r, QStringLiteral("Leq per period"));
    if (periods.isEmpty())
        return;
    const auto [lowest, highest] = std::minmax_element(
        periods.begin(), periods.end(),
        [](const PeriodLevel& a, const PeriodLevel& b) { return a.leq < b.leq; });
    double low, high;
    levelSpan(lowest->leq - 5.0, highest->leq, 10.0, low, high);
    drawLevelAxis(page, r, low, high, 10.0);
    const double slot = r.width() / double(periods.size());
    page.p.setPen(slot > page.mm(1.5) ? QPen(Qt::black, page.mm(0.1)) : QPen(Qt::NoPen));
    page.p.setBrush(QBrush(Qt::black, Qt::Dense5Pattern));
    for (qsizetype i = 0; i < periods.size(); ++i) {
        const double h = (periods[i].leq - low) / (high - low) * r.height();
        page.p.drawRect(QRectF(r.left() + double(i) * slot + slot * 0.1, r.bottom() - h,
                               std::max(slot * 0.8, page.mm(0.1)), h));
    }
    page.p.setPen(Qt::black);
    page.p.setFont(page.font(6));
    const QRectF below(r.left(), r.bottom() + page.mm(0.5), r.width(), page.mm(3));
    page.p.drawText(below, Qt::AlignLeft | Qt::AlignTop, periods.first().start);
    page.p.drawText(below, Qt::AlignRight | Qt::AlignTop, periods.last().start);
}

void drawExceedanceTable(Page& page, double x, double y, const ReportValues& v)
{
    constexpr double labelWidth = 12.0;
    const double cell = (page.widthMm() - x - labelWidth) / 10.0;
    for (int c = 0; c < 10; ++c)
        page.text(x + labelWidth + c * cell, y, QString::number(c), 7, true, Qt::AlignRight,
                  cell - 1.0);
    for (int row = 0; row < 10; ++row) {
        const double rowY = y + 3.6 * (row + 1);
        page.text(x, rowY, QStringLiteral("L(%1)").arg(row * 10, 2, 10, QLatin1Char('0')), 7, true);
        for (int c = 0; c < 10; ++c) {
            const QString value = reportLevelText(v.exceedanceAt(row * 10 + c));
            page.text(x + labelWidth + c * cell, rowY, value.isEmpty() ? "-" : value, 7, false,
                      Qt::AlignRight, cell - 1.0);
        }
    }
}

// Label and value columns; returns the height used in mm.
double drawPairs(Page& page, double x, double y, double labelWidth,
                 const QList<QPair<QString, QString>>& pairs)
{
    constexpr double lineMm = 3.6;
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        page.text(x, y + lineMm * double(i), pairs[i].first, 7.5);
        page.text(x + labelWidth, y + lineMm * double(i), pairs[i].second, 7.5, true);
    }
    return lineMm * double(pairs.size());
}

// A text that may be long or span lines, wrapped into `width` mm from (x, y); returns its
// height in mm.
double paragraph(Page& page, double x, double y, double width, const QString& text, double points)
{
    page.p.setFont(page.font(points));
    const QRectF box = page.rect(x, y, width, 1000.0);
    const QRectF used = page.p.boundingRect(box, int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap), text);
    page.p.drawText(box, int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap), text);
    return used.height() / page.mm(1.0);
}

QString civilShown(qint64 civil)
{
    return civilTimeText(civil);
}

QString joinedGiven(const QStringList& parts)
{
    QStringList given;
    for (const QString& part : parts)
        if (!part.isEmpty())
            given << part;
    return given.join(QStringLiteral(", "));
}

// The session details given, labelled; nothing for a value not given.
QList<QPair<QString, QString>> detailPairs(const SessionDetails& d)
{
    const auto date = [](const QDate& day) { return day.isValid() ? day.toString(Qt::ISODate) : QString(); };
    const QList<QPair<QString, QString>> all{
        {"Site", d.site},
        {"Operator", d.operatorName},
        {"Client", d.client},
        {"Project", d.project},
        {"Instrument", joinedGiven({d.instrumentType, d.instrumentSerial.isEmpty() ? QString() : "serial " + d.instrumentSerial})},
        {"Last verification", date(d.instrumentVerified)},
        {"Calibrator", joinedGiven({d.calibratorType, d.calibratorSerial.isEmpty() ? QString() : "serial " + d.calibratorSerial})},
        {"Reference level", d.calibratorLevelDb ? QString::number(*d.calibratorLevelDb, 'g', 12) + " dB" : QString()},
        {"Certificate", date(d.calibratorCertificate)},
        {"Wind speed", d.windSpeed},
        {"Wind direction", d.windDirection},
        {"Rain", d.rain},
        {"Temperature", d.temperature}};
    QList<QPair<QString, QString>> given;
    for (const auto& pair : all)
        if (!pair.second.isEmpty())
            given << pair;
    return given;
}

QString readingShown(const std::optional<CalibrationReading>& r)
{
    if (!r)
        return QStringLiteral("not given");
    const QString level = QString::number(r->levelDb, 'g', 12) + QStringLiteral(" dB");
    return r->time ? level + QStringLiteral(" at ") + civilShown(*r->time) : level;
}

// The check as a report states it; a failed one says what it means for the series.
QList<QPair<QString, QString>> calibrationPairs(const CalibrationCheck& c)
{
    QString verdict;
    switch (c.verdict) {
    case CalibrationCheck::Valid: verdict = QStringLiteral("valid"); break;
    case CalibrationCheck::Failed: verdict = QStringLiteral("FAILED: the series is in doubt"); break;
    case CalibrationCheck::Missing: verdict = QStringLiteral("missing: a reading is not given"); break;
    }
    const QString drift = c.driftDb ? QString::number(std::round(*c.driftDb * 1e6) / 1e6, 'g', 12) + " dB"
                                    : QStringLiteral("-");
    return {{"Before", readingShown(c.before)},
            {"After", readingShown(c.after)},
            {"Drift", drift},
            {"Tolerance", QString::number(c.toleranceDb, 'g', 12) + " dB"},
            {"Check", verdict}};
}

} // namespace

void drawReportPage(QPainter& painter, const QRectF& area, const FileReport& report)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    Page page(painter, area);
    const ReportValues& v = report.values;
    const double width = page.widthMm();

    double y = 0.0;
    page.text(0, y, QFileInfo(v.file).fileName(), 14, true);
    page.text(0, y, QStringLiteral("%1 file").arg(reportKindText(v.kind)), 10, false,
              Qt::AlignRight, width);
    y += 7.0;
    // The full path where the list came from a file; a window's list has only its title.
    if (QFileInfo::exists(v.file))
        page.text(0, y, QFileInfo(v.file).absoluteFilePath(), 7);
    y += 5.0;
    if (!v.evidence.sha256.isEmpty()) {
        page.text(0, y - 1.5, QStringLiteral("SHA-256 of the data file: ") + QString::fromLatin1(v.evidence.sha256), 7);
        y += 3.0;
    }

    // Header as stored (left), computed values (middle and right).
    page.text(0, y, QStringLiteral("Stored in the file"), 8, true);
    page.text(67, y, QStringLiteral("Computed from the records"), 8, true);
    y += 4.5;
    QList<QPair<QString, QString>> header;
    const QStringList labels = headerLabels(v.kind);
    for (qsizetype i = 0; i < labels.size(); ++i)
        header.append(
            {labels[i], i + 1 < report.headerLines.size() ? report.headerLines[i + 1] : QString()});
    if (header.isEmpty())
        header.append({QStringLiteral("(plain list: no header)"), QString()});
    double used = drawPairs(page, 0, y, 33, header);
    const QList<QPair<QString, QString>> computed = computedValues(v);
    const qsizetype half = (computed.size() + 1) / 2;
    used = std::max(used, drawPairs(page, 67, y, 20, computed.mid(0, half)));
    used = std::max(used, drawPairs(page, 131, y, 26, computed.mid(half)));
    y += used + 8.0;

    constexpr double traceHeight = 64.0;
    constexpr double chartHeight = 58.0;
    drawTrace(page, page.rect(10, y, width - 10, traceHeight), report);
    y += traceHeight + 12.0;
    const double halfWidth = (width - 20) / 2;
    drawHistogram(page, page.rect(3, y, halfWidth - 3, chartHeight), report);
    drawPeriods(page, page.rect(halfWidth + 20, y, halfWidth, chartHeight), report);
    y += chartHeight + 9.0;

    page.text(0, y, QStringLiteral("Exceedance levels L(0)..L(99), dB (0.1 dB classes)"), 8, true);
    drawExceedanceTable(page, 0, y + 5.0, v);
    painter.restore();
}

bool hasSessionPage(const FileReport& report)
{
    const ReportEvidence& e = report.values.evidence;
    return e.hasDetails || !e.masks.empty();
}

void drawSessionPage(QPainter& painter, const QRectF& area, const FileReport& report)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    Page page(painter, area);
    const ReportValues& v = report.values;
    const ReportEvidence& e = v.evidence;
    const double width = page.widthMm();
    constexpr double lineMm = 3.6;

    double y = 0.0;
    page.text(0, y, QFileInfo(v.file).fileName(), 14, true);
    page.text(0, y, QStringLiteral("Session record"), 10, false, Qt::AlignRight, width);
    y += 7.0;
    if (!e.sha256.isEmpty())
        page.text(0, y, QStringLiteral("SHA-256 of the data file: ") + QString::fromLatin1(e.sha256), 7);
    y += 6.0;
    const auto heading = [&](const QString& title) {
        page.text(0, y, title, 9, true);
        y += 5.0;
    };
    if (e.hasDetails) {
        const QList<QPair<QString, QString>> details = detailPairs(e.details);
        if (!details.isEmpty()) {
            heading(QStringLiteral("Session details"));
            y += drawPairs(page, 0, y, 33, details) + 3.0;
        }
        if (!e.details.notes.isEmpty()) {
            heading(QStringLiteral("Notes"));
            y += paragraph(page, 0, y, width, e.details.notes, 7.5) + 3.0;
        }
        heading(QStringLiteral("Calibration check"));
        y += drawPairs(page, 0, y, 33, calibrationPairs(e.calibration)) + 3.0;
    }
    // Entries one under the other, a time column and a wrapped text, as far as the page goes.
    const double bottom = area.height() / page.mm(1.0) - lineMm;
    const auto entries = [&](const QString& title, const QList<QPair<QString, QString>>& rows) {
        if (rows.isEmpty())
            return;
        heading(title);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (y > bottom) {
                page.text(0, y, QStringLiteral("(%1 more not shown)").arg(rows.size() - i), 7.5);
                y += lineMm;
                return;
            }
            page.text(0, y, rows[i].first, 7.5, true);
            y += std::max(lineMm, paragraph(page, 62, y, width - 62, rows[i].second, 7.5));
        }
        y += 3.0;
    };
    QList<QPair<QString, QString>> timeline;
    for (const TimelineNote& n : e.details.timeline)
        timeline.append({civilShown(n.time), n.text});
    entries(QStringLiteral("Timeline"), timeline);
    QList<QPair<QString, QString>> masks;
    for (const MaskSpan& m : e.masks)
        masks.append({civilShown(m.start) + QStringLiteral(" - ") + civilShown(m.end).mid(11),
                      m.note.isEmpty() ? QStringLiteral("(no note)") : m.note});
    entries(QStringLiteral("Masked spans (left out of every figure)"), masks);
    painter.restore();
}

ReportPdf::ReportPdf(const QString& path) : m_pdf(std::make_unique<PdfFile>(path))
{
    QPdfWriter& writer = m_pdf->writer();
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                                     QPageLayout::Millimeter));
    writer.setResolution(600);
    writer.setCreator(QStringLiteral("kirv-report"));
    writer.setTitle(QStringLiteral("Sound level report"));
    // The pages go to memory; the file is tried now so that a folder that cannot take it is
    // said before the batch runs, not after.
    if (const FileStatus probe = probeTarget(path); !probe.ok())
        m_error = probe.error;
    m_painter = std::make_unique<QPainter>();
    if (m_error.isEmpty() && !m_painter->begin(&writer))
        m_error = FileStatus::failure("create", path, QStringLiteral("the PDF cannot be drawn")).error;
}

ReportPdf::~ReportPdf()
{
    if (m_painter->isActive())
        m_painter->end();
}

void ReportPdf::addPage(const FileReport& report)
{
    if (!m_error.isEmpty())
        return;
    QPdfWriter& writer = m_pdf->writer();
    if (!m_empty)
        writer.newPage();
    m_empty = false;
    // The painter's origin is the top left of the printable area, inside the margins.
    const QRect printable = writer.pageLayout().paintRectPixels(writer.resolution());
    drawReportPage(*m_painter, QRectF(QPointF(0, 0), printable.size()), report);
    if (hasSessionPage(report)) {
        writer.newPage();
        drawSessionPage(*m_painter, QRectF(QPointF(0, 0), printable.size()), report);
    }
}

bool ReportPdf::finish()
{
    if (m_painter->isActive() && !m_painter->end() && m_error.isEmpty())
        m_error = FileStatus::failure("write", m_pdf->path(), QStringLiteral("the PDF cannot be drawn")).error;
    // No file could be read: a blank page would pass for a report, so there is no PDF at all.
    if (m_empty || !m_error.isEmpty())
        return m_error.isEmpty();
    m_error = m_pdf->commit().error;
    return m_error.isEmpty();
}

} // namespace kirv
