#include "cli/ConvertCommand.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/DrawingCommand.h"
#include "crop/CutOut.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/ReductionMessages.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"
#include "save/SaveFormats.h"
#include "viewer/LoadPicture.h"

namespace vellumo {

namespace {

constexpr const char* kUsage =
    "usage: vellumo-convert INPUT OUTPUT [operation...] [output option...]\n"
    "       vellumo-convert INPUT --info [--no-mono-display]\n"
    "operations, applied in the order given:\n"
    "  --rotate-left  --rotate-right  --threshold T  --gray  --dither  --despeckle\n"
    "  --crop X,Y,W,H  --ink RRGGBB\n"
    "input:  --no-mono-display   load a one-bit file as colour (the viewer's display option off)\n"
    "output (the type follows the extension: .tif .jpg .bmp .png):\n"
    "  --compression none|lzw|zip|g3|g4 (g4)  --dpi 200|300|400|600 (400)\n"
    "  --jpeg-quality 100|90|80|70|60 (80)  --jpeg-gray\n"
    "drawing: vellumo-convert INPUT OUTPUT.tif --drawing [--shrink-to-fit] [operation...]\n"
    "         vellumo-convert --drawing INPUT-FOLDER OUTPUT-FOLDER [--shrink-to-fit] [operation...]\n"
    "  true scale at 400 dpi, landscape, on a B4 page, one bit (--threshold T, 128),\n"
    "  --despeckle on the one-bit drawing; written as G4 and checked\n";

enum class OpKind { RotateLeft, RotateRight, Threshold, Gray, Dither, Despeckle, Crop, Ink };

struct Operation {
    OpKind kind;
    int threshold = 0;
    int32_t x = 0, y = 0, w = 0, h = 0;
    RgbQuad ink{};
};

struct Request {
    std::string input;
    std::string output;
    bool info = false;
    bool monoDisplay = true;
    bool drawing = false;
    bool shrinkToFit = false;
    std::vector<Operation> operations;
    SaveOptions save;
};

/// A refusal or a usage fault: the message is printed and nothing is written.
struct Refused {
    std::string message;
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
        throw Refused{option + ": 整数ではありません: " + value};
    return int(*v);
}

int OneOf(const std::string& option, const std::string& value, std::initializer_list<int> allowed) {
    const int v = IntArgument(option, value);
    for (int a : allowed)
        if (a == v) return v;
    throw Refused{option + ": 指定できない値です: " + value};
}

Request Parse(const std::vector<std::string>& args) {
    Request r;
    r.save.compression = TiffCompression::G4;  // the settings dialog's initial choice
    std::vector<std::string> positional;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw Refused{a + ": 値がありません"};
            return args[++i];
        };
        if (a == "--rotate-left") r.operations.push_back({OpKind::RotateLeft});
        else if (a == "--rotate-right") r.operations.push_back({OpKind::RotateRight});
        else if (a == "--gray") r.operations.push_back({OpKind::Gray});
        else if (a == "--dither") r.operations.push_back({OpKind::Dither});
        else if (a == "--despeckle") r.operations.push_back({OpKind::Despeckle});
        else if (a == "--threshold") {
            Operation op{OpKind::Threshold};
            op.threshold = IntArgument(a, value());
            r.operations.push_back(op);
        } else if (a == "--crop") {
            const std::string v = value();
            Operation op{OpKind::Crop};
            std::istringstream in(v);
            std::string part;
            std::vector<int> n;
            while (std::getline(in, part, ',')) n.push_back(IntArgument(a, part));
            if (n.size() != 4) throw Refused{a + ": X,Y,W,H の形で指定してください: " + v};
            op.x = n[0], op.y = n[1], op.w = n[2], op.h = n[3];
            r.operations.push_back(op);
        } else if (a == "--ink") {
            const std::string v = value();
            unsigned rgb = 0;
            const auto res = std::from_chars(v.data(), v.data() + v.size(), rgb, 16);
            if (v.size() != 6 || res.ec != std::errc() || res.ptr != v.data() + v.size())
                throw Refused{a + ": RRGGBB の16進で指定してください: " + v};
            Operation op{OpKind::Ink};
            op.ink = RgbQuad{uint8_t(rgb & 0xFF), uint8_t((rgb >> 8) & 0xFF), uint8_t(rgb >> 16), 0};
            r.operations.push_back(op);
        } else if (a == "--compression") {
            const std::string v = value();
            if (v == "none") r.save.compression = TiffCompression::None;
            else if (v == "lzw") r.save.compression = TiffCompression::Lzw;
            else if (v == "zip") r.save.compression = TiffCompression::Zip;
            else if (v == "g3") r.save.compression = TiffCompression::G3;
            else if (v == "g4") r.save.compression = TiffCompression::G4;
            else throw Refused{a + ": 指定できない値です: " + v};
        } else if (a == "--dpi") r.save.dpi = OneOf(a, value(), {200, 300, 400, 600});
        else if (a == "--jpeg-quality") r.save.jpegQuality = OneOf(a, value(), {100, 90, 80, 70, 60});
        else if (a == "--jpeg-gray") r.save.jpegGray = true;
        else if (a == "--no-mono-display") r.monoDisplay = false;
        else if (a == "--info") r.info = true;
        else if (a == "--drawing") r.drawing = true;
        else if (a == "--shrink-to-fit") r.shrinkToFit = true;
        else if (a.size() > 1 && a[0] == '-' && a != "-") throw Refused{"不明なオプションです: " + a};
        else positional.push_back(a);
    }
    const size_t wanted = r.info ? 1 : 2;
    if (positional.size() != wanted) throw Refused{""};
    r.input = positional[0];
    if (!r.info) r.output = positional[1];
    return r;
}

