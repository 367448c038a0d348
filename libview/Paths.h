// Paths and texts between the library frame's widgets and the comparison.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace libview {

// A path as the user would write it: without "dir/.." parts. Only for showing: files are opened
// by the path as the system resolves it (a symbolic link followed by ".." is not the same folder).
inline QString PathQ(const std::filesystem::path& p) { return QString::fromStdString(p.lexically_normal().string()); }
inline std::filesystem::path QPath(const QString& s) { return std::filesystem::path(s.toStdString()); }
// The folder part of a path, with its trailing separator.
inline std::filesystem::path FolderOf(const std::filesystem::path& p) { return p.parent_path() / ""; }
inline QString Utf8(const std::string& s) { return QString::fromStdString(s); }

}  // namespace libview
