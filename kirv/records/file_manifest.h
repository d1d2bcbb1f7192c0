#pragma once

#include "kirv/base/filestatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kirv {

/// The manifest beside a data file: "name.kirv" keeps the SHA-256 of itself and of the files
/// kept with it in "name.kirv.sha256", in the form `sha256sum -c` checks: one
/// "<64 hex digits>  <file name>" line a file, names relative to the folder, and comment lines
/// starting with "#" that the program reads back (which logger set a raw image holds).
QString manifestPath(const QString& dataPath);

/// The files kept beside a data file that the manifest covers once they exist: masks, session
/// details, amendment log and the raw logger image ("name.kirv" + each suffix).
QStringList keptFileSuffixes();

struct ManifestEntry
{
    QByteArray sha256; // 64 lower-case hexadecimal digits
    QString name;      // a plain file name in the data file's folder

    friend bool operator==(const ManifestEntry&, const ManifestEntry&) = default;
};

struct Manifest
{
    QStringList comments; // without the "#" and the blank after it
    QList<ManifestEntry> entries;

    const ManifestEntry* entry(const QString& name) const;
    friend bool operator==(const Manifest&, const Manifest&) = default;
};

QByteArray manifestText(const Manifest& manifest);
/// The manifest of a text, or the reason it is none ("line 2: ..."); names holding a folder
/// ("../x", "/etc/x") are refused, so a manifest only ever speaks of its own folder.
struct ManifestParse
{
    std::optional<Manifest> manifest;
    QString error;
};
ManifestParse parseManifest(QByteArrayView text);

/// Writes the manifest of the data file and of every kept file beside it that exists now, with
/// `comments` first; whole or not at all. The status names the file that could not be read or
/// written.
FileStatus writeManifest(const QString& dataPath, const QStringList& comments = {});

/// After a kept file changed through the program: the manifest's lines of `changedPaths` are
/// hashed anew (a file that is gone loses its line), the other lines stay as they were, so a
/// change made outside the program is still found. Nothing is written when the data file has no
/// manifest.
FileStatus refreshManifest(const QString& dataPath, const QStringList& changedPaths);

/// The manifest beside `dataPath` as read, or why it cannot be used.
struct ManifestLoad
{
    std::optional<Manifest> manifest;
    QString error;
};
ManifestLoad loadManifest(const QString& dataPath);

/// What differs between the files and their manifest, one text a problem naming the file: a
/// hash that differs, a listed file that is missing, a kept file the manifest does not list, a
/// data file without a manifest. Empty when everything matches.
QStringList checkManifest(const QString& dataPath, const Manifest& manifest);

} // namespace kirv
