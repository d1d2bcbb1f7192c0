#include "kirv/records/ui/left_recording.h"

#include "kirv/widgets/dialogs.h"
#include "kirv/records/datafile.h"
#include "kirv/records/filenames.h"
#include "kirv/records/recordingfile.h"

#include <QDir>
#include <QFile>

namespace kirv {

namespace {

// The offer of one left recording; true when it was saved or discarded.
bool offerOne(QWidget* parent, const LeftRecording& left, const ShownSettings& shown,
              QString* written)
{
    const QString count = QString::number(left.records.count());
    const QString where = QDir::toNativeSeparators(left.tempPath);

    MessageSpec offer;
    offer.text = QStringLiteral("A recording was never saved to a data file: %1 records are in \"%2\".\n"
                                "Recover them into a data file now?")
                     .arg(count, where);
    offer.detail = QStringLiteral("Recover: choose the data file to write. Discard: throw the records "
                                  "away. Cancel: keep them and decide later.");
    offer.title = QString::fromLatin1(AppTitle);
    offer.icon = QMessageBox::Warning;
    offer.buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    offer.buttonTexts = {{QMessageBox::Save, QStringLiteral("Recover")},
                         {QMessageBox::Discard, QStringLiteral("Discard")}};
    const QMessageBox::StandardButton answer = Dialogs::instance().message(parent, offer);

    if (answer == QMessageBox::Save) {
        const QString target = Dialogs::instance().saveFileName(parent, QString::fromLatin1(DataFileFilter));
        if (target.isEmpty())
            return false;
        const RealTimeHeader header =
            recoveredHeader(left.records, shown.freqWeight, shown.timeWeight, shown.range);
        const FileStatus status = saveRecording(left.tempPath, target, header);
        if (!status.ok()) {
            showCritical(parent, status.error);
            return false;
        }
        QFile::remove(left.tempPath);
        if (written)
            *written = target;
        return true;
    }
    if (answer == QMessageBox::Discard) {
        MessageSpec sure;
        sure.text = QStringLiteral("Throw away the %1 records of the unsaved recording for good?").arg(count);
        sure.title = QString::fromLatin1(AppTitle);
        sure.icon = QMessageBox::Question;
        sure.buttons = QMessageBox::Yes | QMessageBox::No;
        sure.defaultButton = QMessageBox::No;
        if (Dialogs::instance().message(parent, sure) != QMessageBox::Yes)
            return false;
        QFile fake(left.tempPath);
        if (!fake.remove()) {
            showCritical(parent, FileStatus::failure("remove", left.tempPath, fake.errorString()).error);
            return false;
        }
        return true;
    }
    return false;
}

} // namespace

bool offerLeftRecording(QWidget* parent, const QString& folder, const ShownSettings& shown,
                        QString* written)
{
    // Each left recording in turn: "Fake" is free for a new one only when none is left.
    for (;;) {
        const auto left = findLeftRecording(folder);
        if (!left)
            return true;
        if (!offerOne(parent, *left, shown, written))
            return false;
    }
}

} // namespace kirv
