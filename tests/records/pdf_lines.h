#pragma once

// Printed lines read back from a PDF with pdftotext.

#include <QProcess>
#include <QStringList>

namespace kirv::test {

/// Blanks collapsed and blank lines dropped: how `pdftotext -layout` gives back printed lines
/// (it keeps their words and order, and their columns only roughly).
inline QStringList wordsOf(const QStringList& lines)
{
    QStringList result;
    for (const QString& line : lines)
        if (const QString words = line.simplified(); !words.isEmpty())
            result.append(words);
    return result;
}

/// The lines of a PDF as `pdftotext -layout` reads them, through wordsOf.
inline QStringList pdfLines(const QString& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return {QStringLiteral("pdftotext failed: ") +
                QString::fromLocal8Bit(tool.readAllStandardError())};
    return wordsOf(QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n'));
}

} // namespace kirv::test
