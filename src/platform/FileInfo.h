#pragma once
// File facts the report shows: size and last-write time in the report's own formats.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo {

/// `name` in `folder`: the folder ("." when empty) and a separator unless it ends in one.
/// The program's own files ("Tmp.png", "tmp.tif") are placed with it.
std::string FileInFolder(const std::string& folder, std::string_view name);

/// `path` made absolute against the working folder and without "." and ".." steps, as a
/// file manager hands paths over; an absolute path only loses those steps. The working
/// folder is taken as it is when it cannot be found.
std::string AbsolutePath(const std::string& path);

/// Size in bytes of the regular file at `path` as the directory lists it; nothing when it
/// cannot be listed.
std::optional<uint64_t> FileSizeOf(const std::string& path);

/// A last-write time as a DOS file time keeps it: local time with the seconds taken down
/// to an even number.
std::tm DosLocalTime(std::time_t t);

/// The Japanese short date and long time, "2021/02/26 9:05:04", at DOS resolution; a time
/// of exactly midnight is the date alone ("2021/02/26"). Used on every locale.
std::string FormatDosDateTime(std::time_t t);

}  // namespace vellumo
