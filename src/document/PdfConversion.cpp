#include "document/PdfConversion.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/Error.h"
#include "platform/FileInfo.h"

namespace vellumo {

namespace {

using std::chrono::milliseconds;

/// How often the wait looks up from the converter to let the window run.
constexpr milliseconds kWaitSlice{20};

std::string DoublePercent(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

std::string AsInputFile(const std::string& path) {
    if (!path.empty() && (path.front() == '-' || path.front() == '@' || path.front() == '%'))
        return "./" + path;
    return path;
}

}  // namespace

std::string PdfTempFilePath(const std::string& programFolder) {
    return FileInFolder(programFolder, kPdfTempFileName);
}

std::string_view PdfWaitText(milliseconds elapsed) {
    if (elapsed < milliseconds(1000)) return kPdfConvertText;
    if (elapsed < milliseconds(3000)) return kPdfConvertWait1Text;
    return kPdfConvertWait2Text;
}

std::optional<int> PdfResolution(std::string_view text) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || value <= 0) return std::nullopt;
    return value;
}

std::vector<CommandPiece> PdfConverterCommand(const std::string& program, const std::string& pdf,
                                              const std::string& outputFile,
                                              const PdfConversionOptions& options) {
    std::vector<CommandPiece> pieces;
    pieces.push_back({"", program, true});
    // The page options stand both before and after the safety and batch options.
    for (const char* option : {"-dFirstPage=1", "-dLastPage=1", "-dSAFER", "-dBATCH", "-dNOPAUSE",
                               "-dFirstPage=1", "-dLastPage=1"})
        pieces.push_back({option, "", false});
    pieces.push_back({"-sDEVICE=", options.monochrome ? "tiffg4" : "tiff24nc", false});
    if (const std::optional<int> dpi = PdfResolution(options.resolutionText))
        pieces.push_back({"-r", std::to_string(*dpi), false});
    pieces.push_back({"-sOutputFile=", DoublePercent(outputFile), true});
    pieces.push_back({"", AsInputFile(pdf), true});
    return pieces;
}

std::vector<std::string> CommandArguments(const std::vector<CommandPiece>& pieces) {
    std::vector<std::string> args;
    args.reserve(pieces.size());
    for (const CommandPiece& p : pieces) args.push_back(p.prefix + p.value);
    return args;
}

std::string CommandLineText(const std::vector<CommandPiece>& pieces) {
    std::string line;
    for (const CommandPiece& p : pieces) {
        if (!line.empty()) line += ' ';
        line += p.prefix;
        line += p.quoted ? '"' + p.value + '"' : p.value;
    }
    return line;
}

Process StartPdfConversion(const std::string& program, const std::string& pdf,
                           const std::string& outputFile, const PdfConversionOptions& options) {
    if (::unlink(outputFile.c_str()) != 0 && errno != ENOENT)
        throw Error("「" + outputFile + "」を削除できません。(" + std::strerror(errno) + ")");
    return Process::Start(CommandArguments(PdfConverterCommand(program, pdf, outputFile, options)));
}

PdfConversionEnd FinishPdfConversion(Process& converter, const std::string& outputFile,
                                     milliseconds limit,
                                     const std::function<bool(milliseconds)>& slice) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    auto elapsed = [&] { return std::chrono::duration_cast<milliseconds>(Clock::now() - start); };
    PdfConversionEnd result;
    for (;;) {
        const milliseconds left = std::max(limit - elapsed(), milliseconds(0));
        if (const std::optional<ProcessEnd> end = converter.WaitFor(std::min(kWaitSlice, left))) {
            const std::optional<uint64_t> size = FileSizeOf(outputFile);
            result = end->Succeeded() && size && *size > 0 ? PdfConversionEnd::Converted
                                                           : PdfConversionEnd::Failed;
            break;
        }
        if (elapsed() >= limit) {
            converter.Kill();
            result = PdfConversionEnd::TimedOut;
            break;
        }
        if (slice && !slice(elapsed())) {
            converter.Kill();
            result = PdfConversionEnd::Cancelled;
            break;
        }
    }
    if (result != PdfConversionEnd::Converted) ::unlink(outputFile.c_str());
    return result;
}

}  // namespace vellumo
