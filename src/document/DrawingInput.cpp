#include "document/DrawingInput.h"

#include <stdlib.h>

#include <cctype>
#include <cerrno>
#include <filesystem>

#include "document/ViewerTexts.h"
#include "inspect/ImageType.h"
#include "platform/FileInfo.h"
#include "platform/FileSource.h"

namespace vellumo {

namespace {

namespace fs = std::filesystem;

/// A folder of its own under the system's temporary folder, removed with what it holds.
class PrivateFolder {
  public:
    PrivateFolder() {
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "vellumo-XXXXXX").string();
        if (ec) pattern = "/tmp/vellumo-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw Error(FileErrorText(pattern, errno));
        path_ = pattern;
    }
    ~PrivateFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

DrawingInput Finish(LoadedPicture loaded, bool fromPdf) {
    DrawingInput input;
    // The resolution as read, before the viewer rounds it for its status line.
    input.dpiX = double(loaded.resolution.PixPerMmX) * 25.4;
    input.dpiY = double(loaded.resolution.PixPerMmY) * 25.4;
    input.loaded = std::move(loaded);
    input.fromPdf = fromPdf;
    return input;
}

}  // namespace

PdfCancelled::PdfCancelled() : Error(std::string(kPdfCancelledText)) {}

bool IsPdfPath(const std::string& path) {
    std::string ext(FileExtension(FileNameOf(path)));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".pdf";
}

DrawingInput LoadDrawingInput(const std::string& path, const DrawingInputOptions& options) {
    if (!FileSizeOf(path)) throw Error(MissingFileText(path));
    if (!IsPdfPath(path)) return Finish(LoadPicture(path, options.monoDisplay), false);

    if (options.ghostscript.empty()) throw Error(std::string(kPdfUnsupportedText));
    const PrivateFolder folder;
    const std::string page = PdfTempFilePath(folder.Path());
    // In colour, so that the drawing's own threshold decides what is black.
    PdfConversionOptions pdf;
    pdf.resolutionText = "400";
    pdf.monochrome = false;
    PdfConversionEnd end = PdfConversionEnd::Failed;
    {
        // A converter that cannot start says why (the platform's reason).
        Process converter = StartPdfConversion(options.ghostscript, path, page, pdf);
        end = FinishPdfConversion(
            converter, page, options.pdfLimit,
            [&](std::chrono::milliseconds) { return !(options.cancelled && options.cancelled()); });
    }
    if (end == PdfConversionEnd::Cancelled) throw PdfCancelled();
    if (end != PdfConversionEnd::Converted) throw Error(PdfConvertFailedText(path));
    try {
        return Finish(LoadPicture(page, options.monoDisplay), true);
    } catch (const DecodeError& e) {
        throw DecodeError(DecodeErrorText(path), e.Reason());  // the user knows the PDF
    }
}

}  // namespace vellumo
