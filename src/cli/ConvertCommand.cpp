#include "cli/ConvertCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/DisplayPath.h"
#include "cli/DrawingCommand.h"
#include "cli/StandardStreams.h"
#include "crop/CutOut.h"
#include "document/LoadPicture.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/ReductionMessages.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"
#include "platform/Version.h"
#include "save/SaveFormats.h"

namespace vellumo {

namespace {

constexpr const char* kProgram = "vellumo-convert";

constexpr const char* kUsage =
    "usage: vellumo-convert INPUT OUTPUT [operation...] [output option...]\n"
    "       vellumo-convert INPUT --info [--no-mono-display]\n"
    "       vellumo-convert INPUT OUTPUT.tif --drawing [--shrink-to-fit] [operation...]\n"
    "       vellumo-convert --drawing INPUT-FOLDER OUTPUT-FOLDER [--shrink-to-fit] [operation...]\n"
    "Run with --help for every operation and option.\n";

constexpr const char* kFooter =
    "The input is loaded as the viewer loads it (BMP, PNG, JPEG, GIF or TIFF, first page),\n"
    "the operations run in the order given, and the output is written as the viewer's\n"
    "save command writes it, through a temporary file renamed into place. Its type follows\n"
    "its extension: .tif .jpg .bmp .png.\n"
    "\n"
    "--drawing (a PDF: page 1 through Ghostscript at 400 dpi) runs the operations, then\n"
    "brings the picture to true scale at 400 dpi, turns a page higher than wide a quarter\n"
    "to the left, places it on a white B4 landscape page (5732 x 4047) that holds all its\n"
    "content, and makes it one bit by --threshold T (128) and, with --despeckle, the\n"
    "viewer's despeckle. The drawing is written as a G4 TIFF at 400 dpi, checked again\n"
    "from disk, and its report block printed as vellumo-check prints it. With two folders,\n"
    "every BMP, PNG, JPEG, GIF, TIFF and PDF file of INPUT-FOLDER becomes OUTPUT-FOLDER/\n"
    "<its stem>.tif, in the order a file manager shows the names, followed by a summary.\n"
    "\n"
    "Exit status:\n"
    "  0  the file was written (or --info printed); with --drawing, every drawing passes\n"
    "  1  with --drawing: some drawing was written but still has faults\n"
    "  2  anything was refused or failed (nothing was written for that file), or what\n"
    "     goes to standard output could not be written\n";

enum class OpKind { RotateLeft, RotateRight, Threshold, Gray, Dither, Despeckle, Crop, Ink };

struct Operation {
    OpKind kind;
    int threshold = 0;
    int32_t x = 0, y = 0, w = 0, h = 0;
    RgbQuad ink{};
};

/// What the command does with its pictures. A mode is a row of kModes (its flag and the
/// paths it takes), a case in RunConvertCommand, and nothing else: the options and their
/// checks are shared.
enum class Mode { Convert, Info, Drawing };

struct ModeRow {
    Mode mode;
    const char* flag;  // "" for the mode without a flag
    const char* help;
    size_t paths;  // INPUT only, or INPUT and OUTPUT
};

constexpr ModeRow kModes[] = {
    {Mode::Convert, "", "", 2},
    {Mode::Info, "--info",
     "Print the decoder's type and pixel format, size and resolution; write nothing", 1},
    {Mode::Drawing, "--drawing",
     "A B4 drawing at 400 dpi (G4 TIFF) from a scan, picture or PDF page, checked\n"
     "after writing; INPUT and OUTPUT may be two folders",
     2},
};

struct Request {
    Mode mode = Mode::Convert;
    std::string input;
    std::string output;
    bool monoDisplay = true;
    bool shrinkToFit = false;
    std::vector<Operation> operations;
    SaveOptions save;
};

/// A refusal or a usage fault: the message is printed and nothing is written. `path` is
/// the file the message is about (empty for a fault of the command line itself, or "usage"
/// for the short usage text).
struct Refused {
    std::string message;
    std::string path;
};

std::optional<long long> ParseInt(const std::string& text) {
    long long v = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end) return std::nullopt;
    return v;
}

int IntArgument(const std::string& option, const std::string& value) {
    const auto v = ParseInt(value);
    if (!v || *v < INT32_MIN || *v > INT32_MAX)
        throw Refused{option + ": 整数ではありません: " + value, ""};
    return int(*v);
}

int OneOf(const std::string& option, const std::string& value, std::initializer_list<int> allowed) {
    const int v = IntArgument(option, value);
    for (int a : allowed)
        if (a == v) return v;
    throw Refused{option + ": 指定できない値です: " + value, ""};
}

Operation ParseOperation(OpKind kind, const std::string& option, const std::string& value) {
    Operation op{kind};
    switch (kind) {
        case OpKind::Threshold:
            // Outside 0 to 255 every pixel would come out black, or every one white.
            op.threshold = IntArgument(option, value);
            if (op.threshold < 0 || op.threshold > 255)
                throw Refused{option + ": 0 から 255 までで指定してください: " + value, ""};
            break;
        case OpKind::Crop: {
            std::istringstream in(value);
            std::string part;
            std::vector<int> n;
            while (std::getline(in, part, ',')) n.push_back(IntArgument(option, part));
            if (n.size() != 4)
                throw Refused{option + ": X,Y,W,H の形で指定してください: " + value, ""};
            op.x = n[0], op.y = n[1], op.w = n[2], op.h = n[3];
            break;
        }
        case OpKind::Ink: {
            unsigned rgb = 0;
            const auto res = std::from_chars(value.data(), value.data() + value.size(), rgb, 16);
            if (value.size() != 6 || res.ec != std::errc() ||
                res.ptr != value.data() + value.size())
                throw Refused{option + ": RRGGBB の16進で指定してください: " + value, ""};
            op.ink =
                RgbQuad{uint8_t(rgb & 0xFF), uint8_t((rgb >> 8) & 0xFF), uint8_t(rgb >> 16), 0};
            break;
        }
        default:
            break;
    }
    return op;
}

/// The group of the options that say how the output is written.
constexpr const char* kOutputOptions = "Output options";

/// The command line: CLI11 reads it, and the operations are taken in the order they were
/// given (CLI11's parse order), each with its own value.
class CommandLine {
  public:
    CommandLine() : app_("The viewer's picture operations and save command, without a window.") {
        app_.name(kProgram);
        app_.footer(kFooter);
        app_.set_version_flag("--version", std::string(kProgram) + " " + ProgramVersion());
        app_.add_option("INPUT", input_, "The picture to load (with --drawing, or a folder)")
            ->required();
        app_.add_option("OUTPUT", output_,
                        "The file to write (not with --info; with --drawing, a .tif file or\n"
                        "a folder)");

        const char* modes = "Modes";
        for (const ModeRow& row : kModes) {
            if (*row.flag)
                modes_.push_back(
                    {app_.add_flag(row.flag)->description(row.help)->group(modes), row.mode});
        }

        const char* ops = "Operations (applied in the order given)";
        AddOperation("--rotate-left", OpKind::RotateLeft, "A quarter turn to the left", ops);
        AddOperation("--rotate-right", OpKind::RotateRight, "A quarter turn to the right", ops);
        AddOperation("--threshold", OpKind::Threshold,
                     "One bit: black where the mean of the channels is below T (0-255)", ops, "T");
        AddOperation("--gray", OpKind::Gray, "8-bit gray", ops);
        AddOperation("--dither", OpKind::Dither, "One bit by error diffusion", ops);
        AddOperation("--despeckle", OpKind::Despeckle,
                     "3 x 3 median of specks (the viewer's \"ゴミ取り\")", ops);
        AddOperation("--crop", OpKind::Crop,
                     "The rectangle cut out; beyond the picture it is white", ops, "X,Y,W,H");
        AddOperation("--ink", OpKind::Ink, "The colour of the black of a one-bit picture", ops,
                     "RRGGBB");

        const char* drawing = "Drawing options";
        shrinkToFit_ = app_.add_flag("--shrink-to-fit")
                           ->description(
                               "With --drawing: content larger than B4 is scaled "
                               "down to fit\n(the factor is told) instead of refused")
                           ->group(drawing);

        const char* input = "Input options";
        app_.add_flag("--no-mono-display", noMonoDisplay_,
                      "Load a one-bit file as colour (monochrome display off)")
            ->group(input);

        // As before CLI11, an output option given twice counts the last time.
        const char* output = kOutputOptions;
        app_.add_option("--compression", compression_,
                        "TIFF compression (g3 and g4 make the picture one bit)")
            ->type_name("none|lzw|zip|g3|g4")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
            ->default_str("g4")
            ->group(output);
        app_.add_option("--dpi", dpi_, "The resolution written")
            ->type_name("200|300|400|600")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
            ->default_str("400")
            ->group(output);
        app_.add_option("--jpeg-quality", jpegQuality_, "JPEG quality")
            ->type_name("100|90|80|70|60")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
            ->default_str("80")
            ->group(output);
        app_.add_flag("--jpeg-gray", jpegGray_, "A one-component gray JPEG")->group(output);
    }

