#pragma once
// The save command without its dialogs: which file type a chosen name means, how the viewed
// picture is prepared for each type, which writer gets it, and what the user is told.
// The viewer's save command and vellumo-convert both go through here.

#include <optional>
#include <string>

#include "platform/Bitmap.h"
#include "platform/Error.h"
#include "save/TiffWriter.h"
#include "save/WriteProgress.h"

namespace vellumo {

enum class SaveType { Tiff, Jpeg, Bmp, Png };

/// The choices of the settings dialog that a save uses, as plain values.
struct SaveOptions {
    /// The compression list's position (0 when nothing is chosen).
    TiffCompression compression = TiffCompression::None;
    /// The TIFF resolution list's value, dots per inch (200, 300, 400 or 600 there).
    double dpi = 400;
    /// The JPEG quality list's value (100, 90, 80, 70 or 60 there); 0 stands for an empty
    /// entry and makes the JPEG save fail.
    int jpegQuality = 80;
    /// " Ggray( 8bit)" chosen: one grayscale component.
    bool jpegGray = false;
};

/// How the viewer shows a failed save.
enum class FailureDisplay {
    ErrorBox,    ///< the application's error box (TIFF, JPEG)
    MessageBox,  ///< a plain message box (BMP, PNG)
};

/// A failed save: what() is the text the user sees; Detail() the writer's own message
/// (the reason, for a terminal; the viewer does not show it).
class SaveFailure : public Error {
  public:
    SaveFailure(const std::string& text, FailureDisplay display, std::string detail)
        : Error(text), display_(display), detail_(std::move(detail)) {}
    FailureDisplay Display() const { return display_; }
    const std::string& Detail() const { return detail_; }

  private:
    FailureDisplay display_;
    std::string detail_;
};

/// The texts of the save command.
inline constexpr const char* kNoPictureText = "　画像データがありません。　";
inline constexpr const char* kOverwriteQuestionText =
    "　同名のファイルがあります。上書きしますか？　";
inline constexpr const char* kBmpPngFailedText = "保存失敗。 ";

/// Prepares `picture` as the save command does for `type` and writes it to `path`:
/// - TIFF, codes G3 and G4: a one-bit copy set where the picture is black (MakeFaxBitmap),
///   so a colour picture is reduced to black and white; codes None, LZW and ZIP: the
///   picture expanded to 24-bit RGB (a one-bit or 8-bit picture becomes colour), strip by
///   strip. Both resolutions options.dpi.
/// - JPEG: the picture as 24-bit colour, options.jpegQuality, gray when options.jpegGray.
/// - BMP: the picture in its own format with its palette (the options are not consulted).
/// - PNG: RGBA for a 32-bit picture, else palette or RGB (see WritePng); no pHYs.
/// The picture itself is not changed. A file appears at `path` only when complete; any
/// failure leaves an existing file untouched. `progress` is told how far the writer has
/// come (the viewer writes on a thread of its own and shows it).
///
/// Returns the viewer's caption after the save ("Tiff 保存完了：" + path, "Jpeg 保存完了：",
/// "bmp 保存完了：", " 保存完了："). Throws SaveFailure on any failure: TIFF and JPEG
/// "保存出来ませんでした。 '" + file name + "'" for the error box, BMP and PNG
/// kBmpPngFailedText for a plain message box.
std::string SavePicture(const Bitmap& picture, const std::string& path, SaveType type,
                        const SaveOptions& options, const WriteProgress& progress = {});

// ---------------------------------------------------------------------------------------
// File names

/// The save dialog's filter string (five entries: Tiff, Jpeg, Bmp, Png, All Graphics).
inline constexpr const char* kSaveFilter =
    "Tiff （Tagged Image）|*.tif;tiff|Jpeg （Jpeg Image）|*.jpg;jpeg|Bmp（bitmap image）|*.bmp|"
    "Png（Png Image）|*.png|All Graphics |*.bmp;*.jpg;*.jpeg;*.png;*.tif;*.tiff";

/// The extension of the file name of `path` from its last dot, lower-cased (ASCII only);
/// empty when the name has no dot.
std::string LowerExtension(const std::string& path);

/// The filter index the save dialog starts on for the viewed file: ".tif" 1, ".jpg" 2,
/// ".bmp" 3, ".png" 4, anything else ("tiff", ".jpeg", ".gif" included) 5.
int InitialSaveFilterIndex(const std::string& viewedPath);

/// The path without the extension of its file name (from the last dot of the name).
std::string PathWithoutExtension(const std::string& path);

/// Where the save dialog starts for the viewed picture, and the `OrgFName` it leaves.
struct SaveProposal {
    std::string orgFName;  ///< the opened file's path without extension
    std::string folder;    ///< the start folder (empty for a bare name)
    std::string fileName;  ///< the proposed name, without folder
    int filterIndex = 5;   ///< InitialSaveFilterIndex of the viewed file
};
/// The proposal for `viewedPath` (`FileName2`): a picture from a converted PDF
/// (`pdfConverted`, `openedPath` the PDF) proposes the PDF's name without extension in the
/// PDF's folder; any other proposes the viewed file's own name in its folder. The filter
/// index always follows the viewed file (a converted PDF is a TIFF: the Tiff filter).
SaveProposal ProposeSaveName(const std::string& viewedPath, const std::string& openedPath,
                             bool pdfConverted);

/// What a confirmed name means: the type (none when unsupported) and the final path.
struct SaveTarget {
    std::optional<SaveType> type;
    std::string path;
};

/// The type and final path for the name confirmed with filter index 1 to 5: 1 to 4 give
/// their type and replace the name's extension (from its last dot; added when it has none)
/// by ".tif", ".jpg", ".bmp" or ".png"; 5 keeps the name and takes the type from its
/// lower-cased extension (".tif", ".jpg", ".bmp", ".png"; any other, ".tiff" and ".jpeg"
/// included, is unsupported). vellumo-convert uses index 5.
SaveTarget ResolveSaveTarget(const std::string& chosenPath, int filterIndex);

/// The information box text for an unsupported name: "保存ファイル名：" + file name + CR LF
/// + "拡張子「" + lower-cased extension + "」 は、未対応ファイル形式です。  ".
std::string UnsupportedExtensionText(const std::string& path);

}  // namespace vellumo
