#pragma once

#include <QMap>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;
class QWidget;

namespace kirv {

// What a message box asks: the program's own texts, asserted exactly by the tests.
struct MessageSpec
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // The button Enter presses; a question that destroys something defaults to Cancel or No.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString detail; // extra explanation under the text (why a port did not open, ...)
    // Own captions for some of the buttons ("Recover" on the Save button, ...).
    QMap<QMessageBox::StandardButton, QString> buttonTexts;
};

// Message boxes, input boxes, file and print dialogs go through one service owned by the
// application. The default shows Qt dialogs; tests install a scripted one that answers from a
// queue and records what was asked, so no test ever blocks on a modal dialog.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual QMessageBox::StandardButton message(QWidget* parent, const MessageSpec& request) = 0;
    // The answer typed, or an empty text for Cancel (as the program treats both alike).
    virtual QString input(QWidget* parent, const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;
    // A path to save to (asking before replacing an existing file), or empty for Cancel.
    // `filter` is in the program's form "Data Files (*.kirv)|*.kirv|All Files (*.*)|*.*|".
    virtual QString saveFileName(QWidget* parent, const QString& filter) = 0;
    virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
    // The files chosen to open (several at once where the service allows it), or none for
    // Cancel. A service without a choice of several answers with its openFileName.
    virtual QStringList openFileNames(QWidget* parent, const QString& filter);
    // The print dialog; false when cancelled.
    virtual bool print(QWidget* parent, QPrinter& printer) = 0;
    // A page shown before it is printed: `paint` draws it on the printer it is given (the
    // preview's, then the chosen printer's). False when cancelled. Without a preview of its
    // own, a service asks the print dialog and paints once.
    virtual bool printPreview(QWidget* parent, QPrinter& printer,
                              const std::function<void(QPrinter*)>& paint);

    static Dialogs& instance();
    // Replaces the service (takes ownership); nullptr restores the Qt dialogs.
    static void install(Dialogs* dialogs);
};

// Title of message boxes that have none of their own: the program's name.
inline constexpr const char* AppTitle = "Kirv";

// The refusal of a command that would disturb a running recording.
inline constexpr const char* RecordingModeText = "Recording Mode!\n\rPlease stop recording!";

// A message box with `icon`, an OK button, `title` (none unless given: the dialog shows the
// program's) and an explanation under the text when `detail` is given.
void showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                 const QString& title = {}, const QString& detail = {});
// The same with the critical icon: a command failed and nothing was done.
void showCritical(QWidget* parent, const QString& text, const QString& detail = {});

} // namespace kirv
