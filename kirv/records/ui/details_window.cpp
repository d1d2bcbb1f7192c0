#include "kirv/records/ui/details_window.h"

#include "kirv/base/civil_time.h"
#include "kirv/base/regular_file.h"
#include "kirv/base/replace_file.h"
#include "kirv/records/amendment_log.h"
#include "kirv/stats/calibration_check.h"
#include "kirv/widgets/dialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace kirv {

namespace {

constexpr const char* DateHint = "yyyy-mm-dd";
constexpr const char* TimeHint = "yyyy/mm/dd hh:nn:ss";

// One one-line field of the form and the member of the details it edits.
struct Field
{
    const char* caption;
    const char* group;
    QString SessionDetails::*text = nullptr;
    QDate SessionDetails::*date = nullptr;
    std::optional<double> SessionDetails::*number = nullptr;
    bool instrument = false; // kept from one session to the next
};

const std::vector<Field>& fields()
{
    using D = SessionDetails;
    static const std::vector<Field> list{
        {"Site", "Session", &D::site},
        {"Operator", "Session", &D::operatorName},
        {"Client", "Session", &D::client},
        {"Project", "Session", &D::project},
        {"Instrument type", "Instrument", &D::instrumentType, nullptr, nullptr, true},
        {"Instrument serial", "Instrument", &D::instrumentSerial, nullptr, nullptr, true},
        {"Last verification", "Instrument", nullptr, &D::instrumentVerified, nullptr, true},
        {"Calibrator type", "Calibrator", &D::calibratorType, nullptr, nullptr, true},
        {"Calibrator serial", "Calibrator", &D::calibratorSerial, nullptr, nullptr, true},
        {"Reference level (dB)", "Calibrator", nullptr, nullptr, &D::calibratorLevelDb, true},
        {"Certificate date", "Calibrator", nullptr, &D::calibratorCertificate, nullptr, true},
        {"Wind speed", "Weather", &D::windSpeed},
        {"Wind direction", "Weather", &D::windDirection},
        {"Rain", "Weather", &D::rain},
        {"Temperature", "Weather", &D::temperature},
    };
    return list;
}

// The calibrator readings: a level and a time each, and the tolerance.
constexpr const char* LevelBefore = "Level before (dB)";
constexpr const char* TimeBefore = "Time before";
constexpr const char* LevelAfter = "Level after (dB)";
constexpr const char* TimeAfter = "Time after";
constexpr const char* Tolerance = "Tolerance (dB)";

QString numberText(std::optional<double> value)
{
    return value ? QString::number(*value, 'f', 1) : QString();
}

std::optional<double> numberOf(const QString& text, bool* ok)
{
    *ok = true;
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const double value = QLocale::c().toDouble(text.trimmed(), ok);
    *ok = *ok && std::isfinite(value);
    return *ok ? std::optional<double>(value) : std::nullopt;
}

// The text a field shows of `d`.
QString fieldText(const Field& f, const SessionDetails& d)
{
    if (f.text)
        return d.*f.text;
    if (f.date)
        return (d.*f.date).isValid() ? (d.*f.date).toString(Qt::ISODate) : QString();
    return numberText(d.*f.number);
}

QString refusal(const QString& caption, const QString& text, const char* takes)
{
    return QStringLiteral("\"%1\" is not %2: %3").arg(caption, QString::fromLatin1(takes), text);
}

} // namespace

const QStringList& DetailsWindow::fieldCaptions()
{
    static const QStringList captions = [] {
        QStringList list;
        for (const Field& f : fields())
            list << QString::fromLatin1(f.caption);
        list << LevelBefore << TimeBefore << LevelAfter << TimeAfter << Tolerance;
        return list;
    }();
    return captions;
}

QString DetailsWindow::lastSessionPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("last-session.info"));
}

