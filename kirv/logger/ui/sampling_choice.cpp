#include "kirv/logger/ui/sampling_choice.h"
#include "kirv/widgets/placement.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kirv {

namespace {
constexpr int OffsetFromPanel = 67; // 1000 twips
} // namespace

SamplingChoice::SamplingChoice(QWidget* panel) : QDialog(panel)
{
    setObjectName(QStringLiteral("SamplingChoice"));
    setWindowTitle(QStringLiteral("Sampling Rate"));
    setModal(true);

    OptMeter = new QRadioButton(QStringLiteral("Meter Sampling Rate"), this);
    OptMeter->setObjectName(QStringLiteral("OptMeter"));
    OptPC = new QRadioButton(QStringLiteral("PC Sampling Rate"), this);
    OptPC->setObjectName(QStringLiteral("OptPC"));
    OptMeter->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(OptMeter);
    group->addButton(OptPC);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdOK->setMinimumSize(CmdOK->sizeHint().width() + 24, CmdOK->sizeHint().height() + 6);
    connect(CmdOK, &QPushButton::clicked, this, &SamplingChoice::CmdOK_Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(OptMeter);
    layout->addWidget(OptPC);
    layout->addSpacing(6);
    layout->addWidget(CmdOK, 0, Qt::AlignHCenter);
    // Room for the caption in the title bar.
    setFixedSize(sizeHint().expandedTo(QSize(240, 0)));
}

void SamplingChoice::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_placed || !parentWidget())
        return;
    m_placed = true;
    const QRect panel = parentWidget()->window()->geometry();
    placeWindow(this, {panel.left() + OffsetFromPanel, panel.top() + OffsetFromPanel});
}

void SamplingChoice::CmdOK_Click()
{
    emit chosen(OptPC->isChecked());
    accept();
}

} // namespace kirv
