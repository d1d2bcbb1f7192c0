#pragma once

#include <QDir>
#include <QString>

namespace kirv {

/// Outcome of a file command: empty on success, otherwise the text for the message box, which
/// names the file and the reason ("Cannot write /data/a.kirv: No space left on device").
struct [[nodiscard]] FileStatus
{
    QString error;

    bool ok() const { return error.isEmpty(); }

    /// `action` is a verb such as "open", "create", "write" or "read".
    static FileStatus failure(const char* action, const QString& path, const QString& reason)
    {
        return {QStringLiteral("Cannot %1 %2: %3")
                    .arg(QLatin1String(action), QDir::toNativeSeparators(path), reason)};
    }
};

} // namespace kirv
