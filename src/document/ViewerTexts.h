#pragma once
// The viewer window's own texts: the status line, the caption and its messages. Built here
// without the window so each wording is tested on its own.

#include <string>
#include <string_view>

namespace vellumo {

/// The status line of `ShowImageInfo`. Mode 1 names the decoder's container and pixel
/// format and the resolution when it is not 0; mode 2 names the shown bitmap ("Bitmap" and
/// its format, "1bit" ...) and the resolution only above 72 dpi. Any other mode counts as 2.
std::string ImageInfoText(int mode, std::string_view typeText, std::string_view pixelText,
                          float shownDpi);

/// The window caption for the file shown: "Pelmora Ｖiew 【 No picture！】" without one,
/// the PDF's own name with "(Pdf-Conv)" for a converted PDF.
std::string ViewerCaption(const std::string& fileName2, const std::string& orgFName,
                          bool pdfConverted);

/// The message for a drop of more than one file.
std::string TooManyDroppedText(int count);
/// The message for a file that is not there (lines separated by LF).
std::string MissingFileText(const std::string& path);
/// The message for a PDF while Ghostscript cannot be used.
inline constexpr std::string_view kPdfUnsupportedText =
    "PDFは、未対応ファイル形式です。\n利用環境を確認してください。";
/// The status line beside the progress bar while a file is written from the picture.
inline constexpr std::string_view kWritingProgressText = "　保存中 ．．． ";
/// The message for a PDF the converter did not turn into a picture: the PDF's file name.
std::string PdfConvertFailedText(const std::string& pdfPath);

}  // namespace vellumo
