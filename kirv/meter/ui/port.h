#pragma once

#include "kirv/meter/port_table.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace kirv {

// The first window: the user names the meter's port ("COM1".."COM8", "Auto", or a device
// path) and sees which device that port is on this computer.
class Port : public QDialog
{
    Q_OBJECT
public:
    explicit Port(const PortTable& table, QWidget* parent = nullptr);
    ~Port() override;

    QComboBox* TxtCOM = nullptr;
    QPushButton* CmdOK = nullptr;
    QLabel* LblDevice = nullptr;

    int PortNumber() const { return m_choice.number; }
    PortChoice choice() const { return m_choice; }

    void CmdOK_Click();

signals:
    // OK was pressed; the choice is made (PortNumber may still be 0 for an unknown text).
    void portChosen(const kirv::PortChoice& choice);

private:
    void showDevice(const QString& text);

    const PortTable& m_table;
    PortChoice m_choice;
};

} // namespace kirv
