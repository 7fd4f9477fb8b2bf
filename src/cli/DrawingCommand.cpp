#include "cli/DrawingCommand.h"

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <ostream>
#include <vector>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "cli/DisplayPath.h"
#include "cli/StandardStreams.h"
#include "document/DrawingInput.h"
#include "document/DrawingPrediction.h"
#include "document/FindGhostscript.h"
#include "inspect/ImageType.h"
#include "platform/FileSource.h"
#include "platform/NaturalOrder.h"
#include "save/SaveFormats.h"

namespace vellumo {

namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "vellumo-convert";

volatile sig_atomic_t g_stopAsked = 0;

extern "C" void AskStop(int) { g_stopAsked = 1; }

/// Ctrl-C and a termination request only ask the command to stop, while it runs: a PDF
/// conversion is stopped, a drawing being written is finished, the next file is not begun.
class StopRequests {
  public:
    StopRequests() {
        g_stopAsked = 0;
        struct sigaction action {};
        action.sa_handler = AskStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &int_);
        sigaction(SIGTERM, &action, &term_);
    }
    ~StopRequests() {
        sigaction(SIGINT, &int_, nullptr);
        sigaction(SIGTERM, &term_, nullptr);
    }
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;
    static bool Asked() { return g_stopAsked != 0; }

  private:
    struct sigaction int_ {
    }, term_{};
};

/// The extensions of the pictures and PDFs a folder is converted from, lower-cased.
bool IsPictureName(const std::string& name) {
    std::string ext(FileExtension(name));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    static const char* const kKnown[] = {".bmp", ".png", ".jpg",  ".jpeg",
                                         ".gif", ".tif", ".tiff", ".pdf"};
    return std::any_of(std::begin(kKnown), std::end(kKnown),
                       [&](const char* k) { return ext == k; });
}

class DrawingRun {
  public:
    DrawingRun(const DrawingRequest& request, std::ostream& out, std::ostream& err)
        : request_(request), out_(out), err_(err) {
        const GhostscriptResult gs = FindGhostscript(std::string());
        check_.ghostscriptAvailable = gs.GhostscriptAvailable;
        input_.monoDisplay = request.monoDisplay;
        if (gs.GhostscriptAvailable) input_.ghostscript = gs.GhostscriptFolder;
        input_.cancelled = [] { return StopRequests::Asked(); };
    }

    /// One picture to one drawing; its exit status.
    int File(const std::string& in, const std::string& outPath) {
        try {
            DrawingInput input = LoadDrawingInput(in, input_);
            if (request_.operations) request_.operations(input.loaded.picture);
            const Drawing drawing =
                MakeDrawing(input.loaded.picture, input.dpiX, input.dpiY, request_.options);
            if (drawing.placement.turned) Note(in, TurnedText());
            if (drawing.placement.shrink < 1) Note(in, ShrunkText(drawing.placement.shrink));
            SavePicture(drawing.picture, outPath, SaveType::Tiff, DrawingSaveOptions());
        } catch (const ContentTooLarge& e) {
            return Refuse(in, std::string(e.what()) + "\n--shrink-to-fit で縮小して収められます。");
        } catch (const SaveFailure& e) {
            return Refuse(outPath, e.Detail().empty()
                                       ? e.what()
                                       : std::string(e.what()) + " (" + e.Detail() + ")");
        } catch (const DecodeError& e) {
            return Refuse(
                in, e.Reason().empty() ? e.what() : std::string(e.what()) + "(" + e.Reason() + ")");
        } catch (const Error& e) {
            return Refuse(in, e.what());
        } catch (const std::bad_alloc&) {
            return Refuse(in, "メモリが不足しています");
        }
        return Report(outPath);
    }

