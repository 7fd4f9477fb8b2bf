#include "cli/CheckCommand.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <new>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "cli/DisplayPath.h"
#include "cli/StandardStreams.h"
#include "document/FindGhostscript.h"
#include "inspect/ImageType.h"
#include "platform/Error.h"
#include "platform/FileInfo.h"
#include "platform/FileSource.h"
#include "platform/NaturalOrder.h"
#include "platform/Version.h"

namespace vellumo {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr const char* kProgram = "vellumo-check";

constexpr const char* kExitStatuses =
    "Exit status:\n"
    "  0  every file was checked and, with the drawing check, every file passes\n"
    "  1  some checked file does not pass\n"
    "  2  some path could not be checked, no file was checked at all, or the report\n"
    "     could not be written\n";

struct Settings {
    bool noDrawingCheck = false;
    bool showPath = false;
    bool status = false;
    bool json = false;
    bool recursive = false;
    std::vector<std::string> paths;
};

class Checker {
  public:
    Checker(const Settings& settings, std::ostream& out, std::ostream& err)
        : settings_(settings), out_(out), err_(err) {
        options_.drawingCheck = !settings.noDrawingCheck;
        options_.showPath = settings.showPath;
        // PDF files count as supported exactly when the checker window would find
        // Ghostscript (no settings file here, so no GsDir: PATH, then /opt and /usr/local).
        options_.ghostscriptAvailable = FindGhostscript(std::string()).GhostscriptAvailable;
    }

    /// False once the report could not be written: nothing more is checked then.
    bool Writing() const { return static_cast<bool>(out_); }

    void Argument(const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            Unchecked(path, FileErrorText(path, errno));
        } else if (S_ISDIR(st.st_mode)) {
            Folder(path);
        } else {
            File(path);
        }
    }

    /// The closing messages and the exit status.
    int Finish() {
        out_.flush();
        if (!out_) {
            err_ << kProgram << ": " << OutputErrorText(out_.rdbuf()) << '\n';
            return kSomeUnchecked;
        }
        if (filesTried_ == 0) {
            err_ << kProgram << ": 調べたファイルがありません。\n";
            return kSomeUnchecked;
        }
        if (unchecked_) return kSomeUnchecked;
        if (failed_) return kSomeFailed;
        return kAllPassed;
    }