DetailsWindow* DetailsWindow::open(const QString& dataPath, QWidget* parent, const QString& lastSession)
{
    // One window a file: asked again, the open one comes forward.
    if (parent) {
        for (DetailsWindow* open : parent->findChildren<DetailsWindow*>()) {
            if (open->dataPath() == dataPath) {
                open->raise();
                open->activateWindow();
                return open;
            }
        }
    }
    const SessionDetailsLoad load = loadSessionDetails(dataPath);
    if (!load.error.isEmpty()) {
        showCritical(parent, load.error, QStringLiteral("The details are left as they are."));
        return nullptr;
    }
    auto* window = new DetailsWindow(dataPath, load.details, lastSession, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // A file without details yet (a new recording, a set just saved) is offered the instrument
    // and the calibrator of the last session; nothing is written until "Save".
    if (!load.found) {
        window->offerLastInstrument();
        window->m_offered = window->fieldDetails();
    }
    window->show();
    return window;
}

DetailsWindow::DetailsWindow(const QString& dataPath, const SessionDetails& details, const QString& lastSession,
                             QWidget* parent)
    : QDialog(parent), m_dataPath(dataPath), m_lastSession(lastSession), m_saved(details)
{
    setObjectName(QStringLiteral("Details"));
    setWindowTitle(QString::fromLatin1(CaptionPrefix) + QFileInfo(dataPath).fileName());
    auto* columns = new QHBoxLayout;
    columns->addWidget(buildForm(), 1);
    auto* right = new QVBoxLayout;
    right->addWidget(buildCheck());
    right->addWidget(buildNotes(), 1);
    columns->addLayout(right, 1);

    auto* buttons = new QDialogButtonBox;
    m_last = buttons->addButton(QStringLiteral("Last instrument"), QDialogButtonBox::ActionRole);
    m_last->setToolTip(QStringLiteral("Fills the instrument and the calibrator of the last saved session"));
    m_last->setEnabled(!m_lastSession.isEmpty() && QFileInfo::exists(m_lastSession));
    QPushButton* saveButton = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    saveButton->setToolTip(QStringLiteral("Writes the details beside the data file and logs each change"));
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setToolTip(QStringLiteral("Closes the window; changed details are asked about"));
    connect(m_last, &QPushButton::clicked, this, &DetailsWindow::offerLastInstrument);
    connect(saveButton, &QPushButton::clicked, this, [this] { static_cast<void>(save()); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);
    showDetails(details);
    showLog();
    resize(960, 700);
}

QWidget* DetailsWindow::buildForm()
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    QFormLayout* form = nullptr;
    QString group;
    for (const Field& f : fields()) {
        if (group != QLatin1String(f.group)) {
            group = QString::fromLatin1(f.group);
            auto* frame = new QGroupBox(group);
            form = new QFormLayout(frame);
            layout->addWidget(frame);
        }
        auto* edit = new QLineEdit;
        const QString caption = QString::fromLatin1(f.caption);
        edit->setAccessibleName(caption);
        if (f.date)
            edit->setPlaceholderText(QString::fromLatin1(DateHint));
        m_fields.insert(caption, edit);
        form->addRow(caption + QLatin1Char(':'), edit);
    }
    auto* notes = new QGroupBox(QStringLiteral("Notes"));
    m_notes = new QPlainTextEdit;
    m_notes->setAccessibleName(QStringLiteral("Notes"));
    m_notes->setTabChangesFocus(true);
    (new QVBoxLayout(notes))->addWidget(m_notes);
    layout->addWidget(notes, 1);
    return box;
}

QWidget* DetailsWindow::buildCheck()
{
    auto* frame = new QGroupBox(QStringLiteral("Calibration check"));
    auto* form = new QFormLayout(frame);
    for (const char* caption : {LevelBefore, TimeBefore, LevelAfter, TimeAfter, Tolerance}) {
        auto* edit = new QLineEdit;
        edit->setAccessibleName(QString::fromLatin1(caption));
        m_fields.insert(QString::fromLatin1(caption), edit);
        form->addRow(QString::fromLatin1(caption) + QLatin1Char(':'), edit);
        connect(edit, &QLineEdit::textChanged, this, &DetailsWindow::showCheck);
    }
    field(TimeBefore)->setPlaceholderText(QString::fromLatin1(TimeHint));
    field(TimeAfter)->setPlaceholderText(QString::fromLatin1(TimeHint));
    field(Tolerance)->setPlaceholderText(QString::number(DefaultCalibrationToleranceDb, 'f', 1));
    m_verdict = new QLineEdit;
    m_verdict->setReadOnly(true);
    m_verdict->setFrame(false);
    m_verdict->setAccessibleName(QStringLiteral("Verdict"));
    m_verdict->setToolTip(QStringLiteral("The drift (after - before) against the tolerance"));
    form->addRow(QStringLiteral("Verdict:"), m_verdict);
    return frame;
}

QWidget* DetailsWindow::buildNotes()
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QGroupBox(QStringLiteral("Notes on the timeline"));
    auto* inner = new QVBoxLayout(frame);
    m_timeline = new QTableWidget(0, 2);
    m_timeline->setAccessibleName(QStringLiteral("Notes on the timeline"));
    m_timeline->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Note")});
    m_timeline->horizontalHeader()->setStretchLastSection(true);
    m_timeline->verticalHeader()->hide();
    m_timeline->setColumnWidth(0, 150);
    inner->addWidget(m_timeline);
    auto* rowButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add note"));
    add->setToolTip(QStringLiteral("Adds a note; type its time (%1) and its text").arg(QString::fromLatin1(TimeHint)));
    auto* remove = new QPushButton(QStringLiteral("Remove note"));
    remove->setToolTip(QStringLiteral("Removes the chosen note"));
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch();
    inner->addLayout(rowButtons);
    connect(add, &QPushButton::clicked, this, [this] {
        addNoteRow(m_saved.timeline.empty() ? 0 : m_saved.timeline.back().time, QString());
        m_timeline->setCurrentCell(m_timeline->rowCount() - 1, 1);
        m_timeline->editItem(m_timeline->currentItem());
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_timeline->currentRow() >= 0)
            m_timeline->removeRow(m_timeline->currentRow());
    });
    layout->addWidget(frame, 2);

    auto* logFrame = new QGroupBox(QStringLiteral("Amendments"));
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setAccessibleName(QStringLiteral("Amendments"));
    m_log->setToolTip(QStringLiteral("Every change of the details, the notes and the masks: when, who, what, from, to"));
    (new QVBoxLayout(logFrame))->addWidget(m_log);
    layout->addWidget(logFrame, 1);
    return box;
}

