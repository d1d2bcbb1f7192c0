#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace kirv {

// One question or notice for the user, as the launcher asks it.
struct MessageRequest
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// Shows a request and returns the button chosen. The launcher asks every question through one of
// these, so that tests answer from a script instead of a modal dialog.
using MessageBoxFunction = std::function<QMessageBox::StandardButton(const MessageRequest &)>;

// The title a message box gets when its caller names none: the program's name.
QString defaultMessageTitle();

// The real message box, modal over parent. A CR in the text starts a new line, as it did for
// the texts this launcher was written with.
QMessageBox::StandardButton showMessageBox(QWidget *parent, const MessageRequest &request);

} // namespace kirv
