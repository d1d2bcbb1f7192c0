#pragma once

// The version every program of the project prints with --version; it follows the project's
// version in the top CMakeLists.txt.
namespace kirv {

inline constexpr char VersionText[] = "7.0";

} // namespace kirv
