#include "kirv/panel/ui/panel_toolbar.h"

#include "kirv/panel/ui/panel.h"

#include <QAction>
#include <QToolBar>

namespace kirv {

PanelToolbar::PanelToolbar(Panel& panel) : QObject(&panel)
{
    connect(panel.Toolbar1, &QToolBar::actionTriggered, this, &PanelToolbar::Toolbar1_ButtonClick);
}

void PanelToolbar::setCommand(const QString& key, std::function<void()> command)
{
    m_commands.insert(key, std::move(command));
}

void PanelToolbar::Toolbar1_ButtonClick(QAction* button)
{
    if (m_beforeEach)
        m_beforeEach();
    const auto command = m_commands.constFind(button->data().toString());
    if (command != m_commands.constEnd() && *command) {
        // A copy: the command may replace the registered one while it runs.
        const std::function<void()> run = *command;
        run();
    }
}

} // namespace kirv
