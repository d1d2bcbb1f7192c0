#pragma once

#include "kirv/records/session_details.h"

#include <QDialog>
#include <QMap>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace kirv {

/// The session details of one data file, edited in one window: who measured where for whom,
/// the instrument and the calibrator, the weather, free notes, the calibrator readings before
/// and after with the check's verdict, the notes pinned to times, and the amendment log. "Save"
/// writes the sidecar whole and logs each changed value; the data file is never touched.
class DetailsWindow : public QDialog
{
    Q_OBJECT

public:
    /// The window title: "Details - " and the file's name.
    static constexpr const char* CaptionPrefix = "Details - ";
    /// The captions of the one-line fields, in the order of the form; each field's accessible
    /// name is its caption.
    static const QStringList& fieldCaptions();

    /// Opens the details of `dataPath` as a window of `parent` (closed with it), or brings the
    /// one open already forward. A file without details is offered the last instrument. Null, with the reason shown, when the sidecar cannot be read:
    /// it is left as it is. `lastSession` is the file of the last saved instrument and
    /// calibrator, offered by "Last instrument" (empty: none is kept).
    static DetailsWindow* open(const QString& dataPath, QWidget* parent, const QString& lastSession = lastSessionPath());

    DetailsWindow(const QString& dataPath, const SessionDetails& details, const QString& lastSession,
                  QWidget* parent = nullptr);

    const QString& dataPath() const { return m_dataPath; }
    /// The details as the fields hold them, or an empty optional and a message naming the field
    /// whose text is not what it takes.
    std::optional<SessionDetails> fieldDetails(QString* error = nullptr) const;
    /// Writes the fields' details; false, with the reason shown, when nothing was written.
    bool save();
    /// Fills the instrument and calibrator fields from the last saved session.
    void offerLastInstrument();
    /// Adds a note at `time` (civil seconds) with `text`, in time order.
    void addNote(qint64 time, const QString& text);

    /// The user's file of the last saved instrument and calibrator.
    static QString lastSessionPath();

signals:
    /// The details were saved (the notes of a plot follow them).
    void saved(const QString& dataPath, const kirv::SessionDetails& details);

protected:
    void done(int result) override;

private:
    QLineEdit* field(const QString& caption) const { return m_fields.value(caption); }
    QWidget* buildForm();
    QWidget* buildCheck();
    QWidget* buildNotes();
    void showDetails(const SessionDetails& details);
    void showCheck();
    void showLog();
    void addNoteRow(qint64 time, const QString& text);

    QString m_dataPath;
    QString m_lastSession;
    SessionDetails m_saved; // what the sidecar holds now
    std::optional<SessionDetails> m_offered; // the last session's instrument, offered unsaved
    QMap<QString, QLineEdit*> m_fields;
    QPlainTextEdit* m_notes = nullptr;
    QLineEdit* m_verdict = nullptr;
    QTableWidget* m_timeline = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QPushButton* m_last = nullptr;
};

} // namespace kirv