    CLI::App& App() { return app_; }

    /// The request after a successful parse; throws Refused for values the viewer does not
    /// offer and for paths that do not fit the mode.
    Request Build() const {
        Request r;
        const CLI::Option* modeOption = nullptr;
        for (const auto& [option, mode] : modes_) {
            if (option->count() == 0) continue;
            if (modeOption)
                throw Refused{modeOption->get_name() + " と " + option->get_name() +
                                  " は同時に指定できません",
                              ""};
            modeOption = option;
            r.mode = mode;
        }
        // A drawing is always a G4 TIFF at 400 dpi; an output option would be ignored.
        if (r.mode == Mode::Drawing)
            for (const CLI::Option* option : app_.get_options(
                     [](const CLI::Option* o) { return o->get_group() == kOutputOptions; }))
                if (option->count() > 0)
                    throw Refused{"--drawing は G4 400dpi の TIFF を書きます: " +
                                      option->get_name() + " は指定できません",
                                  ""};
        if (shrinkToFit_->count() > 0 && r.mode != Mode::Drawing)
            throw Refused{"--shrink-to-fit は --drawing と使います", ""};
        r.shrinkToFit = shrinkToFit_->count() > 0;
        const ModeRow& row = *std::find_if(std::begin(kModes), std::end(kModes),
                                           [&](const ModeRow& m) { return m.mode == r.mode; });
        if ((row.paths == 2) != !output_.empty()) throw Refused{"", "usage"};
        r.input = input_;
        r.output = output_;
        r.monoDisplay = !noMonoDisplay_;

        std::map<const CLI::Option*, size_t> used;
        for (const CLI::Option* option : app_.parse_order()) {
            const auto kind = operations_.find(option);
            if (kind == operations_.end()) continue;
            const size_t k = used[option]++;
            const std::vector<std::string>& values = option->results();
            const std::string value = k < values.size() ? values[k] : std::string();
            r.operations.push_back(ParseOperation(kind->second, option->get_name(), value));
        }

        r.save.compression = TiffCompression::G4;  // the settings dialog's initial choice
        if (!compression_.empty()) {
            static const std::map<std::string, TiffCompression> kNames = {
                {"none", TiffCompression::None},
                {"lzw", TiffCompression::Lzw},
                {"zip", TiffCompression::Zip},
                {"g3", TiffCompression::G3},
                {"g4", TiffCompression::G4}};
            const auto it = kNames.find(compression_);
            if (it == kNames.end())
                throw Refused{"--compression: 指定できない値です: " + compression_, ""};
            r.save.compression = it->second;
        }
        if (!dpi_.empty()) r.save.dpi = OneOf("--dpi", dpi_, {200, 300, 400, 600});
        if (!jpegQuality_.empty())
            r.save.jpegQuality = OneOf("--jpeg-quality", jpegQuality_, {100, 90, 80, 70, 60});
        r.save.jpegGray = jpegGray_;
        return r;
    }

