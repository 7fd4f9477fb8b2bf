#pragma once
// The settings file: window geometry and every option of the checker window, the viewer
// window and the settings dialog, in one INI file (beside the executable, or in the user's
// configuration folder: platform/ProgramFiles.h). Each window reads its values through one
// load operation and writes them through one save operation; the windows map these plain
// structs to their controls.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ProgramFiles.h"  // SettingsPathFor

namespace vellumo {

/// Section names of the settings file.
inline constexpr std::string_view kCheckerGeometrySection = "Fm_WH";
inline constexpr std::string_view kViewerGeometrySection = "Fm_WH2";
inline constexpr std::string_view kViewerStateSection = "Win";
inline constexpr std::string_view kDialogGeometrySection = "Fm_opt";
inline constexpr std::string_view kOptionsSection = "Options";

/// The full path of the running executable (from /proc/self/exe); empty when it cannot be
/// told. The windows may use their toolkit's own answer instead.
std::string CurrentExecutablePath();

/// Bits of `CheckerSettings::FontStyle`.
enum FontStyleBits : int32_t {
    kFontBold = 1,
    kFontItalic = 2,
    kFontUnderline = 4,
    kFontStrikeOut = 8,
};

/// A colour as red, green and blue, 0 to 255 each.
struct RgbColor {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RgbColor&) const = default;
};

/// The colour a `FontColor` text names: a standard colour name ("clBlack", "clRed",
/// "clNavy", ... the sixteen basic colours, "clMoneyGreen", "clSkyBlue", "clCream",
/// "clMedGray", and the system colours "clWindowText", "clWindow", "clBtnFace",
/// "clBtnText", "clInfoBk", "clInfoText", "clGrayText", "clHighlight", "clHighlightText"
/// with their usual values; names match without regard to case), or an integer (as
/// ParseProfileInteger reads it, usually "$00BBGGRR") whose low three bytes are red,
/// green, blue from the lowest up. Anything else is black.
RgbColor FontColorRgb(std::string_view text);
/// The text stored for a colour: the basic or extended standard colour name when the
/// colour is one of them, otherwise "$" and eight upper-case hexadecimal digits in the
/// order 00, blue, green, red ("$00CC8844").
std::string FontColorText(RgbColor color);

/// The checker window's values (sections `Fm_WH` and `Options`). The initial values are
/// the defaults of a missing file.
struct CheckerSettings {
    // Fm_WH: the window's frame in screen pixels.
    int32_t Top = 40;
    int32_t Left = 80;
    int32_t Width = 425;
    int32_t Height = 300;
    /// The checker's `LastFolder`: folder of the last file opened through its open dialog,
    /// without a trailing separator; also the default of the viewer's `F_Path2`.
    std::string F_Path;
    bool TopMost = false;   ///< "最前面に固定"
    bool Vellumo = true;    ///< "図面のチェック"
    bool DataPath = false;  ///< "Pathも表示"
    /// The folder, ending in a separator, searched first for Ghostscript. Never changed by
    /// the program; written back as read.
    std::string GsDir;
    int32_t FontStyle = 0;              ///< FontStyleBits; stored masked with 255
    std::string FontColor = "clBlack";  ///< see FontColorRgb / FontColorText
    std::string FontName = "ＭＳ ゴシック";
    int32_t FontSize = 9;  ///< points
    bool operator==(const CheckerSettings&) const = default;
};

/// The viewer window's values (sections `Win`, `Fm_WH2`, `Options`), and the dialog
/// values the viewer load also sets (`F_Path2`, `pdf_typ`, `mono_typ`, `UseGs`).
struct ViewerSettings {
    /// `Win` State: 0 normal, 1 minimized, 2 maximized.
    int32_t State = 0;
    // Fm_WH2: the window's normal frame in screen pixels.
    int32_t Top = 60;
    int32_t Left = 70;
    int32_t Width = 830;
    int32_t Height = 565;
    /// Frame around the image when printing on A3 ("B４図面のA３用紙印刷は枠を付ける").
    bool Waku = true;
    /// Ask before printing (the dialog's "印刷時に確認メッセージを表示しない" shows the inverse).
    bool PrtMs = true;
    /// The registered folder (the viewer's field and the dialog's folder field).
    std::string F_Path2;
    bool pdf_typ = true;   ///< PDF colour: true "モノクロ２値", false "24bitカラー"
    bool mono_typ = true;  ///< the dialog's " Ggray( 8bit)" choice (see SetJpegGray)
    bool UseGs = false;    ///< the dialog's "利用" check box (see UseGsFlag)
    /// Name of the current printer, written at close as a record; never read back.
    std::string PrinterName;
    bool operator==(const ViewerSettings&) const = default;
};

