#pragma once
// What a drawing is made from: a picture file loaded as the viewer loads it, or page 1 of a
// PDF rendered by Ghostscript with the viewer's converter.

#include <chrono>
#include <functional>
#include <string>

#include "document/LoadPicture.h"
#include "document/PdfConversion.h"
#include "platform/Error.h"

namespace vellumo {

struct DrawingInputOptions {
    /// The viewer's "モノクロ画像は２値化して表示する".
    bool monoDisplay = true;
    /// The Ghostscript program; empty when none was found (a PDF is then refused).
    std::string ghostscript;
    /// How long the converter may run before it is stopped.
    std::chrono::milliseconds pdfLimit = kPdfConversionLimit;
    /// Asked about every 20 ms while the converter runs; true stops it (PdfCancelled).
    std::function<bool()> cancelled;
};

/// A loaded picture and the resolution a drawing takes it at, unrounded (0 when unknown).
struct DrawingInput {
    LoadedPicture loaded;
    double dpiX = 0;
    double dpiY = 0;
    bool fromPdf = false;
};

/// The conversion of a PDF was stopped by the user.
class PdfCancelled : public Error {
  public:
    PdfCancelled();
};
/// "　PDF の変換を中断しました。　"
inline constexpr std::string_view kPdfCancelledText = "　PDF の変換を中断しました。　";

/// Whether the viewer takes `path` for a PDF: its extension, lower-cased, is ".pdf".
bool IsPdfPath(const std::string& path);

/// Loads `path`: a PDF (IsPdfPath) has its page 1 rendered in 24-bit colour at 400 dpi into
/// a private temporary folder, which is removed again, and that page is loaded; any other
/// file is loaded by LoadPicture. Throws Error with the viewer's texts: a missing file,
/// kPdfUnsupportedText without Ghostscript, kPdfConvertStartFailedText when the converter
/// cannot start, PdfConvertFailedText when it gives no page (also after the time limit),
/// PdfCancelled, and the decode error (DecodeError) of LoadPicture.
DrawingInput LoadDrawingInput(const std::string& path, const DrawingInputOptions& options);

}  // namespace vellumo
