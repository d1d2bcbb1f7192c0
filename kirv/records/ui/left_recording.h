#pragma once

#include <QString>

class QWidget;

namespace kirv {

// What the panel shows of the meter's settings, for the header of a recovered data file.
struct ShownSettings
{
    QString freqWeight;
    QString timeWeight;
    QString range;
};

// The offer of a recording that never became a data file: when "Fake" in `folder` holds
// records, the user is asked to save them ("Save" asks for the data file and writes it,
// "Discard" asks again before "Fake" goes) or to leave them for later ("Cancel").
// True when "Fake" may be reused now (nothing left, saved, or discarded); `written` gets the
// path of a data file written.
bool offerLeftRecording(QWidget* parent, const QString& folder, const ShownSettings& shown,
                        QString* written = nullptr);

} // namespace kirv
