#pragma once
// The private-profile (INI) file of the settings: sections in square brackets, key=value
// lines, read and written with the semantics of the Windows profile functions, in UTF-8.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

/// The longest string value a read returns, in UTF-16 code units as the Windows profile
/// functions count them (a 2048-unit buffer less its terminating zero). A character
/// outside the Basic Multilingual Plane counts two and is never cut in half.
inline constexpr size_t kMaxProfileValueUnits = 2047;

/// How much of a file is read: a longer file is read up to its last line break within
/// this many bytes, the rest ignored (and dropped by a later Flush).
inline constexpr size_t kMaxProfileFileBytes = 1 << 20;

/// An integer value as the settings read it: optional blanks, an optional sign, then
/// decimal digits, or hexadecimal digits after "0x", "0X" or "$". Nothing may follow.
/// Decimal must fit a 32-bit signed integer; hexadecimal may use all 32 bits and wraps
/// ("$FFFFFFFF" is -1). Returns nothing for anything else ("", "abc", "12abc", "1.5",
/// "99999999999").
std::optional<int32_t> ParseProfileInteger(std::string_view text);

/// One INI file held in memory. Loading never fails: a missing, unreadable, binary or
/// garbage file reads as empty, so every read gives its default. Writes change the copy in
/// memory; Flush writes the whole file at once through a temporary file and a rename, so
/// a crash or a failed write never leaves half a file or loses the file that was there.
///
/// Matching follows the Windows profile functions:
/// - section and key names match without regard to ASCII letter case, with blanks around
///   them ignored; when a section or key occurs twice, the first one counts;
/// - a value is the text after the first "=", with leading and trailing blanks (space,
///   tab) removed, then one pair of matching quotes (" or ') around the whole value;
/// - a value ends at an embedded NUL byte;
/// - lines that are neither a section, nor a key=value line (comments starting with ";",
///   blank lines, garbage) are kept as they are and never match a key.
/// Everything the program does not write (unknown sections, keys, comments) is written
/// back unchanged and in its order. A UTF-8 byte order mark is skipped and kept; CR LF
/// line ends are kept when the file used them, otherwise LF is written. A file that is not
/// valid UTF-8 is read as CP932 (the file of the Windows program) and written back as
/// UTF-8; one that is not valid CP932 either is passed through byte for byte.
class ProfileIni {
  public:
    /// An empty profile that Flush writes to `path`.
    explicit ProfileIni(std::string path);

    /// Reads the file at `path` (at most kMaxProfileFileBytes of it). Never throws for a
    /// bad or missing file.
    static ProfileIni Load(const std::string& path);
    /// A profile parsed from `text` that Flush writes to `path` (tests and tools).
    static ProfileIni FromText(std::string path, std::string_view text);

    const std::string& Path() const { return path_; }

    /// Whether the section holds the key (with any value, also an empty one).
    bool HasKey(std::string_view section, std::string_view key) const;

    /// The key's value (see the class comment), cut to kMaxProfileValueUnits; `def` when
    /// the section or key is missing. A key present with an empty value gives "".
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    /// The key's value parsed by ParseProfileInteger; `def` when missing or not an integer.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    /// ReadInteger with `def` as 0 or 1: any non-zero integer is true, zero false; `def`
    /// when missing or not an integer.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    /// Sets the key's value in memory. An existing key keeps its line's place and its
    /// spelling; a new key goes after the last key line of the section; a new section is
    /// appended at the end of the file. The value is stored up to its first CR, LF or NUL
    /// (the format has no way to hold a line break). A value that a read would change
    /// (leading or trailing blanks, or quotes around it) is written inside double quotes so
    /// that it reads back exactly. `section` and `key` must not be empty nor contain
    /// "]", "=", CR or LF (the program's names are fixed).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    /// Writes the value in decimal.
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    /// Writes "1" for true and "0" for false.
    void WriteBool(std::string_view section, std::string_view key, bool value);

    /// The file's text as Flush would write it.
    std::string Text() const;

    /// Writes Text() to Path() through a temporary file in the same folder and a rename
    /// (when Path() is a symbolic link, in the folder of the file it names, which gets the
    /// new text; the link stays).
    /// Throws Error "<path> に書き込めません" when the file cannot be written (read-only or
    /// missing folder, a read-only file, full disk); the file on disk is then unchanged.
    void Flush() const;

  private:
    struct Line {
        std::string text;  ///< the line as stored, without its line end
        std::string key;   ///< key name with blanks trimmed; empty for a non-key line
    };
    struct Section {
        std::string name;  ///< trimmed name; empty for the lines before the first section
        bool hasHeader = false;
        std::string header;  ///< the "[...]" line as stored
        std::vector<Line> lines;
    };

    void Parse(std::string_view text);
    const Line* Find(std::string_view section, std::string_view key) const;

    std::string path_;
    std::vector<Section> sections_;
    bool bom_ = false;
    bool crlf_ = false;
};

}  // namespace vellumo
