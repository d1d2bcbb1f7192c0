#include "kirv/widgets/dialogs.h"

#include "kirv/records/filenames.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <memory>

namespace kirv {

namespace {

// The program's texts break lines with carriage returns and line feeds in either order; a Qt
// label breaks only at line feeds.
QString shownText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

class QtDialogs final : public Dialogs
{
public:
    QMessageBox::StandardButton message(QWidget* parent, const MessageSpec& request) override
    {
        QMessageBox box(request.icon, request.title.isEmpty() ? QString::fromLatin1(AppTitle) : request.title,
                        shownText(request.text), request.buttons, parent);
        if (!request.detail.isEmpty())
            box.setInformativeText(request.detail);
        if (request.defaultButton != QMessageBox::NoButton)
            box.setDefaultButton(request.defaultButton);
        for (auto text = request.buttonTexts.cbegin(); text != request.buttonTexts.cend(); ++text) {
            if (QAbstractButton* button = box.button(text.key()))
                button->setText(text.value());
        }
        return QMessageBox::StandardButton(box.exec());
    }

    QString input(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText) override
    {
        bool ok = false;
        const QString answer =
            QInputDialog::getText(parent, title, shownText(prompt), QLineEdit::Normal, defaultText, &ok);
        return ok ? answer : QString();
    }

    QString saveFileName(QWidget* parent, const QString& filter) override
    {
        return QFileDialog::getSaveFileName(parent, QString(), QString(), qtFileFilter(filter));
    }

    QString openFileName(QWidget* parent, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, QString(), QString(), qtFileFilter(filter));
    }

    QStringList openFileNames(QWidget* parent, const QString& filter) override
    {
        return QFileDialog::getOpenFileNames(parent, QString(), QString(), qtFileFilter(filter));
    }

    bool print(QWidget* parent, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }

    bool printPreview(QWidget* parent, QPrinter& printer,
                      const std::function<void(QPrinter*)>& paint) override
    {
        // The preview's own print button leads to the print dialog (a printer or a PDF file).
        QPrintPreviewDialog dialog(&printer, parent);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        return dialog.exec() == QDialog::Accepted;
    }
};

std::unique_ptr<Dialogs>& current()
{
    static std::unique_ptr<Dialogs> dialogs;
    return dialogs;
}

} // namespace

QStringList Dialogs::openFileNames(QWidget* parent, const QString& filter)
{
    const QString path = openFileName(parent, filter);
    return path.isEmpty() ? QStringList() : QStringList{path};
}

bool Dialogs::printPreview(QWidget* parent, QPrinter& printer,
                           const std::function<void(QPrinter*)>& paint)
{
    if (!print(parent, printer))
        return false;
    paint(&printer);
    return true;
}

void showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                 const QString& title, const QString& detail)
{
    MessageSpec request;
    request.text = text;
    request.title = title;
    request.icon = icon;
    request.detail = detail;
    Dialogs::instance().message(parent, request);
}

void showCritical(QWidget* parent, const QString& text, const QString& detail)
{
    showMessage(parent, text, QMessageBox::Critical, {}, detail);
}

Dialogs& Dialogs::instance()
{
    if (!current())
        current() = std::make_unique<QtDialogs>();
    return *current();
}

void Dialogs::install(Dialogs* dialogs)
{
    current().reset(dialogs);
}

} // namespace kirv
