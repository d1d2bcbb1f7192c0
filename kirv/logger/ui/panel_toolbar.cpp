// The main window's toolbar: one handler for the eleven buttons, dispatching on the key.
#include "kirv/panel/ui/panel.h"

#include "kirv/records/ui/panel_recording.h"

#include <QAction>

namespace kirv {

void Panel::Toolbar1_ButtonClick(QAction* button)
{
    m_recording->hideSavePanel();
    const QString key = button->data().toString();
    if (key == QLatin1String("Save"))
        m_recording->saveButtonClicked();
}

} // namespace kirv
