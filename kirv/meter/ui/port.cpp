#include "kirv/meter/ui/port.h"

#include "kirv/widgets/placement.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kirv {

Port::Port(const PortTable& table, QWidget* parent) : QDialog(parent), m_table(table)
{
    setObjectName(QStringLiteral("Port"));
    setWindowTitle(QStringLiteral("COM Port"));

    TxtCOM = new QComboBox(this);
    TxtCOM->setObjectName(QStringLiteral("TxtCOM"));
    TxtCOM->setEditable(true);
    TxtCOM->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 1; i <= 8; ++i)
        TxtCOM->addItem(QStringLiteral("COM%1").arg(i));
    TxtCOM->setCurrentIndex(0);
    TxtCOM->setAccessibleName(tr("Port"));
    TxtCOM->setToolTip(tr("COM1 to COM8, Auto, or a device path such as /dev/ttyUSB0"));
    TxtCOM->setMinimumWidth(TxtCOM->fontMetrics().horizontalAdvance(QStringLiteral("/dev/ttyUSB00")) + 40);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdOK->setAutoDefault(true);

    LblDevice = new QLabel(this);
    LblDevice->setObjectName(QStringLiteral("LblDevice"));
    QFont small = LblDevice->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    LblDevice->setFont(small);
    LblDevice->setForegroundRole(QPalette::PlaceholderText);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 10);
    grid->addWidget(TxtCOM, 0, 0);
    grid->addWidget(CmdOK, 0, 1);
    grid->addWidget(LblDevice, 1, 0, 1, 2);
    // Wide enough for the longest entry of the table: a stable device name runs long.
    int detailWidth = 0;
    for (int n = 1; n <= 8; ++n)
        detailWidth = std::max(detailWidth, LblDevice->fontMetrics().horizontalAdvance(m_table.describe(n)));
    const QMargins margins = grid->contentsMargins();
    setFixedSize(sizeHint().expandedTo(QSize(std::max(300, detailWidth + margins.left() + margins.right()), 0)));
    placeWindow(this, {247, 180});

    connect(CmdOK, &QPushButton::clicked, this, &Port::CmdOK_Click);
    connect(TxtCOM, &QComboBox::currentTextChanged, this, &Port::showDevice);
    showDevice(TxtCOM->currentText());
}

Port::~Port()
{
    // The list empties as the dialog's children go, which would call showDevice() on a window
    // that is no longer a Port.
    disconnect(TxtCOM, nullptr, this, nullptr);
}

void Port::showDevice(const QString& text)
{
    if (isDevicePath(text)) {
        LblDevice->setText(text);
        return;
    }
    const int n = portNumberFromText(text, 0);
    LblDevice->setText(n == 0 ? tr("Not a port name") : m_table.describe(n));
}

void Port::CmdOK_Click()
{
    const QString text = TxtCOM->currentText();
    if (isDevicePath(text))
        m_choice.device = text;
    else
        m_choice.number = portNumberFromText(text, m_choice.number);
    emit portChosen(m_choice);
    accept();
}

} // namespace kirv
