#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kirv {

/// A file name as the system gives it (bytes, meant as UTF-8), held in a QString without loss:
/// a byte that is no part of a UTF-8 character stands as the lone surrogate U+DC80 + (byte - 0x80),
/// so a local 8-bit name ("caf\xe9.kirv") opens as it is instead of turning into another name.
QString nameFromNative(QByteArrayView bytes);
/// The bytes of a name for the system: the inverse of nameFromNative().
QByteArray nativeName(const QString& name);
/// The name as a text to show or to write into an output: each escaped byte becomes U+FFFD.
QString shownName(const QString& name);
/// The program's arguments as names, each by nameFromNative().
QStringList nativeArguments(int argc, char* argv[]);

} // namespace kirv
