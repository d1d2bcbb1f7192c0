#pragma once

#include <QDialog>
#include <QStringList>

class QDialogButtonBox;
class QLabel;
class QListWidget;

namespace kirv {

/// "Compare with": the other open files by their window titles, one to choose. Opens window
/// modal over the plot and answers with chosen() (Enter, OK or a double click); Escape or Cancel
/// chooses nothing.
class CompareChoice : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* Caption = "Compare with";

    CompareChoice(const QString& file, const QStringList& others, QWidget* parent);

    QLabel* LblPrompt = nullptr;
    QListWidget* LstFiles = nullptr;
    QDialogButtonBox* Buttons = nullptr;

signals:
    /// The index in `others` of the file chosen.
    void chosen(int index);
};

} // namespace kirv
