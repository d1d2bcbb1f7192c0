#include "kirv/records/filenames.h"

#include <QFileInfo>
#include <QStringList>

namespace kirv {

QString qtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(u';', u' ');
        if (text.isEmpty() && patterns.isEmpty())
            continue;
        if (text.contains(QLatin1Char('(') + patterns + QLatin1Char(')')) || patterns.isEmpty())
            entries.append(text);
        else if (text.isEmpty())
            entries.append(patterns);
        else
            entries.append(text + QLatin1String(" (") + patterns + QLatin1Char(')'));
    }
    return entries.join(QLatin1String(";;"));
}

QString fileTitle(const QString& path)
{
    return QFileInfo(path).fileName();
}

QString continuationPath(const QString& firstPath, int part)
{
    const QFileInfo info(firstPath);
    const QString suffix = info.suffix();
    QString name = info.fileName();
    if (!suffix.isEmpty())
        name.chop(suffix.size() + 1);
    name += QLatin1Char('-') + QString::number(part);
    if (!suffix.isEmpty())
        name += QLatin1Char('.') + suffix;
    const qsizetype folderEnd = firstPath.size() - info.fileName().size();
    return firstPath.left(folderEnd) + name;
}

QString autoListFileName(const QDateTime& time)
{
    return time.toString(QStringLiteral("MMddHHmmss")) + QLatin1Char('.')
           + QLatin1String(DataFileSuffix);
}

} // namespace kirv
