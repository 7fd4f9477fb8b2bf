#include "document/ViewerTexts.h"

#include "check/ReportFormat.h"
#include "inspect/ImageType.h"

namespace vellumo {

std::string ImageInfoText(int mode, std::string_view typeText, std::string_view pixelText,
                          float shownDpi) {
    std::string text = "　ImageType：";
    text += mode == 1 ? typeText : std::string_view("Bitmap");
    text += "（PixelFormat：";
    text += pixelText;
    const bool known = mode == 1 ? shownDpi != 0 : shownDpi > 72;
    if (known) {
        // Mode 2 has a space after the colon; mode 1 has none.
        text += mode == 1 ? "  Resolution：" : "  Resolution： ";
        text += FormatFloatShortest(shownDpi);
        text += "dpi）";
    } else {
        text += "  Resolution：不明";
    }
    return text;
}

std::string ViewerCaption(const std::string& fileName2, const std::string& orgFName,
                          bool pdfConverted) {
    if (fileName2.empty()) return "Pelmora Ｖiew 【 No picture！】";
    if (pdfConverted)
        return "Pelmora Ｖiew 【" + std::string(FileNameOf(orgFName)) + "】(Pdf-Conv)";
    return "Pelmora Ｖiew 【 " + std::string(FileNameOf(fileName2)) + "】";
}

std::string TooManyDroppedText(int count) {
    return "ドロップは、１ファイルずつでお願いします。(dropped：" + std::to_string(count) +
           " files)";
}

std::string MissingFileText(const std::string& path) { return path + "\nファイルがありません。"; }

std::string PdfConvertFailedText(const std::string& pdfPath) {
    return "PDFファイルのコンバートに失敗しました。\n" + std::string(FileNameOf(pdfPath));
}

}  // namespace vellumo