void DetailsWindow::addNoteRow(qint64 time, const QString& text)
{
    const int row = m_timeline->rowCount();
    m_timeline->insertRow(row);
    m_timeline->setItem(row, 0, new QTableWidgetItem(time ? civilTimeText(time) : QString()));
    m_timeline->setItem(row, 1, new QTableWidgetItem(text));
}

void DetailsWindow::addNote(qint64 time, const QString& text)
{
    int row = 0;
    while (row < m_timeline->rowCount()
           && civilSeconds(m_timeline->item(row, 0)->text().toLatin1()).value_or(0) <= time)
        ++row;
    m_timeline->insertRow(row);
    m_timeline->setItem(row, 0, new QTableWidgetItem(civilTimeText(time)));
    m_timeline->setItem(row, 1, new QTableWidgetItem(text));
}

void DetailsWindow::showDetails(const SessionDetails& details)
{
    for (const Field& f : fields())
        field(QString::fromLatin1(f.caption))->setText(fieldText(f, details));
    m_notes->setPlainText(details.notes);
    const auto reading = [&](const std::optional<CalibrationReading>& r, const char* level, const char* time) {
        field(level)->setText(r ? numberText(r->levelDb) : QString());
        field(time)->setText(r && r->time ? civilTimeText(*r->time) : QString());
    };
    reading(details.calibrationBefore, LevelBefore, TimeBefore);
    reading(details.calibrationAfter, LevelAfter, TimeAfter);
    field(Tolerance)->setText(numberText(details.toleranceDb));
    m_timeline->setRowCount(0);
    for (const TimelineNote& note : details.timeline)
        addNoteRow(note.time, note.text);
    showCheck();
}

