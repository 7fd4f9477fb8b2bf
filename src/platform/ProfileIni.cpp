#include "platform/ProfileIni.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/TextEncoding.h"

namespace vellumo {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// At most kMaxProfileFileBytes of a regular file; empty for anything else. O_NONBLOCK keeps
// a FIFO planted under the settings name from blocking the start-up.
std::string ReadCapped(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string bytes;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.resize(kMaxProfileFileBytes + 1);
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
        if (got > kMaxProfileFileBytes) {
            // Keep whole lines only, so a cut never invents a shortened value.
            bytes.resize(kMaxProfileFileBytes);
            const auto lastBreak = bytes.find_last_of("\r\n");
            bytes.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
        }
    }
    close(fd);
    return bytes;
}

// The value as GetPrivateProfileString hands it out, before the length cap.
std::string_view ValueOf(std::string_view line) {
    const auto eq = line.find('=');
    std::string_view value = line.substr(eq + 1);
    const auto nul = value.find('\0');
    if (nul != std::string_view::npos) value = value.substr(0, nul);
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Cuts to kMaxProfileValueUnits UTF-16 units without splitting a character. A byte that
// does not start a valid sequence counts as one unit on its own.
std::string CutToUnits(std::string_view s) {
    size_t units = 0;
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t len = 1;
        size_t charUnits = 1;
        if (c >= 0xC0 && c < 0xE0) {
            len = 2;
        } else if (c >= 0xE0 && c < 0xF0) {
            len = 3;
        } else if (c >= 0xF0 && c < 0xF8) {
            len = 4;
            charUnits = 2;
        }
        bool valid = i + len <= s.size();
        for (size_t k = 1; valid && k < len; ++k) {
            valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            len = 1;
            charUnits = 1;
        }
        if (units + charUnits > kMaxProfileValueUnits) break;
        units += charUnits;
        i += len;
    }
    return std::string(s.substr(0, i));
}

// The stored form of a value that must read back as `value` (already cut at line breaks).
std::string Encoded(std::string_view value) {
    const bool changedByRead =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                           (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                            value.back() == value.front()));
    if (!changedByRead) return std::string(value);
    return "\"" + std::string(value) + "\"";
}

std::string KeyOfLine(std::string_view line) {
    const std::string_view lead = Trim(line);
    if (lead.empty() || lead.front() == ';' || lead.front() == '[') return {};
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return std::string(Trim(line.substr(0, eq)));
}

}  // namespace

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (!text.empty() && text.front() == '$') {
        hex = true;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        const auto bits = static_cast<uint32_t>(value);
        const auto wrapped = static_cast<int32_t>(bits);
        // Negating INT32_MIN wraps to itself, as the 32-bit arithmetic it mirrors does.
        return negative ? static_cast<int32_t>(0u - bits) : wrapped;
    }
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<int32_t>(-static_cast<int64_t>(value));
    }
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<int32_t>(value);
}

ProfileIni::ProfileIni(std::string path) : path_(std::move(path)) { sections_.emplace_back(); }

ProfileIni ProfileIni::Load(const std::string& path) {
    const std::string bytes = ReadCapped(path);
    // The Windows program wrote its file in the system code page; read so, it is written
    // back as UTF-8 by the next Flush.
    if (!IsValidUtf8(bytes)) {
        if (std::optional<std::string> converted = Cp932ToUtf8(bytes)) {
            return FromText(path, *converted);
        }
    }
    return FromText(path, bytes);
}

ProfileIni ProfileIni::FromText(std::string path, std::string_view text) {
    ProfileIni ini(std::move(path));
    ini.Parse(text);
    return ini;
}

