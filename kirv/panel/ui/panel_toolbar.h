#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QAction;

namespace kirv {

class Panel;

// The main window's toolbar: one handler for the eleven buttons. Every click first runs the
// hook set with setBeforeEachCommand (the recording hides its "Save Data" panel), then runs the command that its subsystem registered for the button's key
// ("Save", "Open", "Sampling", "AC", "FSI", "Up", "Down", "RTC", "Memory", "Erase", "Refresh").
class PanelToolbar : public QObject
{
    Q_OBJECT
public:
    explicit PanelToolbar(Panel& panel);

    void setBeforeEachCommand(std::function<void()> hook) { m_beforeEach = std::move(hook); }

    void setCommand(const QString& key, std::function<void()> command);
    bool hasCommand(const QString& key) const { return m_commands.contains(key); }

    void Toolbar1_ButtonClick(QAction* button);

private:
    std::function<void()> m_beforeEach;
    QHash<QString, std::function<void()>> m_commands;
};

} // namespace kirv