std::optional<SessionDetails> DetailsWindow::fieldDetails(QString* error) const
{
    SessionDetails d;
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    for (const Field& f : fields()) {
        const QString caption = QString::fromLatin1(f.caption);
        const QString text = field(caption)->text();
        if (f.text) {
            d.*f.text = text.trimmed();
        } else if (f.date) {
            const QDate date = QDate::fromString(text.trimmed(), Qt::ISODate);
            if (!text.trimmed().isEmpty() && !date.isValid())
                return fail(refusal(caption, text, "a date (yyyy-mm-dd)"));
            d.*f.date = date;
        } else {
            bool ok = true;
            d.*f.number = numberOf(text, &ok);
            if (!ok)
                return fail(refusal(caption, text, "a level in dB"));
        }
    }
    d.notes = m_notes->toPlainText();
    const auto reading = [&](const char* levelCaption, const char* timeCaption,
                             std::optional<CalibrationReading>& into) -> bool {
        bool ok = true;
        const QString levelText = field(levelCaption)->text();
        const std::optional<double> level = numberOf(levelText, &ok);
        if (!ok) {
            fail(refusal(QString::fromLatin1(levelCaption), levelText, "a level in dB"));
            return false;
        }
        const QString timeText = field(timeCaption)->text().trimmed();
        const std::optional<qint64> time = civilSeconds(timeText.toLatin1());
        if (!timeText.isEmpty() && !time) {
            fail(refusal(QString::fromLatin1(timeCaption), timeText, "a time (yyyy/mm/dd hh:nn:ss)"));
            return false;
        }
        if (!level && time) {
            fail(QStringLiteral("\"%1\" is missing: a reading at %2 needs its level")
                     .arg(QString::fromLatin1(levelCaption), timeText));
            return false;
        }
        if (level)
            into = CalibrationReading{*level, time};
        return true;
    };
    if (!reading(LevelBefore, TimeBefore, d.calibrationBefore) || !reading(LevelAfter, TimeAfter, d.calibrationAfter))
        return std::nullopt;
    bool ok = true;
    d.toleranceDb = numberOf(field(Tolerance)->text(), &ok);
    if (!ok || (d.toleranceDb && *d.toleranceDb < 0))
        return fail(refusal(QString::fromLatin1(Tolerance), field(Tolerance)->text(), "a tolerance in dB"));
    for (int row = 0; row < m_timeline->rowCount(); ++row) {
        const QString timeText = m_timeline->item(row, 0) ? m_timeline->item(row, 0)->text().trimmed() : QString();
        const QString text = m_timeline->item(row, 1) ? m_timeline->item(row, 1)->text() : QString();
        const std::optional<qint64> time = civilSeconds(timeText.toLatin1());
        if (!time)
            return fail(QStringLiteral("The time of note %1 is not a time (yyyy/mm/dd hh:nn:ss): %2").arg(row + 1).arg(timeText));
        if (text.trimmed().isEmpty())
            return fail(QStringLiteral("Note %1 at %2 has no text").arg(row + 1).arg(timeText));
        d.timeline.push_back({*time, text});
    }
    std::stable_sort(d.timeline.begin(), d.timeline.end(),
                     [](const TimelineNote& a, const TimelineNote& b) { return a.time < b.time; });
    return d;
}

