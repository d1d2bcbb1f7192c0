#pragma once

#include "kirv/records/level_masks.h"
#include "kirv/records/session_details.h"
#include "kirv/stats/calibration_check.h"

#include <QByteArray>
#include <QString>

namespace kirv {

/// What a report states of a data file beside its figures so that it stands as evidence: the
/// session details of its sidecar, the calibrator check, the masks with their notes, and the
/// SHA-256 of the data file as read.
struct ReportEvidence
{
    bool present = false; // read from a file's sidecars; a window's list has none
    bool hasDetails = false; // the file has a readable session details sidecar
    SessionDetails details;
    QString detailsError; // names the sidecar that could not be used (nothing of it applies)
    CalibrationCheck calibration;
    MaskSpans masks;
    QByteArray sha256; // 64 hex digits; empty when the file could not be hashed
    QString sha256Error;
};

/// The evidence of the data file at `dataPath`, whose masks (as the report applied them) are
/// `masks`.
ReportEvidence evidenceOf(const QString& dataPath, const MaskSpans& masks);

} // namespace kirv
