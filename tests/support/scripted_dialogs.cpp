#include "tests/support/scripted_dialogs.h"

#include <QPrinter>

namespace kirv::test {

QMessageBox::StandardButton ScriptedDialogs::message(QWidget*, const MessageSpec& request)
{
    asked.append({QStringLiteral("message"), request, {}, {}, {}, {}});
    if (!buttons.isEmpty())
        return buttons.dequeue();
    // No answer scripted: Enter, which presses the default button.
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    return request.buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Cancel;
}

QString ScriptedDialogs::input(QWidget*, const QString& prompt, const QString& title,
                               const QString& defaultText)
{
    asked.append({QStringLiteral("input"), {}, prompt, title, defaultText, {}});
    return inputs.isEmpty() ? QString() : inputs.dequeue();
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& filter)
{
    asked.append({QStringLiteral("save"), {}, {}, {}, {}, filter});
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& filter)
{
    asked.append({QStringLiteral("open"), {}, {}, {}, {}, filter});
    return files.isEmpty() ? QString() : files.dequeue();
}

bool ScriptedDialogs::print(QWidget*, QPrinter& printer)
{
    asked.append({QStringLiteral("print"), {}, {}, {}, {}, {}});
    const bool accepted = prints.isEmpty() ? false : prints.dequeue();
    if (accepted && !printPdfs.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printPdfs.dequeue());
        printer.setCopyCount(printCopies);
    }
    return accepted;
}

QList<MessageSpec> ScriptedDialogs::messages() const
{
    QList<MessageSpec> result;
    for (const Asked& a : asked) {
        if (a.kind == QLatin1String("message"))
            result << a.message;
    }
    return result;
}

ScriptedDialogs* ScriptedDialogs::install()
{
    auto* dialogs = new ScriptedDialogs;
    Dialogs::install(dialogs);
    return dialogs;
}

} // namespace kirv::test