void DetailsWindow::showCheck()
{
    const std::optional<SessionDetails> d = fieldDetails();
    if (!d) {
        m_verdict->setText(QStringLiteral("not known: a reading is not a level or a time"));
        return;
    }
    const CalibrationCheck check = checkCalibration(*d);
    const QString tolerance = QString::number(check.toleranceDb, 'f', 1);
    if (check.verdict == CalibrationCheck::Missing) {
        m_verdict->setText(QStringLiteral("missing: a reading before or after is not given"));
        return;
    }
    const QString drift = (*check.driftDb >= 0 ? QStringLiteral("+") : QString()) + QString::number(*check.driftDb, 'f', 1);
    m_verdict->setText(QStringLiteral("%1: drift %2 dB, tolerance %3 dB")
                           .arg(calibrationVerdictText(check.verdict), drift, tolerance));
}

void DetailsWindow::showLog()
{
    const AmendmentLogLoad log = loadAmendmentLog(m_dataPath);
    QStringList lines;
    if (!log.error.isEmpty())
        lines << log.error;
    for (const AmendmentRecord& r : log.records) {
        const auto quoted = [](const QString& v) { return v.isEmpty() ? QStringLiteral("-") : QLatin1Char('"') + v + QLatin1Char('"'); };
        lines << QStringLiteral("%1  %2  %3: %4 -> %5")
                     .arg(r.time, r.login, r.change.what, quoted(r.change.oldValue), quoted(r.change.newValue));
    }
    if (log.unreadable)
        lines << QStringLiteral("(%1 lines of the log are no amendment)").arg(log.unreadable);
    m_log->setPlainText(lines.isEmpty() ? QStringLiteral("No amendment yet.") : lines.join(QLatin1Char('\n')));
}

bool DetailsWindow::save()
{
    QString error;
    const std::optional<SessionDetails> d = fieldDetails(&error);
    if (!d) {
        showCritical(this, error, QStringLiteral("Nothing was saved."));
        return false;
    }
    if (const FileStatus status = saveSessionDetails(m_dataPath, *d); !status.ok()) {
        showCritical(this, status.error, QStringLiteral("Nothing was saved."));
        return false;
    }
    m_saved = *d;
    // The instrument and the calibrator are offered to the next session.
    SessionDetails kept;
    for (const Field& f : fields()) {
        if (!f.instrument)
            continue;
        if (f.text)
            kept.*f.text = (*d).*f.text;
        else if (f.date)
            kept.*f.date = (*d).*f.date;
        else
            kept.*f.number = (*d).*f.number;
    }
    if (!m_lastSession.isEmpty() && !kept.isEmpty()) {
        QDir().mkpath(QFileInfo(m_lastSession).path());
        // Only a convenience: a failure here costs the next session some typing, nothing more.
        static_cast<void>(replaceOrRemove(m_lastSession, sessionDetailsText(kept)));
    }
    showLog();
    emit saved(m_dataPath, m_saved);
    return true;
}

void DetailsWindow::offerLastInstrument()
{
    QByteArray text;
    if (m_lastSession.isEmpty() || !readRegularFile(m_lastSession, MaxSessionDetailsBytes, text).ok())
        return;
    const SessionDetailsParse last = parseSessionDetails(text);
    if (!last.details)
        return;
    for (const Field& f : fields()) {
        if (f.instrument)
            field(QString::fromLatin1(f.caption))->setText(fieldText(f, *last.details));
    }
}

void DetailsWindow::done(int result)
{
    const std::optional<SessionDetails> d = fieldDetails();
    if (!d || (*d != m_saved && d != m_offered)) {
        MessageSpec ask;
        ask.text = QStringLiteral("The details have changed. Save them?");
        ask.title = windowTitle();
        ask.icon = QMessageBox::Question;
        ask.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        ask.defaultButton = QMessageBox::Yes;
        const QMessageBox::StandardButton answer = Dialogs::instance().message(this, ask);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !save()))
            return;
    }
    QDialog::done(result);
}

} // namespace kirv
