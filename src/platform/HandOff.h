#pragma once
// Files handed to the running copy: a second start that names files sends them over a
// local socket beside the single-instance lock, and the running checker checks them as if
// they had been dropped on it. Here: the socket's place and the message, without Qt.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SingleInstance.h"

namespace vellumo {

/// The socket beside the lock named `name`: SingleInstanceLockPath(name) + ".socket".
std::string HandOffSocketPath(std::string_view name = kSingleInstanceName);

/// The most a message may carry (far more than ten paths ever need): a receiver drops a
/// sender that goes beyond it.
inline constexpr size_t kMaxHandOffBytes = 256 * 1024;
/// What the receiver answers once it has taken the files.
inline constexpr std::string_view kHandOffAnswer = "ok\n";

/// The message for `paths` (absolute, as the sender's own folder means nothing to the
/// receiver): the line "VODA1 <byte count>", then each path followed by a NUL byte. Paths
/// that are empty or hold a NUL are left out; paths past kMaxHandOffBytes too.
std::string EncodeHandOff(const std::vector<std::string>& paths);

enum class HandOffStatus {
    Incomplete,  ///< more bytes to come
    Complete,    ///< `paths` holds the files
    Invalid,     ///< not a message of this program, or too long: drop the sender
};

struct HandOffMessage {
    HandOffStatus status = HandOffStatus::Incomplete;
    std::vector<std::string> paths;
};

/// Reads what a sender has sent so far.
HandOffMessage ParseHandOff(std::string_view received);

/// Whether the socket at `path` exists and belongs to this user, the only one it may hand
/// files to (in a shared temp folder another user could make a socket under that name).
bool HandOffSocketIsOurs(const std::string& path);

}  // namespace vellumo
