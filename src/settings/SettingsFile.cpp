#include "settings/SettingsFile.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <optional>
#include <span>

#include "platform/ProfileIni.h"
#include "platform/ProgramFiles.h"

namespace vellumo {

namespace {

// Bounds that keep a damaged file from asking a window for an absurd frame.
constexpr int32_t kMaxScreenPosition = 32767;
constexpr int32_t kMaxWindowSide = 16384;
constexpr int32_t kMaxFontPoints = 200;

int32_t ReadPosition(const ProfileIni& ini, std::string_view section, std::string_view key,
                     int32_t def) {
    const int32_t v = ini.ReadInteger(section, key, def);
    return v >= -kMaxScreenPosition && v <= kMaxScreenPosition ? v : def;
}

int32_t ReadSide(const ProfileIni& ini, std::string_view section, std::string_view key,
                 int32_t def) {
    const int32_t v = ini.ReadInteger(section, key, def);
    return v >= 0 && v <= kMaxWindowSide ? v : def;
}

struct Frame {
    int32_t& top;
    int32_t& left;
    int32_t& width;
    int32_t& height;
};

void ReadFrame(const ProfileIni& ini, std::string_view section, Frame f) {
    f.top = ReadPosition(ini, section, "Top", f.top);
    f.left = ReadPosition(ini, section, "Left", f.left);
    f.width = ReadSide(ini, section, "Width", f.width);
    f.height = ReadSide(ini, section, "Height", f.height);
}

void WriteFrame(ProfileIni& ini, std::string_view section, int32_t top, int32_t left, int32_t width,
                int32_t height) {
    ini.WriteInteger(section, "Top", top);
    ini.WriteInteger(section, "Left", left);
    ini.WriteInteger(section, "Width", width);
    ini.WriteInteger(section, "Height", height);
}

struct NamedColor {
    std::string_view name;
    uint32_t bgr;  // 0x00BBGGRR
};

// The standard names the text is written with; the order decides which name a colour
// gets when two share a value (none do).
constexpr std::array<NamedColor, 20> kStandardColors{{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080},     {"clGreen", 0x008000},
    {"clOlive", 0x008080}, {"clNavy", 0x800000},       {"clPurple", 0x800080},
    {"clTeal", 0x808000},  {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},   {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
}};

// System colours a file may name; read only, never written.
constexpr std::array<NamedColor, 9> kSystemColors{{
    {"clWindowText", 0x000000},
    {"clWindow", 0xFFFFFF},
    {"clBtnFace", 0xF0F0F0},
    {"clBtnText", 0x000000},
    {"clInfoBk", 0xE1FFFF},
    {"clInfoText", 0x000000},
    {"clGrayText", 0x6D6D6D},
    {"clHighlight", 0xD77800},
    {"clHighlightText", 0xFFFFFF},
}};

bool SameAsciiName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

RgbColor FromBgr(uint32_t bgr) {
    return {static_cast<uint8_t>(bgr & 0xFF), static_cast<uint8_t>((bgr >> 8) & 0xFF),
            static_cast<uint8_t>((bgr >> 16) & 0xFF)};
}

// The user's configuration folder may not exist yet (first run), or a cleaner removed it.
void Store(const ProfileIni& ini) {
    const auto slash = ini.Path().rfind('/');
    if (slash != std::string::npos && slash > 0) EnsureFolder(ini.Path().substr(0, slash));
    ini.Flush();
}

}  // namespace

std::string CurrentExecutablePath() {
    std::string buffer(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

RgbColor FontColorRgb(std::string_view text) {
    for (const auto& table : {std::span<const NamedColor>(kStandardColors),
                              std::span<const NamedColor>(kSystemColors)}) {
        for (const NamedColor& c : table) {
            if (SameAsciiName(c.name, text)) return FromBgr(c.bgr);
        }
    }
    const std::optional<int32_t> value = ParseProfileInteger(text);
    if (!value) return {};
    return FromBgr(static_cast<uint32_t>(*value));
}

std::string FontColorText(RgbColor color) {
    const uint32_t bgr = static_cast<uint32_t>(color.r) | (static_cast<uint32_t>(color.g) << 8) |
                         (static_cast<uint32_t>(color.b) << 16);
    for (const NamedColor& c : kStandardColors) {
        if (c.bgr == bgr) return std::string(c.name);
    }
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(bgr));
    return text;
}

void SetJpegColor(JpegChoice& choice, bool on) {
    choice.color = on;
    if (on) choice.gray = false;
}

void SetJpegGray(JpegChoice& choice, bool on) {
    choice.gray = on;
    if (on) choice.color = false;
}

JpegChoice JpegChoiceFromKeys(bool jpg_typ, bool mono_typ) {
    JpegChoice choice;
    if (jpg_typ) {
        SetJpegColor(choice, true);
    } else {
        SetJpegGray(choice, true);
    }
    SetJpegGray(choice, mono_typ);
    return choice;
}

CheckerSettings LoadCheckerSettings(const std::string& path) {
    const ProfileIni ini = ProfileIni::Load(path);
    CheckerSettings v;
    ReadFrame(ini, kCheckerGeometrySection, {v.Top, v.Left, v.Width, v.Height});
    const std::string_view o = kOptionsSection;
    v.F_Path = ini.ReadString(o, "F_Path", v.F_Path);
    v.TopMost = ini.ReadBool(o, "TopMost", v.TopMost);
    v.Vellumo = ini.ReadBool(o, "Vellumo", v.Vellumo);
    v.DataPath = ini.ReadBool(o, "DataPath", v.DataPath);
    v.GsDir = ini.ReadString(o, "GsDir", v.GsDir);
    v.FontStyle = ini.ReadInteger(o, "FontStyle", v.FontStyle) & 255;
    v.FontColor = ini.ReadString(o, "FontColor", v.FontColor);
    v.FontName = ini.ReadString(o, "FontName", v.FontName);
    const int32_t size = ini.ReadInteger(o, "FontSize", v.FontSize);
    if (size >= 1 && size <= kMaxFontPoints) v.FontSize = size;
    return v;
}

void SaveCheckerSettings(const std::string& path, const CheckerSettings& v) {
    ProfileIni ini = ProfileIni::Load(path);
    WriteFrame(ini, kCheckerGeometrySection, v.Top, v.Left, v.Width, v.Height);
    const std::string_view o = kOptionsSection;
    ini.WriteString(o, "F_Path", v.F_Path);
    ini.WriteBool(o, "TopMost", v.TopMost);
    ini.WriteBool(o, "Vellumo", v.Vellumo);
    ini.WriteBool(o, "DataPath", v.DataPath);
    ini.WriteString(o, "GsDir", v.GsDir);
    ini.WriteInteger(o, "FontStyle", v.FontStyle & 255);
    ini.WriteString(o, "FontColor", v.FontColor);
    ini.WriteString(o, "FontName", v.FontName);
    ini.WriteInteger(o, "FontSize", v.FontSize);
    Store(ini);
}

ViewerSettings LoadViewerSettings(const std::string& path, std::string_view lastFolder) {
    const ProfileIni ini = ProfileIni::Load(path);
    ViewerSettings v;
    ReadFrame(ini, kViewerGeometrySection, {v.Top, v.Left, v.Width, v.Height});
    const int32_t state = ini.ReadInteger(kViewerStateSection, "State", v.State);
    if (state >= 0 && state <= 2) v.State = state;
    const std::string_view o = kOptionsSection;
    v.Waku = ini.ReadBool(o, "Waku", v.Waku);
    v.PrtMs = ini.ReadBool(o, "PrtMs", v.PrtMs);
    v.F_Path2 = ini.ReadString(o, "F_Path2", lastFolder);
    v.pdf_typ = ini.ReadBool(o, "pdf_typ", v.pdf_typ);
    v.mono_typ = ini.ReadBool(o, "mono_typ", v.mono_typ);
    v.UseGs = ini.ReadBool(o, "UseGs", v.UseGs);
    return v;
}

void SaveViewerSettings(const std::string& path, ViewerSettings& v) {
    ProfileIni ini = ProfileIni::Load(path);
    ini.WriteInteger(kViewerStateSection, "State", v.State);
    if (v.State == 0) {
        if (v.Top < 0) v.Top = 0;
        if (v.Left < 0) v.Left = 0;
        WriteFrame(ini, kViewerGeometrySection, v.Top, v.Left, v.Width, v.Height);
    }
    const std::string_view o = kOptionsSection;
    ini.WriteString(o, "PrinterName", v.PrinterName);
    ini.WriteBool(o, "Waku", v.Waku);
    ini.WriteBool(o, "PrtMs", v.PrtMs);
    Store(ini);
}

DialogSettings LoadDialogSettings(const std::string& path) {
    const ProfileIni ini = ProfileIni::Load(path);
    DialogSettings v;
    ReadFrame(ini, kDialogGeometrySection, {v.Top, v.Left, v.Width, v.Height});
    const std::string_view o = kOptionsSection;
    v.tif_typ = ChoicePosition(ini.ReadInteger(o, "tif_typ", v.tif_typ), 5);
    v.tif_rez = ChoicePosition(ini.ReadInteger(o, "tif_rez", v.tif_rez), 4);
    v.jpg_typ = ini.ReadBool(o, "jpg_typ", v.jpg_typ);
    v.jpg_rez = ChoicePosition(ini.ReadInteger(o, "jpg_rez", v.jpg_rez), 5);
    v.bmp_typ = ini.ReadBool(o, "bmp_typ", v.bmp_typ);
    v.inidir = ini.ReadBool(o, "inidir", v.inidir);
    v.pdf_typ = ini.ReadBool(o, "pdf_typ", v.pdf_typ);
    v.mono_typ = ini.ReadBool(o, "mono_typ", v.mono_typ);
    v.UseGs = ini.ReadBool(o, "UseGs", v.UseGs);
    return v;
}

void SaveDialogSettings(const std::string& path, const DialogSettings& v) {
    ProfileIni ini = ProfileIni::Load(path);
    WriteFrame(ini, kDialogGeometrySection, v.Top, v.Left, v.Width, v.Height);
    const std::string_view o = kOptionsSection;
    ini.WriteInteger(o, "tif_typ", v.tif_typ);
    ini.WriteInteger(o, "tif_rez", v.tif_rez);
    ini.WriteBool(o, "jpg_typ", v.jpg_typ);
    ini.WriteInteger(o, "jpg_rez", v.jpg_rez);
    ini.WriteBool(o, "bmp_typ", v.bmp_typ);
    ini.WriteBool(o, "pdf_typ", v.pdf_typ);
    ini.WriteBool(o, "mono_typ", v.mono_typ);
    ini.WriteBool(o, "inidir", v.inidir);
    ini.WriteString(o, "F_Path2", v.F_Path2);
    ini.WriteBool(o, "UseGs", v.UseGs);
    Store(ini);
}

}  // namespace vellumo
