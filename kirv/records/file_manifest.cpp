#include "kirv/records/file_manifest.h"

#include "kirv/base/file_digest.h"
#include "kirv/base/native_names.h"
#include "kirv/base/regular_file.h"
#include "kirv/base/replace_file.h"
#include "kirv/base/text_lines.h"

#include <QFile>
#include <QFileInfo>

namespace kirv {

namespace {

// Largest manifest read: a few lines of a hundred bytes each.
constexpr qint64 MaxManifestBytes = qint64(1) << 20;

bool isHex(QByteArrayView digits)
{
    if (digits.size() != 64)
        return false;
    for (const char c : digits)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

// sha256sum's escapes of a name holding a backslash or a line end: the line then starts with
// a backslash.
QByteArray escapedName(const QByteArray& name, bool& escaped)
{
    QByteArray out;
    escaped = false;
    for (const char c : name) {
        if (c == '\\' || c == '\n') {
            escaped = true;
            out += c == '\\' ? "\\\\" : "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QByteArray> unescapedName(QByteArrayView name)
{
    QByteArray out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            out += name[i];
            continue;
        }
        if (++i >= name.size() || (name[i] != '\\' && name[i] != 'n'))
            return std::nullopt;
        out += name[i] == 'n' ? '\n' : '\\';
    }
    return out;
}

QString fileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

QString manifestPath(const QString& dataPath)
{
    return dataPath + QStringLiteral(".sha256");
}

QStringList keptFileSuffixes()
{
    return {QStringLiteral(".raw"), QStringLiteral(".masks"), QStringLiteral(".info"),
            QStringLiteral(".log")};
}

const ManifestEntry* Manifest::entry(const QString& name) const
{
    for (const ManifestEntry& e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

QByteArray manifestText(const Manifest& manifest)
{
    QByteArray out;
    for (const QString& comment : manifest.comments)
        out += "# " + comment.toUtf8() + '\n';
    for (const ManifestEntry& e : manifest.entries) {
        bool escaped = false;
        const QByteArray name = escapedName(nativeName(e.name), escaped);
        out += (escaped ? "\\" : "") + e.sha256 + "  " + name + '\n';
    }
    return out;
}

ManifestParse parseManifest(QByteArrayView text)
{
    Manifest manifest;
    ManifestParse failed;
    const bool read = forEachLine(text, [&](qsizetype lineNumber, QByteArrayView line) {
        if (line.trimmed().isEmpty())
            return true;
        if (line.startsWith('#')) {
            QByteArrayView comment = line.sliced(1);
            if (comment.startsWith(' '))
                comment = comment.sliced(1);
            manifest.comments << QString::fromUtf8(comment);
            return true;
        }
        const bool escaped = line.startsWith('\\');
        if (escaped)
            line = line.sliced(1);
        const auto bad = [&](const char* reason) {
            failed.error = QStringLiteral("line %1: %2").arg(lineNumber).arg(QLatin1String(reason));
            return false;
        };
        // "<hex>  name" (text mode) or "<hex> *name" (binary mode): the same bytes either way.
        if (line.size() < 67 || !isHex(line.first(64)) || line[64] != ' '
            || (line[65] != ' ' && line[65] != '*'))
            return bad("not a SHA-256 line such as \"<64 hex digits>  name.kirv\"");
        const std::optional<QByteArray> name =
            escaped ? unescapedName(line.sliced(66)) : std::optional(line.sliced(66).toByteArray());
        if (!name || name->contains('/') || name->contains('\\') || *name == "." || *name == "..")
            return bad("the name is not a file of this folder");
        manifest.entries.append({line.first(64).toByteArray().toLower(), nameFromNative(*name)});
        return true;
    });
    if (!read)
        return failed;
    return {manifest, {}};
}

FileStatus writeManifest(const QString& dataPath, const QStringList& comments)
{
    Manifest manifest;
    manifest.comments = comments;
    QStringList paths{dataPath};
    for (const QString& suffix : keptFileSuffixes())
        if (QFileInfo::exists(dataPath + suffix))
            paths << dataPath + suffix;
    for (const QString& path : paths) {
        QByteArray hex;
        if (const FileStatus hashed = sha256OfFile(path, hex); !hashed.ok())
            return hashed;
        manifest.entries.append({hex, fileNameOf(path)});
    }
    return replaceOrRemove(manifestPath(dataPath), manifestText(manifest));
}

ManifestLoad loadManifest(const QString& dataPath)
{
    const QString path = manifestPath(dataPath);
    QByteArray text;
    if (const FileStatus read = readRegularFile(path, MaxManifestBytes, text); !read.ok())
        return {std::nullopt, read.error};
    ManifestParse parse = parseManifest(text);
    if (!parse.manifest)
        return {std::nullopt, FileStatus::failure("use", shownName(path), parse.error).error};
    return {std::move(parse.manifest), {}};
}

FileStatus refreshManifest(const QString& dataPath, const QStringList& changedPaths)
{
    if (!QFileInfo::exists(manifestPath(dataPath)))
        return {};
    ManifestLoad load = loadManifest(dataPath);
    if (!load.manifest)
        return {load.error};
    Manifest& manifest = *load.manifest;
    for (const QString& path : changedPaths) {
        const QString name = fileNameOf(path);
        manifest.entries.removeIf([&name](const ManifestEntry& e) { return e.name == name; });
        if (!QFileInfo::exists(path))
            continue;
        QByteArray hex;
        if (const FileStatus hashed = sha256OfFile(path, hex); !hashed.ok())
            return hashed;
        manifest.entries.append({hex, name});
    }
    return replaceOrRemove(manifestPath(dataPath), manifestText(manifest));
}

QStringList checkManifest(const QString& dataPath, const Manifest& manifest)
{
    QStringList problems;
    const QString dataName = fileNameOf(dataPath);
    // Beside the data file, named as the data file's path names its folder.
    const QString folder = dataPath.left(dataPath.size() - dataName.size());
    if (!manifest.entry(dataName))
        problems << QStringLiteral("%1: not listed in %2")
                        .arg(shownName(dataPath), shownName(fileNameOf(manifestPath(dataPath))));
    for (const ManifestEntry& e : manifest.entries) {
        const QString path = folder + e.name;
        if (!QFileInfo::exists(path)) {
            problems << QStringLiteral("%1: missing (listed in the manifest)").arg(shownName(path));
            continue;
        }
        QByteArray hex;
        if (const FileStatus hashed = sha256OfFile(path, hex); !hashed.ok())
            problems << hashed.error;
        else if (hex != e.sha256)
            problems << QStringLiteral("%1: the SHA-256 differs from the manifest").arg(shownName(path));
    }
    for (const QString& suffix : keptFileSuffixes())
        if (QFileInfo::exists(dataPath + suffix) && !manifest.entry(dataName + suffix))
            problems << QStringLiteral("%1: not listed in the manifest").arg(shownName(dataPath + suffix));
    return problems;
}

} // namespace kirv
