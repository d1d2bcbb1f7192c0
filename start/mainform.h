#pragma once

#include "start/messagebox.h"

#include <QString>
#include <QWidget>

class QPushButton;

namespace kirv {

// The launcher window: starts the meter program's setup, or the USB driver's installer, both of
// which lie beside the launcher on the installation medium. It never waits for what it starts.
class MainForm : public QWidget
{
    Q_OBJECT

public:
    // Relative to the medium folder; written with backslashes and turned into the platform's
    // separators when started.
    static constexpr auto SetupProgram = "Software\\Setup.exe";
    static constexpr auto DriverInstaller = "USBDriver\\Install.exe";
    // Present and non-empty once the driver is installed.
    static constexpr auto DriverFile = "C:\\WINDOWS\\system32\\drivers\\ser2pl.sys";

    explicit MainForm(QWidget *parent = nullptr);

    // The file whose content says that the driver is installed (DriverFile unless set).
    QString driverFile() const { return m_driverFile; }
    void setDriverFile(const QString &path) { m_driverFile = path; }

    // The folder the programs are looked up in and run from: the working directory unless set.
    QString mediumFolder() const;
    void setMediumFolder(const QString &folder) { m_mediumFolder = folder; }

    // Shows the questions and notices; a Qt message box over this window unless set.
    void setMessageBox(MessageBoxFunction messageBox);

    // The full path a program of the medium is started from, in the platform's separators.
    QString programPath(const QString &relativePath) const;

    QPushButton *const CmdMeter;
    QPushButton *const CmdUSB;

public slots:
    void CmdMeter_Click();
    void CmdUSB_Click();

private:
    bool driverInstalled() const;
    void start(const QString &relativePath);

    QString m_driverFile = QString::fromLatin1(DriverFile);
    QString m_mediumFolder;
    MessageBoxFunction m_messageBox;
};

} // namespace kirv
