#pragma once

#include "kirv/records/recordstore.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace kirv {

class FileAnalysis;
class Panel;
class RecordList;

/// Gives the list window its analysis (series, interval from the header, the masks of the
/// sidecar beside `dataPath`, none when it is empty). A sidecar that cannot be used is named in
/// a message and ignored.
FileAnalysis* attachFileAnalysis(QWidget* listWindow, const QString& dataPath,
                                 const RecordStore& records, const QStringList& headerLines);

/// "Periods" or "Events" of a list window: the window (the open one raised, else a new one)
/// over the list's analysis.
QWidget* showAnalysisWindow(QWidget* listWindow, const QString& key);

/// "0.1 dB" and "1 dB" of a list window: the level statistics without the masked records.
void showMaskedLevelStatistics(QWidget* listWindow, const RecordList& records, bool fine,
                               Panel* panel);

} // namespace kirv
