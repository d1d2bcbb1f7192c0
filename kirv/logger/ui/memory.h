#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QWidget>

class QLabel;
class QTableView;

namespace kirv {

class Board;
class Panel;

namespace logger {
struct LoggerSets;
}

// The directory of the downloaded sets: one row a set, "Set", "Sampling", "Records". A model
// over the walk's result, so a memory of a hundred thousand sets lists at once.
class SetDirectory : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSets(const logger::LoggerSets* sets);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const logger::LoggerSets* m_sets = nullptr;
};

// The logger memory window "Data Logger": memory size and free space, the download's progress,
// and the directory of the stored sets. A click on a set opens it in DataList.
class Memory : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char* Caption = "Data Logger";

    explicit Memory(Panel& panel);
    ~Memory() override;

    // The window of the running program, if open and not closing.
    static Memory* current();

    void showMemory(const QString& size, const QString& remain);
    // "37.5% Completed"; the label changes only when its text does.
    void showProgress(qint64 received, qint64 total);
    // Lists the sets of the last download; a walk that stopped early says so under the percentage.
    void showSets(const logger::LoggerSets& sets);
    bool isClosing() const { return m_closing; }

    Board* SSPanel1 = nullptr;
    QLabel* LblSize = nullptr;
    Board* SSPanel2 = nullptr;
    QLabel* LblRemain = nullptr;
    QLabel* LblMessage = nullptr;
    QTableView* GridSet = nullptr;

    void GridSet_Click(const QModelIndex& index);

signals:
    // A set was clicked: s counts from 1.
    void setChosen(int s);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void applyColumnWidths();

    Panel& m_panel;
    SetDirectory m_directory;
    QString m_progress;
    bool m_closing = false;
};

} // namespace kirv
