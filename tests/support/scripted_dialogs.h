#pragma once

#include "kirv/widgets/dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

namespace kirv::test {

// Answers dialogs from queues and records every question, so a test asserts the exact text,
// title, icon and buttons and never blocks. An unexpected dialog takes the default answer
// (a message's default button, as Enter would, else OK or Cancel; an empty text) and is
// recorded all the same.
class ScriptedDialogs : public Dialogs
{
public:
    struct Asked
    {
        QString kind; // "message", "input", "save", "open", "print"
        MessageSpec message;
        QString prompt;
        QString title;
        QString defaultText;
        QString filter;
    };

    QMessageBox::StandardButton message(QWidget* parent, const MessageSpec& request) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText) override;
    QString saveFileName(QWidget* parent, const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& filter) override;
    bool print(QWidget* parent, QPrinter& printer) override;

    QQueue<QMessageBox::StandardButton> buttons;
    QQueue<QString> inputs;
    QQueue<QString> files;
    QQueue<bool> prints;
    // A print answered true takes the next path and writes a PDF there, with printCopies copies.
    QQueue<QString> printPdfs;
    int printCopies = 1;
    QList<Asked> asked;

    QList<MessageSpec> messages() const;

    // Installs a fresh instance as the program's dialogs and returns it.
    static ScriptedDialogs* install();
};

} // namespace kirv::test
