#include "start/mainform.h"

#include "start/inputitems.h"
#include "start/programstart.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kirv {

namespace {

QPushButton *commandButton(const QString &caption, QStyle::StandardPixmap icon, QWidget *parent)
{
    auto *button = new QPushButton(parent->style()->standardIcon(icon), caption, parent);
    button->setIconSize(QSize(24, 24));
    button->setMinimumSize(170, 44);
    return button;
}

QLabel *hintLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setMinimumWidth(340);
    return label;
}

} // namespace

MainForm::MainForm(QWidget *parent)
    : QWidget(parent)
    , CmdMeter(commandButton(QStringLiteral("Meter Software"), QStyle::SP_ComputerIcon, this))
    , CmdUSB(commandButton(QStringLiteral("USB Driver"), QStyle::SP_DriveHDIcon, this))
{
    setWindowTitle(QStringLiteral("Installation"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveCDIcon));
    CmdMeter->setObjectName(QStringLiteral("CmdMeter"));
    CmdUSB->setObjectName(QStringLiteral("CmdUSB"));

    auto *heading = new QLabel(QStringLiteral("Choose what to install from this medium:"), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);

    auto *choices = new QGridLayout;
    choices->setHorizontalSpacing(16);
    choices->setVerticalSpacing(12);
    choices->addWidget(CmdMeter, 0, 0);
    choices->addWidget(hintLabel(QStringLiteral("Installs the program for the sound level meter."), this), 0, 1);
    choices->addWidget(CmdUSB, 1, 0);
    choices->addWidget(hintLabel(QStringLiteral("Installs the USB to RS232 driver for the meter's cable."), this), 1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 24);
    layout->setSpacing(16);
    layout->addWidget(heading);
    layout->addLayout(choices);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(CmdMeter, &QPushButton::clicked, this, &MainForm::CmdMeter_Click);
    connect(CmdUSB, &QPushButton::clicked, this, &MainForm::CmdUSB_Click);

    m_messageBox = [this](const MessageRequest &request) { return showMessageBox(this, request); };
}

void MainForm::setMessageBox(MessageBoxFunction messageBox)
{
    m_messageBox = std::move(messageBox);
}

QString MainForm::mediumFolder() const
{
    return m_mediumFolder.isEmpty() ? QDir::currentPath() : m_mediumFolder;
}

QString MainForm::programPath(const QString &relativePath) const
{
    const QDir medium(mediumFolder());
    QString path = relativePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::toNativeSeparators(QDir::cleanPath(medium.absoluteFilePath(path)));
}

void MainForm::CmdMeter_Click()
{
    start(QString::fromLatin1(SetupProgram));
}

void MainForm::CmdUSB_Click()
{
    if (driverInstalled()) {
        const MessageRequest question{
            QStringLiteral("The USB to RS232 driver already exits.") + QLatin1Char('\r')
                + QStringLiteral("Do you want to install the driver again?"),
            defaultMessageTitle(), QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No};
        if (m_messageBox(question) != QMessageBox::Yes)
            return;
    }
    start(QString::fromLatin1(DriverInstaller));
}

// The driver counts as installed when its file reads and the last text item in it is not empty.
// A file that is missing, unreadable or empty means there is no driver yet.
bool MainForm::driverInstalled() const
{
    QFile file(m_driverFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    const QByteArrayList items = inputItems(content);
    return !items.isEmpty() && !items.constLast().isEmpty();
}

void MainForm::start(const QString &relativePath)
{
    const QString program = programPath(relativePath);
    const QString reason = startProgram(program, mediumFolder());
    if (reason.isEmpty())
        return;
    m_messageBox({QStringLiteral("Cannot start \"%1\".").arg(program) + QLatin1Char('\r') + reason,
                  defaultMessageTitle(), QMessageBox::Warning, QMessageBox::Ok});
}

} // namespace kirv