  private:
    void AddOperation(const char* name, OpKind kind, const char* help, const char* group,
                      const char* valueName = nullptr) {
        CLI::Option* option =
            valueName ? app_.add_option(name)->description(help)->type_name(valueName)->take_all()
                      : app_.add_flag(name)->description(help);
        option->group(group);
        operations_[option] = kind;
    }

    CLI::App app_;
    std::string input_, output_;
    std::vector<std::pair<const CLI::Option*, Mode>> modes_;
    std::map<const CLI::Option*, OpKind> operations_;
    const CLI::Option* shrinkToFit_ = nullptr;
    bool noMonoDisplay_ = false;
    std::string compression_, dpi_, jpegQuality_;
    bool jpegGray_ = false;
};

/// Runs one operation as the viewer's command would, or refuses it with the viewer's text.
void Apply(const Operation& op, Bitmap& picture, const std::string& input) {
    auto refuse = [&](std::optional<std::string_view> why) {
        if (why) throw Refused{std::string(*why), input};
    };
    switch (op.kind) {
        case OpKind::RotateLeft:
            picture = RotateLeft(picture);
            break;
        case OpKind::RotateRight:
            picture = RotateRight(picture);
            break;
        case OpKind::Threshold:
            refuse(ThresholdRefusal(picture));
            picture = ThresholdToMono(picture, 255 - op.threshold);
            break;
        case OpKind::Gray:
            picture = GrayOf(picture);
            break;
        case OpKind::Dither:
            refuse(DitherRefusal(picture));
            picture = DitherToMono(picture);
            break;
        case OpKind::Despeckle:
            picture = DespeckleBitmap(picture, kDespeckleStrength);
            break;
        case OpKind::Crop:
            refuse(CutOutRefusal(op.w, op.h));
            picture = CutOut(picture, op.x, op.y, op.w, op.h);
            break;
        case OpKind::Ink:
            refuse(InkColorRefusal(picture));
            SetMonoColorTable(picture, op.ink);
            break;
    }
}

/// --drawing: the threshold and the despeckle become the drawing's own one-bit step; the
/// other operations run before it, in their order, on each picture loaded.
DrawingRequest DrawingRequestOf(const Request& r) {
    DrawingRequest d;
    d.input = r.input;
    d.output = r.output;
    d.monoDisplay = r.monoDisplay;
    d.options.shrinkToFit = r.shrinkToFit;
    std::vector<Operation> before;
    for (const Operation& op : r.operations) {
        if (op.kind == OpKind::Threshold)
            d.options.threshold = op.threshold;
        else if (op.kind == OpKind::Despeckle)
            d.options.despeckle = true;
        else
            before.push_back(op);
    }
    if (!before.empty())
        d.operations = [before](Bitmap& picture) {
            try {
                for (const Operation& op : before) Apply(op, picture, std::string());
            } catch (const Refused& refused) {
                throw Error(refused.message);
            }
        };
    return d;
}

std::string DpiText(float v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

void PrintInfo(const LoadedPicture& p, std::ostream& out) {
    out << "ImageType：" << p.imageTypeName << "\n"
        << "PixelFormat：" << p.pixelFormatName << "\n"
        << "Size：" << p.picture.Width() << " x " << p.picture.Height() << " pixel\n"
        << "Resolution：" << DpiText(p.resolution.DpiX) << " x " << DpiText(p.resolution.DpiY)
        << " dpi\n"
        << "Bitmap：" << BitmapFormatName(p.picture.Format()) << "\n";
}

/// Whether what went to standard output reached it; says so on standard error when not.
bool Written(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out) return true;
    err << kProgram << ": " << OutputErrorText(out.rdbuf()) << '\n';
    return false;
}

// One line a fault: the program, the file it is about, and the message on one line.
void PrintError(std::ostream& out, std::ostream& err, const std::string& path,
                const std::string& message) {
    out.flush();
    err << ErrorLine(kProgram, path, message);
}

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    Request r;
    try {
        // CLI11 takes the arguments without the program's name, last one first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        if (!reversed.empty()) reversed.pop_back();
        line.App().parse(reversed);
        r = line.Build();
    } catch (const CLI::Success& e) {  // --help, --version
        line.App().exit(e, out, err);
        return Written(out, err) ? kConvertDone : kConvertFailed;
    } catch (const CLI::ParseError& e) {
        PrintError(out, err, "", std::string(e.what()) + " (--help)");
        return kConvertFailed;
    } catch (const Refused& refused) {
        if (refused.path == "usage")
            err << kUsage;
        else
            PrintError(out, err, refused.path, refused.message);
        return kConvertFailed;
    }
    try {
        switch (r.mode) {
            case Mode::Info: {
                const LoadedPicture loaded = LoadPicture(r.input, r.monoDisplay);
                PrintInfo(loaded, out);
                return Written(out, err) ? kConvertDone : kConvertFailed;
            }
            case Mode::Convert: {
                // The output's type is known before the picture is loaded.
                const SaveTarget target = ResolveSaveTarget(r.output, 5);
                if (!target.type) throw Refused{UnsupportedExtensionText(r.output), r.output};
                LoadedPicture loaded = LoadPicture(r.input, r.monoDisplay);
                for (const Operation& op : r.operations) Apply(op, loaded.picture, r.input);
                SavePicture(loaded.picture, r.output, *target.type, r.save);
                return kConvertDone;
            }
            case Mode::Drawing:
                // Its files are refused one by one with their own lines, and its report
                // blocks go to `out`, whose write errors it names itself.
                return RunDrawingCommand(DrawingRequestOf(r), out, err);
        }
    } catch (const Refused& refused) {
        PrintError(out, err, refused.path, refused.message);
    } catch (const SaveFailure& e) {
        std::string text = e.what();
        if (!e.Detail().empty()) text += " (" + e.Detail() + ")";
        PrintError(out, err, r.output, text);
    } catch (const DecodeError& e) {
        std::string text = e.what();
        if (!e.Reason().empty()) text += "(" + e.Reason() + ")";
        PrintError(out, err, r.input, text);
    } catch (const Error& e) {
        PrintError(out, err, r.input, e.what());
    } catch (const std::bad_alloc&) {
        PrintError(out, err, r.input, "メモリが不足しています");
    }
    return kConvertFailed;
}

}  // namespace vellumo
