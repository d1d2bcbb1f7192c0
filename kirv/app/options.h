#pragma once

#include "kirv/version.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kirv {

// The command line of kirv.
struct Options
{
    QStringList ports;   // --port DEV, repeatable: the first entries of the port table
    bool simulate = false; // --simulate: a virtual meter on a pseudo-terminal, as port 1
    QString com;         // --com NAME: choose the port without showing the port window
    bool unpaced = false; // --unpaced: the virtual meter sends as fast as it can
    QStringList files;   // FILE...: data files opened into their views once the panel is up
};

// Parses the arguments (program name first). On a bad command line returns nothing and sets
// `message` to what to print; --help and --version also return nothing, with their text.
// Needs no application object, so it can run before the window system is touched.
std::optional<Options> parseOptions(const QStringList& arguments, QString* message, bool* isError);

} // namespace kirv
