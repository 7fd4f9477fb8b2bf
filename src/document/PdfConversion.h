#pragma once
// The PDF conversion: the Ghostscript console program renders page 1 of a PDF into the
// temporary TIFF "tmp.tif" in the program's folder, which the viewer then loads like any
// other picture. Here: the converter's command, its start, and the wait for its end.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Process.h"

namespace vellumo {

/// The temporary file a converted page is written to; overwritten by each conversion.
inline constexpr std::string_view kPdfTempFileName = "tmp.tif";
/// kPdfTempFileName in the program's folder.
std::string PdfTempFilePath(const std::string& programFolder);

/// The status line while the converter runs: from its start, after 1 s, after 3 s.
inline constexpr std::string_view kPdfConvertText = "　Pdfconvert... ";
inline constexpr std::string_view kPdfConvertWait1Text = "　Pdfconvert wait 1... ";
inline constexpr std::string_view kPdfConvertWait2Text = "　Pdfconvert wait 2...... ";
/// The status text for a converter that has run for `elapsed`.
std::string_view PdfWaitText(std::chrono::milliseconds elapsed);

/// How long the viewer waits for the converter before it stops it: enough for a large
/// page at 600 dpi.
inline constexpr std::chrono::milliseconds kPdfConversionLimit{60000};

/// What the conversion takes from the settings dialog's PDF page.
struct PdfConversionOptions {
    /// The resolution list's text: "200" ... "600", or "指定しない".
    std::string resolutionText = "400";
    /// "モノクロ２値" (a one-bit G4 TIFF); false: "24bitカラー".
    bool monochrome = true;
};

/// The resolution list's text as dots per inch: a whole number above 0, else nothing
/// ("指定しない": the converter's own default applies).
std::optional<int> PdfResolution(std::string_view text);

/// One piece of a command: an argument `prefix` + `value`. On the command line as text,
/// a `quoted` value stands in double quotes.
struct CommandPiece {
    std::string prefix;
    std::string value;
    bool quoted = false;
};

/// The converter's command, program first: the page options, the safety and batch options,
/// the page options again, "-sDEVICE=" tiffg4 or tiff24nc, "-r" and the resolution when
/// there is one, "-sOutputFile=" with `outputFile`, then `pdf`. The two paths are passed as
/// they are, but for what Ghostscript would read as something else: a "%" of the output
/// file is doubled (a single one is a page-number format there), and a relative PDF path
/// that begins with "-", "@" or "%" (an option, an argument file, a device) gets "./".
std::vector<CommandPiece> PdfConverterCommand(const std::string& program, const std::string& pdf,
                                              const std::string& outputFile,
                                              const PdfConversionOptions& options);
/// The arguments a process gets for `pieces`: prefix and value of each, unquoted.
std::vector<std::string> CommandArguments(const std::vector<CommandPiece>& pieces);
/// The command as one line of text, pieces separated by a space, quoted values in double
/// quotes: "/usr/bin/gs" -dFirstPage=1 ... -sOutputFile="/app/tmp.tif" "/d/a.pdf".
std::string CommandLineText(const std::vector<CommandPiece>& pieces);

/// Removes the old `outputFile` (so a failed conversion can never bring back an earlier
/// page) and starts the converter at `program` on `pdf`. Throws Error when the old file
/// cannot be removed or the converter cannot be started.
Process StartPdfConversion(const std::string& program, const std::string& pdf,
                           const std::string& outputFile, const PdfConversionOptions& options);

enum class PdfConversionEnd {
    Converted,  ///< exited with status 0, leaving a non-empty `outputFile`
    Failed,     ///< exited otherwise, or left no file or an empty one
    TimedOut,   ///< still running at the limit: killed
    Cancelled,  ///< stopped by the user: killed
};

/// Waits for the converter's end, at most `limit`, calling `slice` with the time it has
/// run about every 20 ms meanwhile (the window shows PdfWaitText there and lets its
/// messages run); when `slice` answers false the user has cancelled. A converter still
/// running at the limit or cancelled is killed with its process group and reaped. Unless
/// the result is Converted, whatever the converter left at `outputFile` is removed, so
/// that no partial file is ever loaded.
PdfConversionEnd FinishPdfConversion(Process& converter, const std::string& outputFile,
                                     std::chrono::milliseconds limit,
                                     const std::function<bool(std::chrono::milliseconds)>& slice);

}  // namespace vellumo
