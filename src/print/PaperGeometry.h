#pragma once
// True-scale printing: the sheet's measures from the printer's figures, the coordinate
// system in tenths of a millimetre from the sheet's physical corner, and where the picture
// and its frame go on each paper of the print panel. Pure functions of plain numbers, so
// every placement is tested without a printer.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellumo {

/// The printer's own figures for the current sheet, as a printer driver reports them:
/// resolution in dots per inch, the whole sheet and the printable area's offset from the
/// sheet's corner, in printer pixels. All zero when there is no printer.
struct DeviceCaps {
    int32_t logPixelsX = 0;
    int32_t logPixelsY = 0;
    int32_t physicalWidth = 0;
    int32_t physicalHeight = 0;
    int32_t physicalOffsetX = 0;
    int32_t physicalOffsetY = 0;
};

/// The sheet in printer pixels and in tenths of a millimetre, with the printable area's
/// offset.
struct PaperScale {
    int32_t PaperWidth = 0;
    int32_t PaperHeight = 0;
    int32_t PaperWmm = 0;
    int32_t PaperHmm = 0;
    int32_t PaperLO = 0;
    int32_t PaperTO = 0;
};

/// The sheet's measures from the printer's figures: millimetres truncated toward zero
/// (a resolution of 0, no printer, gives 0).
PaperScale GetPaperScale(const DeviceCaps& caps);

/// The mapping from tenths of a millimetre, origin at the sheet's physical corner, to
/// printer pixels whose origin is the printable area's corner:
/// device = logical × scale + offset.
struct PageTransform {
    double scaleX = 0;
    double scaleY = 0;
    double offsetX = 0;
    double offsetY = 0;
};

/// Window extent (PaperWmm, PaperHmm) onto viewport extent (PaperWidth, PaperHeight), the
/// viewport origin at (−PaperLO, −PaperTO). A sheet of no size maps everything to 0.
PageTransform Scalling(const PaperScale& paper);

/// A rectangle in tenths of a millimetre (right and bottom are its far edges).
struct LogicalRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const LogicalRect&) const = default;
};

/// The papers of the print panel, in the order of its list.
enum class PaperChoice { A3 = 0, B4 = 1, A4 = 2, Custom = 3 };

struct PaperEntry {
    std::string_view text;  ///< the list entry
    int paperCode;          ///< the standard paper-size code set on the printer; 0: none
    bool landscape;         ///< landscape is set on the printer
};

/// "A3（横）" 8, "B4（横）" 12 (JIS B4), "A4（横）" 9, "任意用紙" (chosen in the setup dialog).
extern const std::array<PaperEntry, 4> kPaperEntries;

/// The paper at a position of the list; nothing for any other position (typed text).
std::optional<PaperChoice> PaperAt(int position);

/// Pen width of the frame around the picture on A3: 0.2 mm.
inline constexpr int32_t kFramePenWidth = 2;

/// What one sheet gets: the picture's rectangle and, on A3 with the frame on, the frame's.
struct PrintLayout {
    LogicalRect placement;
    std::optional<LogicalRect> frame;
};

/// The placement of a picture `imageWidth` × `imageHeight` pixels on `paper`:
/// A3 at 36 mm from the left and 20 mm from the top, 364 mm wide; any other paper the
/// sheet's full width from its corner; the height in proportion, rounded half to even.
/// The frame (A3 with `waku` only) lies just outside: 0.2 mm left, top and right, and
/// 0.3 mm below for a B4 drawing. A picture of no width gets a rectangle of no height.
PrintLayout LayOutPicture(PaperChoice paper, bool waku, uint32_t imageWidth, uint32_t imageHeight,
                          const PaperScale& sheet);

/// The job's copy count: the copies asked for (1 to 3) when the printer makes copies itself,
/// else 1.
int JobCopies(int copiesAsked, bool printerMakesCopies);

/// The job title: the file name of the viewed file without its folder ("" for none).
std::string JobTitle(std::string_view viewedFile);

/// "ＯＫボタンを押すと直ちに印刷します。準備はよろしいですか？" + two line breaks +
/// "　出力先 ：［" + printer + "］" (line breaks as LF).
std::string PrintConfirmationText(std::string_view printer);

/// The status line after a printer has been chosen: "　出力先（プリンター）　： " + printer.
std::string PrinterStatusText(std::string_view printer);

/// The message when no printer is installed.
extern const char* const kNoPrinterText;

/// The name of the preset printer, current at start when it is installed.
extern const char* const kPresetPrinterName;

}  // namespace vellumo
