#include "kirv/plots/ui/histogram_parts.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>

#include <array>

namespace kirv {

Graph::PointerMode histogramPointerMode(int item)
{
    static constexpr std::array modes{Graph::PointerMode::Normal, Graph::PointerMode::PanXY,
                                      Graph::PointerMode::PanX,   Graph::PointerMode::PanY,
                                      Graph::PointerMode::ZoomXY, Graph::PointerMode::ZoomX,
                                      Graph::PointerMode::ZoomY};
    return item >= 0 && item < int(modes.size()) ? modes[size_t(item)] : Graph::PointerMode::Normal;
}

QStringList histogramModeItems(const QString& resetItem)
{
    return {QStringLiteral("Normal"), QStringLiteral("PanXY"),
            QStringLiteral("PanX"),   QStringLiteral("PanY"),
            QStringLiteral("ZoomXY"), QStringLiteral("ZoomX"),
            QStringLiteral("ZoomY"),  resetItem};
}

HistogramModePanel::HistogramModePanel(const QStringList& items, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(10);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("Pointer mode"));
    Combo1->addItems(items);
    Combo1->setMinimumContentsLength(12);
    txtDescription = new QLabel(this);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    txtDescription->setWordWrap(true);
    txtDescription->setMinimumHeight(2 * txtDescription->fontMetrics().lineSpacing() + 4);
    txtDescription->setFrameShape(QFrame::StyledPanel);
    txtDescription->setMargin(3);
    txtDescription->setTextInteractionFlags(Qt::TextSelectableByKeyboard |
                                            Qt::TextSelectableByMouse);
    row->addWidget(Combo1, 0, Qt::AlignTop);
    row->addWidget(txtDescription, 1);
}

QAction* addToolbarButton(QToolBar* toolbar, const QString& key, const QString& tooltip)
{
    QAction* action = toolbar->addAction(key);
    action->setObjectName(key);
    action->setData(key);
    action->setToolTip(tooltip);
    if (auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action))) {
        button->setObjectName(QStringLiteral("Toolbar1_") + key);
        button->setAccessibleDescription(tooltip);
    }
    return action;
}

int twipsToPixels(QWidget* widget, int twips)
{
    return qRound(twips * widget->logicalDpiX() / 1440.0);
}

} // namespace kirv