    /// Every picture and PDF of a folder, in the order a file manager shows their names;
    /// the worst exit status.
    int Folder(const std::string& in, const std::string& outFolder) {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(in, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code e2;
            if (it->is_regular_file(e2) && IsPictureName(it->path().filename().string()))
                names.push_back(it->path().filename().string());
        }
        if (ec) return Refuse(in, FileErrorText(in, ec.value()));
        std::sort(names.begin(), names.end(), NaturalLess);
        fs::create_directories(outFolder, ec);
        if (!fs::is_directory(outFolder))
            return Refuse(outFolder, "フォルダーを作れません。" +
                                         (ec ? " (" + ec.message() + ")" : std::string()));

        std::map<std::string, std::string> taken;  // drawing name -> the picture it came from
        int worst = kDrawingPassed;
        int counts[3] = {};
        for (const std::string& name : names) {
            // A report that cannot be written ends the run (the caller names the error).
            if (!out_) break;
            if (StopRequests::Asked()) {
                Note(in, "　変換を中断しました。　");
                worst = kDrawingRefused;
                break;
            }
            const std::string source = (fs::path(in) / name).string();
            const std::string drawingName = fs::path(name).stem().string() + ".tif";
            const std::string target = (fs::path(outFolder) / drawingName).string();
            int status;
            std::error_code same;
            if (const auto at = taken.find(drawingName); at != taken.end()) {
                status =
                    Refuse(source, DisplayPath(drawingName) + " は " + DisplayPath(at->second) +
                                       " から作りました。同じ名前になるため変換しません。");
            } else if (fs::equivalent(source, target, same)) {
                status = Refuse(source, "変換元に上書きになるため変換しません。");
            } else {
                taken[drawingName] = name;
                status = File(source, target);
            }
            ++counts[status];
            worst = std::max(worst, status);
        }
        out_ << "図面化：" << names.size() << " ファイル（合格 " << counts[kDrawingPassed]
             << "、不合格 " << counts[kDrawingFaulty] << "、変換できず " << counts[kDrawingRefused]
             << "）\n";
        return worst;
    }

  private:
    int Refuse(const std::string& path, const std::string& text) {
        Note(path, text);
        return kDrawingRefused;
    }

    /// A refusal or a note (a turn, a shrink): one line on standard error, after the report
    /// lines written so far.
    void Note(const std::string& path, const std::string& text) {
        out_.flush();
        err_ << ErrorLine(kProgram, path, text);
        err_.flush();
    }

    /// The written drawing checked from disk, its report block printed as vellumo-check
    /// prints it (the name shown as it shows names, and judged so).
    int Report(const std::string& path) {
        CollectingReportView view;
        CheckResult result;
        try {
            result = CheckFile(path, check_, view, DisplayPath(path));
        } catch (const Error& e) {
            return Refuse(path, e.what());
        }
        std::string block;
        for (const std::string& line : view.Lines()) block += line + "\n";
        // Each block as soon as it is known: a long folder shows its progress, and a
        // report that cannot be written stops the run at the next file.
        out_ << block << std::flush;
        return result.verdict.Passed() ? kDrawingPassed : kDrawingFaulty;
    }

    const DrawingRequest& request_;
    std::ostream& out_;
    std::ostream& err_;
    CheckOptions check_;
    DrawingInputOptions input_;
};

}  // namespace

int RunDrawingCommand(const DrawingRequest& request, std::ostream& out, std::ostream& err) {
    const StopRequests stop;
    DrawingRun run(request, out, err);
    std::error_code ec;
    int status;
    if (fs::is_directory(request.input, ec)) {
        status = run.Folder(request.input, request.output);
    } else if (ResolveSaveTarget(request.output, 5).type != SaveType::Tiff) {
        err << ErrorLine(kProgram, request.output, "図面は .tif のファイルに書きます。");
        status = kDrawingRefused;
    } else {
        status = run.File(request.input, request.output);
    }
    out.flush();
    if (!out) {
        err << kProgram << ": " << OutputErrorText(out.rdbuf()) << '\n';
        return kDrawingRefused;
    }
    return status;
}

}  // namespace vellumo