void ProfileIni::Parse(std::string_view text) {
    if (text.starts_with(kBom)) {
        bom_ = true;
        text.remove_prefix(kBom.size());
    }
    bool firstBreak = true;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            size_t breakLen = 1;
            const bool isCrlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            if (isCrlf) breakLen = 2;
            if (firstBreak) crlf_ = isCrlf;
            firstBreak = false;
            text.remove_prefix(end + breakLen);
        }
        const std::string_view lead = Trim(line);
        const auto close = lead.rfind(']');
        if (lead.starts_with('[') && close != std::string_view::npos) {
            Section section;
            section.name = std::string(Trim(lead.substr(1, close - 1)));
            section.hasHeader = true;
            section.header = std::string(line);
            sections_.push_back(std::move(section));
            continue;
        }
        sections_.back().lines.push_back({std::string(line), KeyOfLine(line)});
    }
}

const ProfileIni::Line* ProfileIni::Find(std::string_view section, std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    for (const Section& s : sections_) {
        if (!s.hasHeader || !SameName(s.name, section)) continue;
        // Only the first section of that name counts, as with the Windows functions.
        for (const Line& line : s.lines) {
            if (!line.key.empty() && SameName(line.key, key)) return &line;
        }
        return nullptr;
    }
    return nullptr;
}

bool ProfileIni::HasKey(std::string_view section, std::string_view key) const {
    return Find(section, key) != nullptr;
}

std::string ProfileIni::ReadString(std::string_view section, std::string_view key,
                                   std::string_view def) const {
    const Line* line = Find(section, key);
    if (!line) return std::string(def);
    return CutToUnits(ValueOf(line->text));
}

int32_t ProfileIni::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const Line* line = Find(section, key);
    if (!line) return def;
    return ParseProfileInteger(CutToUnits(ValueOf(line->text))).value_or(def);
}

bool ProfileIni::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void ProfileIni::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    const auto lineBreak = value.find_first_of(std::string_view("\r\n\0", 3));
    const std::string stored = Encoded(value.substr(0, lineBreak));

    Section* target = nullptr;
    for (Section& s : sections_) {
        if (s.hasHeader && SameName(s.name, section)) {
            target = &s;
            break;
        }
    }
    if (!target) {
        // A blank line between sections, as the Windows functions write them.
        Section& last = sections_.back();
        const bool fileEmpty = sections_.size() == 1 && last.lines.empty();
        if (!fileEmpty &&
            !(last.lines.empty() ? !last.hasHeader : Trim(last.lines.back().text).empty())) {
            last.lines.push_back({"", ""});
        }
        Section added;
        added.name = std::string(section);
        added.hasHeader = true;
        added.header = "[" + std::string(section) + "]";
        sections_.push_back(std::move(added));
        target = &sections_.back();
    }
    size_t insertAt = 0;
    for (size_t i = 0; i < target->lines.size(); ++i) {
        Line& line = target->lines[i];
        if (line.key.empty()) continue;
        if (SameName(line.key, key)) {
            const auto eq = line.text.find('=');
            line.text = line.text.substr(0, eq + 1) + stored;
            return;
        }
        insertAt = i + 1;
    }
    target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                         {std::string(key) + "=" + stored, std::string(key)});
}

void ProfileIni::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void ProfileIni::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string ProfileIni::Text() const {
    const std::string_view eol = crlf_ ? "\r\n" : "\n";
    std::string text;
    if (bom_) text += kBom;
    for (const Section& s : sections_) {
        if (s.hasHeader) {
            text += s.header;
            text += eol;
        }
        for (const Line& line : s.lines) {
            text += line.text;
            text += eol;
        }
    }
    return text;
}

void ProfileIni::Flush() const {
    // The rename would replace a file the user made read-only; the Windows functions
    // refuse to write it, and so does this.
    if (access(path_.c_str(), F_OK) == 0 && access(path_.c_str(), W_OK) != 0) {
        throw Error(path_ + " に書き込めません");
    }
    try {
        WriteFileAtomically(path_, Text());
    } catch (const Error&) {
        throw Error(path_ + " に書き込めません");
    }
}

}  // namespace vellumo
