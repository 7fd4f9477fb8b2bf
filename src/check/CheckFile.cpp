#include "check/CheckFile.h"

#include <optional>
#include <string_view>

#include "check/DrawingJudgement.h"
#include "check/ReportFormat.h"
#include "inspect/ByteOrder.h"
#include "inspect/ImageType.h"
#include "platform/FileInfo.h"
#include "platform/FileSource.h"
#include "platform/ResolutionReader.h"

namespace vellumo {

namespace {

constexpr std::string_view kFilePath = " FilePath    ：";
constexpr std::string_view kFileName = " ファイル名　：";
constexpr std::string_view kImageType = " 画像型式　　：";
constexpr std::string_view kResolution = " 解像度　　　：";
constexpr std::string_view kDataSize = " データサイズ：";
constexpr std::string_view kWidth = " 巾　(Width) ：";
constexpr std::string_view kHeight = " 高さ(Height)：";
constexpr std::string_view kDateTime = " 日付時刻　　：";

std::string Join(std::string_view a, std::string_view b, std::string_view c = {}) {
    std::string s;
    s.reserve(a.size() + b.size() + c.size());
    s += a;
    s += b;
    s += c;
    return s;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

void WriteShortReport(const ImageInfo& info, std::string_view fileName, ReportView& view) {
    view.AppendLine(Join(kFileName, fileName));
    const std::string_view ext = FileExtension(fileName);
    const std::string_view wrongExt = "（拡張子が違います。）";
    std::string line(kImageType);
    switch (info.typeCode) {
        case kTypeExe:
            line += "Exe or Dllファイル";
            if (!EqualsIgnoringCase(ext, ".exe") && !EqualsIgnoringCase(ext, ".dll"))
                line += wrongExt;
            break;
        case kTypeZip:
            line += "Zip 型式圧縮ファイル";
            if (!EqualsIgnoringCase(ext, ".zip")) line += wrongExt;
            break;
        case kTypePdf:
            line += "PDF ファイル";
            if (!EqualsIgnoringCase(ext, ".pdf")) line += wrongExt;
            break;
        default:
            line += "不明・未対応型式";
            break;
    }
    view.AppendLine(line);
}

}  // namespace

std::string PlainDataSizeLine(uint64_t size) {
    const std::string bytes = FormatThousands(static_cast<int64_t>(size));
    if (size <= 1048576) {
        return Join(kDataSize, FormatFixed(static_cast<double>(size) / 1024.0, 1),
                    " KB (" + bytes + "Byte)");
    }
    return Join(kDataSize, FormatFixed(static_cast<double>(size) / 1048576.0, 2),
                " MB (" + bytes + "Byte)");
}

namespace {

std::string ResolutionTextOf(const FileResolution& res) {
    const double x = RoundHalfEven(res.dpiX), y = RoundHalfEven(res.dpiY);
    // A value that is not a number fails every comparison, so it is caught here too.
    if (!res.decoded || !(x > 0) || !(y > 0)) return "-";
    return FormatShortest(x) + " x " + FormatShortest(y) + " dpi";
}

}  // namespace

std::string ResolutionText(const std::string& path) {
    return ResolutionTextOf(ReadFileResolution(path));
}

CheckResult CheckFile(const std::string& path, const CheckOptions& options, ReportView& view,
                      const std::string& shownPath) {
    view.SetStatus("");
    CheckResult result;
    ImageInfo& info = result.info;
    std::optional<FileSource> file = FileSource::Open(path);
    ReadImageInfo(file ? &*file : nullptr, path, options.ghostscriptAvailable, info);

    const std::string& shown = shownPath.empty() ? path : shownPath;
    const std::string fileName(FileNameOf(shown));
    const bool tiff = IsTiff(info.typeCode);
    if (tiff && !info.headerRead) {
        view.SetStatus("　ファイル名【 " + fileName + " 】 は 解析に失敗しました。");
        view.AppendLine("\r\n" + Join(kFileName, fileName, " 【解析失敗】"));
    }
    if (view.ShowingUsage()) view.BeginReports();
    view.AppendLine("");
    // The folder as a file manager hands it over, also for a path relative to the working
    // folder (the command line's).
    if (options.showPath) view.AppendLine(Join(kFilePath, FolderOf(AbsolutePath(shown))));
    if (!info.headerRead) {
        WriteShortReport(info, fileName, view);
        return result;
    }

    const bool c = options.drawingCheck;
    const bool e = info.extensionMatches;
    // The file is open: its size and time are those it had when the check began. The size
    // is 64-bit, so files of 2 GiB and more are not shown with negative sizes.
    const uint64_t size = file->Size();

    if (tiff && c) {
        // 1, 2, 4 to 8: the drawing check
        result.judgedLines = JudgeDrawing(fileName, info, size);
        for (const JudgedLine& line : result.judgedLines) view.AppendLine(line.text);
        result.verdict = VerdictOf(result.judgedLines);
    } else {
        // 1: the file-name line
        if (!e) {
            view.AppendLine(Join(kFileName, fileName, "（拡張子不正）"));
        } else if (c) {
            view.AppendLine(Join(kFileName, fileName, " 【画像型式が違います。】"));
        } else {
            view.AppendLine(Join(kFileName, fileName));
        }
        // 2: the image type
        view.AppendLine(c && e ? Join(kImageType, info.typeName)
                               : Join(kImageType, info.typeName, " 型式"));
        // 3: the decoder's resolution, for the report without drawing check
        if (!c && e) {
            view.AppendLine(Join(kResolution, ResolutionTextOf(ReadFileResolution(*file))));
        }
        // 5 and 7: the data size
        if (info.resolutionUnit == 0 || info.resolutionUnit == 2) {
            const std::string_view ext = FileExtension(fileName);
            if (!(c && (ext == ".tif" || ext == ".TIF"))) view.AppendLine(PlainDataSizeLine(size));
        } else {
            view.AppendLine(kUncomputableDataSizeLine);
        }
    }
    // 9 to 11
    view.AppendLine(Join(kWidth, std::to_string(info.width), " pixel"));
    view.AppendLine(Join(kHeight, std::to_string(info.height), " pixel"));
    view.AppendLine(Join(kDateTime, FormatDosDateTime(file->ModifiedTime())));
    // 12: the byte order in the status line
    // A TIFF keeps its type only when its header is in the first four bytes.
    if (info.typeCode == kTypeTiffLittle) {
        view.SetStatus(" □ImageFileHeadr ： $49492A00 （Tiff - Little Endian）");
    } else if (info.typeCode == kTypeTiffBig) {
        view.SetStatus(" □ImageFileHeadr ： $4D4D002A （Tiff - Big Endian）");
    }
    // 13
    view.FocusReport();
    return result;
}

}  // namespace vellumo