/// The settings dialog's values (sections `Fm_opt` and `Options`).
struct DialogSettings {
    // Fm_opt: the dialog's frame in screen pixels (before it keeps itself on screen).
    int32_t Top = 100;
    int32_t Left = 100;
    int32_t Width = 310;
    int32_t Height = 260;
    /// TIFF compression as the choice position: 0 " 非圧縮", 1 " LZW圧縮",
    /// 2 " ZIP（inTIFF） ", 3 " CCITT G3", 4 " CCITT G4"; -1 none (see ChoicePosition).
    int32_t tif_typ = 4;
    /// TIFF resolution as the position in "200", "300", "400", "600"; -1 none.
    int32_t tif_rez = 2;
    bool jpg_typ = true;  ///< " Color(24bit)" is on (see JpegChoiceFromKeys)
    /// JPEG quality as the position in "100", "90", "80", "70", "60"; -1 none.
    int32_t jpg_rez = 2;
    bool bmp_typ = true;  ///< Bitmap: true "24bitカラー", false "画像フォーマットによる"
    bool inidir = false;   ///< "ファイルの読込に登録フォルダーを指定する"
    bool pdf_typ = true;   ///< PDF colour: true "モノクロ２値", false "24bitカラー"
    bool mono_typ = true;  ///< " Ggray( 8bit)" is on (see JpegChoiceFromKeys)
    bool UseGs = false;    ///< "利用"
    /// The dialog's folder field. Written by the dialog save; the dialog load does not
    /// read it (the viewer load fills the field).
    std::string F_Path2;
    bool operator==(const DialogSettings&) const = default;
};

/// The two exclusive JPEG choices of the dialog, " Color(24bit)" and " Ggray( 8bit)".
/// Output is gray exactly when `gray` is on.
struct JpegChoice {
    bool color = true;
    bool gray = false;
    bool operator==(const JpegChoice&) const = default;
};
/// Turning one choice on turns the other off; turning one off turns nothing on (so both
/// may end up off).
void SetJpegColor(JpegChoice& choice, bool on);
void SetJpegGray(JpegChoice& choice, bool on);
/// The choice after the dialog load: " Color(24bit)" from `jpg_typ` (when false, the gray
/// choice is turned on instead), then " Ggray( 8bit)" from `mono_typ`. So gray is on
/// exactly when `mono_typ` is true; both false leaves neither on (output in colour). The
/// viewer load instead applies only SetJpegGray(current, mono_typ) to the dialog's
/// current choice.
JpegChoice JpegChoiceFromKeys(bool jpg_typ, bool mono_typ);

/// The dialog's 32-bit flag `UseGs` for the state of "利用": all bits set when on, 0 off.
inline int32_t UseGsFlag(bool checked) { return checked ? -1 : 0; }

/// A stored list or choice position for a list of `count` entries: the position itself
/// when it names an entry, otherwise -1 (no entry selected; a save then fails).
inline int32_t ChoicePosition(int32_t stored, int32_t count) {
    return stored >= 0 && stored < count ? stored : -1;
}

// The six operations. Loads never fail: a missing file, section or key, or a value that
// is not of the key's type gives the key's default. A geometry value that no screen can
// hold (a position beyond ±32767, a size above 16384 or below 0) also gives the default,
// and so do a `FontSize` outside 1 to 200 points and a `Win` State other than 0, 1, 2,
// so that a damaged file cannot make a window of absurd size.
//
// Saves read the file first and change only their own keys, so what other windows or
// other programs stored stays; each save writes the whole file at once (temporary file
// and rename) and throws Error "<path> に書き込めません" when it cannot, leaving the file on
// disk as it was.

/// Checker load, when the checker window is created.
CheckerSettings LoadCheckerSettings(const std::string& path);
/// Checker save, when the checker window closes: every CheckerSettings value, the
/// geometry whatever the window state. The caller shows "ネットワーク上で起動した？" on Error.
void SaveCheckerSettings(const std::string& path, const CheckerSettings& values);

/// Viewer load, at every show of the viewer. `lastFolder` is the checker's current
/// `LastFolder`, the default of `F_Path2`. `PrinterName` is left empty.
ViewerSettings LoadViewerSettings(const std::string& path, std::string_view lastFolder);
/// Viewer save (`SaveINI2`), at the viewer's close: `Win` State; then, only in the normal
/// state (0), a negative Top or Left in `values` is first set to 0 (the window applies it
/// to itself) and `Fm_WH2` is written; then `PrinterName`, `Waku`, `PrtMs`. `F_Path2`,
/// `pdf_typ`, `mono_typ` and `UseGs` are not written (the dialog owns them).
void SaveViewerSettings(const std::string& path, ViewerSettings& values);

/// Dialog load, when the settings dialog is shown on its own. `F_Path2` is left empty. A
/// stored `tif_typ`, `tif_rez` or `jpg_rez` outside its list gives -1 (no selection).
DialogSettings LoadDialogSettings(const std::string& path);
/// Dialog save, when the dialog shown on its own closes: every DialogSettings value,
/// `F_Path2` included.
void SaveDialogSettings(const std::string& path, const DialogSettings& values);

}  // namespace vellumo
