#pragma once

#include <QLabel>
#include <QPointer>

namespace kirv {

class FileAnalysis;

/// The line under a list's boards while spans are masked: Leq, Lmax and L90 without them, each
/// beside the whole file's, and how many spans are left out. The boards keep the values the file
/// holds; this line is hidden while nothing is masked.
class MaskedFigures : public QLabel
{
    Q_OBJECT

public:
    explicit MaskedFigures(QWidget* parent);

    /// Shows the figures of `analysis` and follows its masks from now on.
    void follow(FileAnalysis* analysis);
    void refresh();

private:
    QPointer<FileAnalysis> m_analysis;
};

} // namespace kirv
