#pragma once
// How the command-line programs show a path: readable, on one line, and safe on a terminal.

#include <string>
#include <string_view>

namespace vellumo {

/// The path as text, one component at a time: a component in valid UTF-8 stays as it is;
/// one that is not (a Shift-JIS name from a ZIP archive made on Windows) is decoded as
/// CP932 when it decodes cleanly, else its invalid bytes are written "\xNN". Then control
/// characters (C0, DEL, C1) and the characters that reorder or break lines (U+2028,
/// U+2029, the bidirectional controls) are written "\xNN" or "\uNNNN", so no name can start
/// a line of its own or send escape sequences to a terminal.
std::string DisplayPath(std::string_view path);

/// `text` with every occurrence of `path`, and of its file name, shown by DisplayPath, then
/// on one line: each line break (CR LF, CR or LF) joined with a blank unless one is already
/// there, and any control character left written as above. For the error texts that name
/// a path.
std::string DisplayMessage(std::string_view text, std::string_view path);

/// A command-line program's error line: "PROGRAM: PATH: MESSAGE" and a line feed, the path
/// shown by DisplayPath and the message by DisplayMessage, so that every fault is one line
/// that can be found by program and path. Without a path: "PROGRAM: MESSAGE".
std::string ErrorLine(std::string_view program, std::string_view path, std::string_view message);

/// Base64 (RFC 4648, with padding) of the bytes: the lossless form of a path for JSON.
std::string Base64(std::string_view bytes);

}  // namespace vellumo
