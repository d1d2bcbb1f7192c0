#include "kirv/stats/report_evidence.h"

#include "kirv/base/file_digest.h"

namespace kirv {

ReportEvidence evidenceOf(const QString& dataPath, const MaskSpans& masks)
{
    ReportEvidence evidence;
    evidence.present = true;
    const SessionDetailsLoad load = loadSessionDetails(dataPath);
    evidence.hasDetails = load.found;
    evidence.details = load.details;
    evidence.detailsError = load.error;
    evidence.calibration = checkCalibration(load.details);
    evidence.masks = masks;
    evidence.sha256Error = sha256OfFile(dataPath, evidence.sha256).error;
    return evidence;
}

} // namespace kirv
