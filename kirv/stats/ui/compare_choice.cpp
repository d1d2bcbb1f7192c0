#include "kirv/stats/ui/compare_choice.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kirv {

CompareChoice::CompareChoice(const QString& file, const QStringList& others, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CompareChoice"));
    setWindowTitle(QString::fromLatin1(Caption));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);

    auto* column = new QVBoxLayout(this);
    LblPrompt = new QLabel(QStringLiteral("Compare %1 with:").arg(file), this);
    LblPrompt->setObjectName(QStringLiteral("LblPrompt"));
    LstFiles = new QListWidget(this);
    LstFiles->setObjectName(QStringLiteral("LstFiles"));
    LstFiles->setAccessibleName(QStringLiteral("Open files"));
    LstFiles->addItems(others);
    LstFiles->setCurrentRow(0);
    LstFiles->setMinimumWidth(LstFiles->sizeHintForColumn(0) + 48);
    LblPrompt->setBuddy(LstFiles);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    column->addWidget(LblPrompt);
    column->addWidget(LstFiles);
    column->addWidget(Buttons);

    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(LstFiles, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(LstFiles, &QListWidget::currentRowChanged, this, [this](int row) {
        Buttons->button(QDialogButtonBox::Ok)->setEnabled(row >= 0);
    });
    connect(this, &QDialog::accepted, this, [this] {
        if (LstFiles->currentRow() >= 0)
            emit chosen(LstFiles->currentRow());
    });
}

} // namespace kirv
