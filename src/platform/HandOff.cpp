#include "platform/HandOff.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>

namespace vellumo {

namespace {

constexpr std::string_view kMagic = "VODA1 ";
// "VODA1 " and at most seven digits and the line end.
constexpr size_t kMaxHeaderBytes = 16;

}  // namespace

std::string HandOffSocketPath(std::string_view name) {
    return SingleInstanceLockPath(name) + ".socket";
}

std::string EncodeHandOff(const std::vector<std::string>& paths) {
    std::string payload;
    for (const std::string& p : paths) {
        if (p.empty() || p.find('\0') != std::string::npos) continue;
        if (payload.size() + p.size() + 1 > kMaxHandOffBytes) break;
        payload += p;
        payload += '\0';
    }
    return std::string(kMagic) + std::to_string(payload.size()) + "\n" + payload;
}

HandOffMessage ParseHandOff(std::string_view received) {
    HandOffMessage message;
    const std::string_view magic = received.substr(0, kMagic.size());
    if (magic != kMagic.substr(0, magic.size())) {
        message.status = HandOffStatus::Invalid;
        return message;
    }
    const auto lineEnd = received.find('\n');
    if (lineEnd == std::string_view::npos) {
        if (received.size() > kMaxHeaderBytes) message.status = HandOffStatus::Invalid;
        return message;
    }
    const std::string_view digits = received.substr(kMagic.size(), lineEnd - kMagic.size());
    size_t length = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        length > kMaxHandOffBytes) {
        message.status = HandOffStatus::Invalid;
        return message;
    }
    const std::string_view payload = received.substr(lineEnd + 1);
    if (payload.size() < length) return message;
    if (payload.size() > length || (length > 0 && payload.back() != '\0')) {
        message.status = HandOffStatus::Invalid;
        return message;
    }
    size_t start = 0;
    while (start < length) {
        const size_t nul = payload.find('\0', start);
        if (nul > start) message.paths.emplace_back(payload.substr(start, nul - start));
        start = nul + 1;
    }
    message.status = HandOffStatus::Complete;
    return message;
}

bool HandOffSocketIsOurs(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == geteuid();
}

}  // namespace vellumo
