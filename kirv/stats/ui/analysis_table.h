#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kirv {

/// What the Periods and Events windows share: a row of choices on top, a table, a summary line
/// and the commands "Copy" (the table as tab-separated text), "CSV" (the machine columns through
/// the save dialog, written whole or not at all) and "Print" (the table as lines of text).
class AnalysisTable : public QWidget
{
    Q_OBJECT

public:
    QTableWidget* GridTable = nullptr;
    QLabel* LblSummary = nullptr;
    QPushButton* CmdCopy = nullptr;
    QPushButton* CmdCsv = nullptr;
    QPushButton* CmdPrint = nullptr;

    void CmdCopy_Click();
    void CmdCsv_Click();
    void CmdPrint_Click();

    /// The table as the clipboard gets it: titles, then one line per row, cells tab-separated.
    QString tableText() const;
    /// The column titles and the rows' cells as shown.
    QStringList titles() const;
    QList<QStringList> rows() const;

protected:
    AnalysisTable(const QString& caption, const QString& fileTitle, QWidget* parent);

    /// Where a window puts its choices.
    QHBoxLayout* choices() const { return m_choices; }
    void showTable(const QStringList& titles, const QList<QStringList>& rows);
    /// The CSV the "CSV" command writes.
    virtual QByteArray csv() const = 0;

    QString m_fileTitle;

private:
    QHBoxLayout* m_choices = nullptr;
};

} // namespace kirv
