#include "cli/CheckCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "inspect/ImageType.h"
#include "platform/Error.h"
#include "viewer/FindGhostscript.h"

namespace vellumo {

namespace {

namespace fs = std::filesystem;

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

    void Argument(const std::string& path) {
        std::error_code ec;
        const fs::file_status st = fs::status(path, ec);
        if (ec || !fs::exists(st)) {
            err_ << "vellumo-check: " << path << ": ファイルがありません。\n";
            unchecked_ = true;
            return;
        }
        if (fs::is_directory(st)) {
            Folder(path);
        } else {
            File(path);
        }
    }

    int ExitStatus() const {
        if (unchecked_) return kSomeUnchecked;
        if (failed_) return kSomeFailed;
        return kAllPassed;
    }

private:
    // The files of a folder in name order; subfolders (not followed through links, so a
    // link loop cannot trap the walk) only with -r, at their place in that order.
    void Folder(const std::string& folder) {
        struct Entry {
            std::string name;
            bool folder;  // a folder (or a link to one): checked only by entering it
            bool link;
            bool operator<(const Entry& o) const { return name < o.name; }
        };
        std::vector<Entry> entries;
        std::error_code ec;
        fs::directory_iterator it(folder, ec), end;
        if (ec) {
            err_ << "vellumo-check: " << folder << ": フォルダーを読めません。(" << ec.message()
                 << ")\n";
            unchecked_ = true;
            return;
        }
        for (; it != end; it.increment(ec)) {
            if (ec) break;
            std::error_code e2;
            entries.push_back({it->path().filename().string(), it->is_directory(e2),
                               it->is_symlink(e2)});
        }
        std::sort(entries.begin(), entries.end());
        const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
        for (const Entry& entry : entries) {
            if (!entry.folder) {
                File(prefix + entry.name);
            } else if (settings_.recursive && !entry.link) {
                Folder(prefix + entry.name);
            }
        }
    }

    void File(const std::string& path) {
        view_.Clear();
        CheckResult result;
        std::string error;
        try {
            result = CheckFile(path, options_, values_, view_);
        } catch (const Error& e) {
            error = e.what();
        } catch (const std::exception& e) {
            error = path + "\r\n" + e.what();
        }
        if (!error.empty()) {
            // The check ended before its report; the type is still worth telling.
            ImageInfo& info = result.info;
            try {
                info.typeCode = DetectImageType(path);
            } catch (const Error&) {
            }
            info.typeName = TypeNameOf(info.typeCode);
            info.extensionMatches = ExtensionMatches(info.typeName, FileNameOf(path),
                                                     options_.ghostscriptAvailable);
        }
        const bool passed = error.empty() && options_.drawingCheck && result.verdict.Passed();
        if (!error.empty()) {
            unchecked_ = true;
        } else if (options_.drawingCheck && !passed) {
            failed_ = true;
        }
        if (settings_.json) {
            Json(path, result.info, error, passed);
        } else {
            Text(error);
        }
    }

    void Text(const std::string& error) {
        if (!error.empty()) {
            out_.flush();
            err_ << WithLfLineEnds(ErrorBoxText(error)) << '\n';
            err_.flush();
            return;
        }
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

    void Json(const std::string& path, const ImageInfo& info, const std::string& error,
              bool passed) {
        nlohmann::ordered_json j;
        j["path"] = path;
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
        if (!error.empty()) j["error"] = error;
        j["pass"] = passed;
        // File names need not be UTF-8 here; replace what is not.
        out_ << j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    }

    const Settings& settings_;
    std::ostream& out_;
    std::ostream& err_;
    CheckOptions options_;
    ProgramValues values_;
    CollectingReportView view_;
    bool failed_ = false;
    bool unchecked_ = false;
};

}  // namespace

int RunCheckCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
    Settings settings;
    CLI::App app{
        "Checks image files against the drawing rules of the online application and prints\n"
        "the checker's report block for each file."};
    app.add_flag("--no-drawing-check", settings.noDrawingCheck,
                 "Report without the drawing check (\"図面のチェック\" off)");
    app.add_flag("--show-path", settings.showPath, "Add the folder line (\"Pathも表示\" on)");
    app.add_flag("--status", settings.status, "Follow each block with its status line");
    app.add_flag("--json", settings.json, "One JSON object per file and line");
    app.add_flag("-r,--recursive", settings.recursive, "Descend into subfolders");
    app.add_option("PATH", settings.paths, "Files or folders to check")->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? 0 : kSomeUnchecked;
    }
    Checker checker(settings, out, err);
    for (const std::string& path : settings.paths) checker.Argument(path);
    out.flush();
    return checker.ExitStatus();
}

}  // namespace vellumo
