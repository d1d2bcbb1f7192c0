#include "start/messagebox.h"

#include <QGuiApplication>

namespace kirv {

QString defaultMessageTitle()
{
    return QGuiApplication::applicationDisplayName();
}

QMessageBox::StandardButton showMessageBox(QWidget *parent, const MessageRequest &request)
{
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(request.icon, request.title, text, request.buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace kirv
