#include "report/report_targets.h"

#include "kirv/records/level_series.h"
#include "kirv/base/native_names.h"
#include "kirv/base/regular_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>
#include <sys/stat.h>
#include <vector>

namespace kirv {

namespace {

// One key for every name of one file: the device and inode of a file that exists (links
// followed), otherwise the absolute name in the folder with its links resolved.
QString fileKey(const QString& path)
{
    if (isStandardOutput(path))
        return QStringLiteral("-");
    struct stat info;
    if (::stat(nativeName(path).constData(), &info) == 0)
        return QStringLiteral("%1:%2").arg(quint64(info.st_dev)).arg(quint64(info.st_ino));
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return QLatin1Char('/') + (folder.isEmpty() ? file.absolutePath() : folder) +
           QLatin1Char('/') + file.fileName();
}

QString shownTarget(const QString& path)
{
    return isStandardOutput(path) ? QStringLiteral("standard output")
                                  : QDir::toNativeSeparators(shownName(path));
}

} // namespace

bool isStandardOutput(const QString& path)
{
    return path.isEmpty() || path == QLatin1String("-") || path == QLatin1String("/dev/stdout");
}

std::optional<QString> outputClash(const std::vector<ReportTarget>& targets,
                                   const QStringList& inputs, bool force)
{
    std::vector<QString> keys;
    for (const ReportTarget& target : targets)
        keys.push_back(fileKey(target.path));
    for (size_t i = 0; i < targets.size(); ++i)
        for (size_t j = i + 1; j < targets.size(); ++j)
            if (keys[i] == keys[j])
                return QStringLiteral("%1 and %2 name one output, %3")
                    .arg(targets[i].option, targets[j].option, shownTarget(targets[j].path));
    if (force)
        return std::nullopt;
    for (const QString& file : inputs) {
        const QString key = fileKey(file);
        for (size_t i = 0; i < targets.size(); ++i)
            if (key == keys[i] && !isStandardOutput(targets[i].path))
                return QStringLiteral("%1 names %2, one of the data files to analyse (--force "
                                      "writes over it)")
                    .arg(targets[i].option, shownTarget(targets[i].path));
    }
    return std::nullopt;
}

bool readsAsDataFile(const QString& path)
{
    QFile file;
    if (!openRegularFile(file, path, std::numeric_limits<qint64>::max()).ok())
        return false;
    constexpr qint64 FirstLineBytes = 4096;
    const DataFileSeries head = parseDataFileSeries(file.readLine(FirstLineBytes));
    return head.kind != DataFileKind::PlainList || head.titled;
}

FileStatus dataFileTarget(const QString& path, bool force)
{
    if (force || isStandardOutput(path) || !readsAsDataFile(path))
        return {};
    return FileStatus::failure("write", shownName(path),
                               QStringLiteral("it is a data file (--force writes over it)"));
}

} // namespace kirv