/// Runs one operation as the viewer's command would, or refuses it with the viewer's text.
void Apply(const Operation& op, Bitmap& picture) {
    auto refuse = [](std::optional<std::string_view> why) {
        if (why) throw Refused{std::string(*why)};
    };
    switch (op.kind) {
    case OpKind::RotateLeft: picture = RotateLeft(picture); break;
    case OpKind::RotateRight: picture = RotateRight(picture); break;
    case OpKind::Threshold:
        refuse(ThresholdRefusal(picture));
        picture = ThresholdToMono(picture, 255 - op.threshold);
        break;
    case OpKind::Gray: picture = GrayOf(picture); break;
    case OpKind::Dither:
        refuse(DitherRefusal(picture));
        picture = DitherToMono(picture);
        break;
    case OpKind::Despeckle: picture = DespeckleBitmap(picture, kDespeckleStrength); break;
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

std::string Text(std::string_view s) { return WithLfLineEnds(s); }

/// --drawing: the threshold and the despeckle become the drawing's own one-bit step; the
/// other operations run before it, in their order. The output options are the drawing's.
DrawingRequest DrawingRequestOf(const Request& r) {
    const SaveOptions defaults{TiffCompression::G4};
    if (r.info || r.save.compression != defaults.compression || r.save.dpi != defaults.dpi ||
        r.save.jpegQuality != defaults.jpegQuality || r.save.jpegGray)
        throw Refused{"--drawing は G4 400dpi の TIFF を書きます: 出力の指定はできません"};
    DrawingRequest d;
    d.input = r.input;
    d.output = r.output;
    d.monoDisplay = r.monoDisplay;
    d.options.shrinkToFit = r.shrinkToFit;
    std::vector<Operation> before;
    for (const Operation& op : r.operations) {
        if (op.kind == OpKind::Threshold) d.options.threshold = op.threshold;
        else if (op.kind == OpKind::Despeckle) d.options.despeckle = true;
        else before.push_back(op);
    }
    d.operations = [before](Bitmap& picture) {
        try {
            for (const Operation& op : before) Apply(op, picture);
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

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const Request r = Parse(args);
        if (r.drawing) return RunDrawingCommand(DrawingRequestOf(r), out, err);
        if (r.shrinkToFit) throw Refused{"--shrink-to-fit は --drawing と使います"};
        std::optional<SaveType> type;
        if (!r.info) {
            const SaveTarget target = ResolveSaveTarget(r.output, 5);
            if (!target.type) throw Refused{Text(UnsupportedExtensionText(r.output))};
            type = target.type;
        }
        LoadedPicture loaded = LoadPicture(r.input, r.monoDisplay);
        if (r.info) {
            PrintInfo(loaded, out);
            return kConvertDone;
        }
        for (const Operation& op : r.operations) Apply(op, loaded.picture);
        SavePicture(loaded.picture, r.output, *type, r.save);
        return kConvertDone;
    } catch (const Refused& refused) {
        if (refused.message.empty()) err << kUsage;
        else err << "vellumo-convert: " << refused.message << "\n";
    } catch (const SaveFailure& e) {
        err << "vellumo-convert: " << Text(e.what());
        if (!e.Detail().empty()) err << " (" << Text(e.Detail()) << ")";
        err << "\n";
    } catch (const DecodeError& e) {
        err << "vellumo-convert: " << Text(e.what());
        if (!e.Reason().empty()) err << "(" << Text(e.Reason()) << ")\n";
    } catch (const Error& e) {
        err << "vellumo-convert: " << Text(e.what()) << "\n";
    } catch (const std::bad_alloc&) {
        err << "vellumo-convert: メモリが不足しています\n";
    }
    return kConvertFailed;
}

}  // namespace vellumo
