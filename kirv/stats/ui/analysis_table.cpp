#include "kirv/stats/ui/analysis_table.h"

#include "kirv/widgets/busy.h"
#include "kirv/widgets/dialogs.h"
#include "kirv/widgets/print_job.h"
#include "kirv/output/analysis_format.h"
#include "kirv/records/datafile.h"
#include "kirv/stats/ui/report_actions.h"
#include "kirv/base/replace_file.h"

#include <QApplication>

#include <algorithm>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kirv {

AnalysisTable::AnalysisTable(const QString& caption, const QString& fileTitle, QWidget* parent)
    : QWidget(parent, Qt::Window), m_fileTitle(fileTitle)
{
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_choices = new QHBoxLayout;
    layout->addLayout(m_choices);
    GridTable = new QTableWidget(this);
    GridTable->setObjectName(QStringLiteral("GridTable"));
    GridTable->setAccessibleName(caption);
    GridTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridTable->setSelectionMode(QAbstractItemView::SingleSelection);
    GridTable->verticalHeader()->hide();
    GridTable->setAlternatingRowColors(true);
    layout->addWidget(GridTable, 1);
    LblSummary = new QLabel(this);
    LblSummary->setObjectName(QStringLiteral("LblSummary"));
    LblSummary->setWordWrap(true);
    LblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(LblSummary);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const std::array<std::tuple<QPushButton**, const char*, const char*, const char*>, 3> specs{
        {{&CmdCopy, "CmdCopy", "Copy", "Copy the table"},
         {&CmdCsv, "CmdCsv", "CSV", "Export the table as CSV"},
         {&CmdPrint, "CmdPrint", "Print", "Print the table"}}};
    for (const auto& [button, name, text, tip] : specs) {
        *button = new QPushButton(QString::fromLatin1(text), this);
        (*button)->setObjectName(QString::fromLatin1(name));
        (*button)->setToolTip(QString::fromLatin1(tip));
        (*button)->setAccessibleDescription(QString::fromLatin1(tip));
        (*button)->setAutoDefault(false);
        buttons->addWidget(*button);
    }
    layout->addLayout(buttons);
    connect(CmdCopy, &QPushButton::clicked, this, &AnalysisTable::CmdCopy_Click);
    connect(CmdCsv, &QPushButton::clicked, this, &AnalysisTable::CmdCsv_Click);
    connect(CmdPrint, &QPushButton::clicked, this, &AnalysisTable::CmdPrint_Click);
}

void AnalysisTable::showTable(const QStringList& titles, const QList<QStringList>& rows)
{
    GridTable->clear();
    GridTable->setColumnCount(int(titles.size()));
    GridTable->setHorizontalHeaderLabels(titles);
    GridTable->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[r].size()) && c < int(titles.size()); ++c) {
            auto* item = new QTableWidgetItem(rows[r][c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            GridTable->setItem(r, c, item);
        }
    GridTable->resizeColumnsToContents();
    // Level columns alike wide, whatever their values, so a table reads as a grid.
    const int least = GridTable->fontMetrics().horizontalAdvance(QStringLiteral("000.0")) + 24;
    for (int c = 1; c < GridTable->columnCount(); ++c)
        GridTable->setColumnWidth(c, std::max(least, GridTable->columnWidth(c)));
}

QStringList AnalysisTable::titles() const
{
    QStringList titles;
    for (int c = 0; c < GridTable->columnCount(); ++c)
        titles << GridTable->horizontalHeaderItem(c)->text();
    return titles;
}

QList<QStringList> AnalysisTable::rows() const
{
    QList<QStringList> rows;
    for (int r = 0; r < GridTable->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < GridTable->columnCount(); ++c)
            cells << (GridTable->item(r, c) ? GridTable->item(r, c)->text() : QString());
        rows << cells;
    }
    return rows;
}

QString AnalysisTable::tableText() const
{
    QStringList lines{titles().join(QLatin1Char('\t'))};
    for (const QStringList& cells : rows())
        lines << cells.join(QLatin1Char('\t'));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void AnalysisTable::CmdCopy_Click()
{
    QApplication::clipboard()->setText(tableText());
}

void AnalysisTable::CmdCsv_Click()
{
    const QString path = Dialogs::instance().saveFileName(this, QString::fromLatin1(CsvFilter));
    if (path.isEmpty())
        return;
    FileStatus status;
    {
        BusyCursor busy;
        const QByteArray bytes = csv();
        status = replaceFile(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
    }
    if (!status.ok())
        showFileError(this, status.error);
}

void AnalysisTable::CmdPrint_Click()
{
    QPrinter printer;
    if (!Dialogs::instance().print(this, printer))
        return;
    LinePrinter lines(printer);
    for (const QString& line : QStringList{windowTitle() + QStringLiteral(": ") + m_fileTitle} +
                                   LblSummary->text().split(QLatin1Char('\n')) + QStringList{QString()} +
                                   alignedLines(titles(), rows()))
        lines.print(line);
    if (!lines.finish())
        showFileError(this, QStringLiteral("Cannot print the table: %1").arg(lines.error()));
}

} // namespace kirv