  private:
    // The files of a folder in the order a file manager shows them; subfolders only with
    // -r, at their place in that order. Links to folders are not entered, so a link loop
    // cannot trap the walk; without -r the subfolders left out are counted.
    void Folder(const std::string& folder) {
        struct Entry {
            std::string name;
            bool folder;  // a folder (or a link to one): checked only by entering it
            bool link;
        };
        std::vector<Entry> entries;
        std::error_code ec;
        fs::directory_iterator it(folder, ec), end;
        if (ec) {
            Unchecked(folder, FileErrorText(folder, ec.value()));
            return;
        }
        for (; it != end; it.increment(ec)) {
            std::error_code e2;
            entries.push_back(
                {it->path().filename().string(), it->is_directory(e2), it->is_symlink(e2)});
        }
        // A listing that broke off is said; the files listed so far are still checked.
        if (ec) Unchecked(folder, FileErrorText(folder, ec.value()));
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return NaturalLess(a.name, b.name); });
        const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
        int skipped = 0;
        for (const Entry& entry : entries) {
            if (!Writing()) return;
            if (!entry.folder) {
                File(prefix + entry.name);
            } else if (!settings_.recursive) {
                ++skipped;
            } else if (!entry.link) {
                Folder(prefix + entry.name);
            }
        }
        if (skipped > 0) {
            out_.flush();
            err_ << kProgram << ": " << DisplayPath(folder) << ": サブフォルダー " << skipped
                 << " 個は調べていません（中も調べるには -r）。\n";
        }
    }

    void File(const std::string& path) {
        ++filesTried_;
        view_.Clear();
        CheckResult result;
        std::string error;
        try {
            result = CheckFile(path, options_, view_, Shown(path));
            // A path that names nothing is type -1 to the report; here, where the path was
            // listed or named, that is an error: a broken link, a link loop, a file
            // removed meanwhile.
            struct stat st {};
            if (result.info.typeCode == kTypeUnknown && ::stat(path.c_str(), &st) != 0)
                error = FileErrorText(path, errno);
        } catch (const Error& e) {
            error = e.what();
        } catch (const std::bad_alloc&) {
            error = path + "\r\nメモリが不足しています。";
        } catch (const std::exception& e) {
            error = path + "\r\n" + e.what();
        }
        if (!error.empty()) {
            // The check ended before its report; the type is still worth telling.
            ImageInfo& info = result.info;
            info.typeCode = kTypeUnknown;
            try {
                info.typeCode = DetectImageType(path);
            } catch (const Error&) {
            }
            info.typeName = TypeNameOf(info.typeCode);
            info.extensionMatches =
                ExtensionMatches(info.typeCode, FileNameOf(path), options_.ghostscriptAvailable);
            view_.Clear();
        }
        const bool passed = error.empty() && options_.drawingCheck && result.verdict.Passed();
        if (!error.empty()) {
            unchecked_ = true;
        } else if (options_.drawingCheck && !passed) {
            failed_ = true;
        }
        if (settings_.json) {
            FileJson(path, result.info, error, passed);
        } else if (error.empty()) {
            Text();
        }
        if (!error.empty()) ErrorLine(path, error);
    }

    /// The path as the report names the file: readable, and absolute for the folder line.
    std::string Shown(const std::string& path) const {
        return DisplayPath(settings_.showPath ? AbsolutePath(path) : path);
    }

    void Text() {
        std::string block;
        for (const std::string& line : view_.Lines()) {
            block += line;
            block += '\n';
        }
        if (settings_.status && !view_.Status().empty()) {
            block += view_.Status();
            block += '\n';
        }
        out_ << block;
    }

    /// A path that could not be checked at all: its error line and, with --json, its
    /// object.
    void Unchecked(const std::string& path, const std::string& error) {
        unchecked_ = true;
        if (settings_.json) {
            Json j = PathJson(path);
            j["error"] = DisplayMessage(error, path);
            j["pass"] = false;
            Write(j);
        }
        ErrorLine(path, error);
    }

    // One line a fault, greppable by program and path; the error box's text follows whole.
    void ErrorLine(const std::string& path, const std::string& error) {
        out_.flush();
        err_ << kProgram << ": " << DisplayPath(path) << ": "
             << DisplayMessage(ErrorBoxText(error), path) << '\n';
        err_.flush();
    }

    /// "path" as shown, and "pathBytes" (base64 of the path's bytes) whenever the shown
    /// path is not the path itself, so that a script can find the file again.
    static Json PathJson(const std::string& path) {
        Json j;
        const std::string shown = DisplayPath(path);
        j["path"] = shown;
        if (shown != path) j["pathBytes"] = Base64(path);
        return j;
    }

    void FileJson(const std::string& path, const ImageInfo& info, const std::string& error,
                  bool passed) {
        Json j = PathJson(path);
        j["typeCode"] = info.typeCode;
        j["typeName"] = info.typeName;
        j["extensionMatches"] = info.extensionMatches;
        j["headerRead"] = info.headerRead;
        j["width"] = info.width;
        j["height"] = info.height;
        j["bitsPerSample"] = info.bitsPerSample;
        j["samplesPerPixel"] = info.samplesPerPixel;
        j["compression"] = info.compression;
        j["orientation"] = info.orientation;
        j["xResolution"] = info.xResolution;
        j["yResolution"] = info.yResolution;
        j["resolutionUnit"] = info.resolutionUnit;
        j["pageCount"] = info.pageCount;
        j["compressionMissing"] = info.compressionMissing;
        j["orientationMissing"] = info.orientationMissing;
        j["xResolutionMissing"] = info.xResolutionMissing;
        j["yResolutionMissing"] = info.yResolutionMissing;
        j["resolutionUnitMissing"] = info.resolutionUnitMissing;
        j["lines"] = view_.Lines();
        j["status"] = view_.Status();
        if (!error.empty()) j["error"] = DisplayMessage(error, path);
        j["pass"] = passed;
        Write(j);
    }

    void Write(const Json& j) {
        // Every text in the object is valid UTF-8 by now; "replace" is a last guard.
        out_ << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    }

    const Settings& settings_;
    std::ostream& out_;
    std::ostream& err_;
    CheckOptions options_;
    CollectingReportView view_;
    long filesTried_ = 0;
    bool failed_ = false;
    bool unchecked_ = false;
};

}  // namespace

int RunCheckCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    Settings settings;
    CLI::App app{
        "Checks image files against the drawing rules of the online application and prints\n"
        "the checker's report block for each file; a folder is checked file by file in the\n"
        "order a file manager shows its names."};
    app.name(kProgram);
    app.footer(kExitStatuses);
    app.set_version_flag("--version", std::string(kProgram) + " " + ProgramVersion());
    app.add_flag("--no-drawing-check", settings.noDrawingCheck,
                 "Report without the drawing check (\"図面のチェック\" off)");
    app.add_flag("--show-path", settings.showPath,
                 "Add the folder line, as an absolute path (\"Pathも表示\" on)");
    app.add_flag("--status", settings.status, "Follow each block with its status line");
    app.add_flag("--json", settings.json,
                 "One JSON object a line for each file and each path that could not be\n"
                 "checked (\"pathBytes\": the path's bytes in base64 where \"path\" is not\n"
                 "exactly them)");
    app.add_flag("-r,--recursive", settings.recursive, "Descend into subfolders");
    app.add_option("PATH", settings.paths, "Files or folders to check")->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help, --version
        app.exit(e, out, err);
        out.flush();
        if (out) return kAllPassed;
        err << kProgram << ": " << OutputErrorText(out.rdbuf()) << '\n';
        return kSomeUnchecked;
    } catch (const CLI::ParseError& e) {
        err << kProgram << ": " << e.what() << " (--help)\n";
        return kSomeUnchecked;
    }
    Checker checker(settings, out, err);
    for (const std::string& path : settings.paths) {
        if (!checker.Writing()) break;
        checker.Argument(path);
    }
    return checker.Finish();
}

}  // namespace vellumo
