#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

namespace kirv {

/// Filter of the open and save dialogs for data files, in the "text|pattern|" pair form.
inline constexpr char DataFileFilter[] = "Data Files (*.kirv)|*.kirv|All Files (*.*)|*.*|";
inline constexpr char DataFileSuffix[] = "kirv";

/// Converts a "text|pattern|text|pattern|" filter into Qt's "text (pattern);;text (pattern)".
/// A text that does not already show its pattern in parentheses gets it appended; several
/// patterns of one entry ("*.kirv;*.txt") become blank-separated.
QString qtFileFilter(const QString& pipeFilter);

/// File title of a path: the name without its folder ("C:/data/a.kirv" gives "a.kirv").
QString fileTitle(const QString& path);

/// The file a recording continues into after a lost link came back: part 2 of "C:/d/a.kirv" is
/// "C:/d/a-2.kirv", part 3 "C:/d/a-3.kirv"; a name without an extension gets the number at its end.
QString continuationPath(const QString& firstPath, int part);

/// Name of the temporary recording file in the working folder.
inline constexpr char RecordingFileName[] = "Fake";

/// Name of an automatic list file: "MMddhhmmss.kirv" of the given local time, 24-hour clock
/// ("0304080002.kirv" for 4 March, 08:00:02).
QString autoListFileName(const QDateTime& time);

} // namespace kirv
