#pragma once
// A printing system for tests: installed printers as told, a sheet as told, and every job
// recorded call by call instead of printed.

#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "print/PrinterBackend.h"

namespace vellumo::test {

class RecordingPrinter : public PrinterBackend {
  public:
    struct Job {
        std::string printer;
        std::string title;
        int copies = 0;
        PageTransform transform;
        std::vector<std::pair<LogicalRect, int>> frames;  // rectangle, pen width
        std::optional<LogicalRect> picture;
        uint32_t pictureWidth = 0, pictureHeight = 0;
        PixelFormat pictureFormat = PixelFormat::Device;
        std::vector<uint8_t> firstRow;  // the picture's top row as drawn
        bool ended = false, aborted = false;
    };

    std::vector<std::string> installed{"Office", "DocuWorks Printer", "archive"};
    std::string defaultPrinter = "Office";
    std::string current;
    DeviceCaps caps{600, 600, 9921, 7016, 100, 120};
    bool makesCopies = true;
    /// Paper codes the printer has (others are refused).
    std::vector<int> papers{8, 12, 9};
    bool canTurn = true;
    /// Fails the drawing of the picture with this text, when set.
    std::optional<std::string> failDrawing;

    std::vector<int> paperCodesSet;
    int landscapeSet = 0;
    std::vector<Job> jobs;

    std::vector<std::string> PrinterNames() override { return installed; }
    std::string DefaultPrinterName() override { return defaultPrinter; }
    std::string CurrentPrinterName() override { return current; }
    void SetCurrentPrinter(const std::string& name) override {
        bool known = false;
        for (const std::string& n : installed) known |= n == name;
        current = known ? name : defaultPrinter;
    }
    bool SetPaperCode(int code) override {
        for (int p : papers)
            if (p == code) {
                paperCodesSet.push_back(code);
                return true;
            }
        return false;
    }
    bool SetLandscape() override {
        if (canTurn) ++landscapeSet;
        return canTurn;
    }
    DeviceCaps Caps() override { return installed.empty() ? DeviceCaps{} : caps; }
    bool MakesCopies() override { return makesCopies; }
    void BeginJob(const std::string& title, int copies) override {
        Job job;
        job.printer = current;
        job.title = title;
        job.copies = copies;
        jobs.push_back(job);
    }
    void SetTransform(const PageTransform& t) override { jobs.back().transform = t; }
    void DrawFrame(const LogicalRect& rect, int penWidth) override {
        jobs.back().frames.push_back({rect, penWidth});
    }
    void DrawPicture(const Bitmap& picture, const LogicalRect& rect) override {
        if (failDrawing) throw Error(*failDrawing);
        Job& job = jobs.back();
        job.picture = rect;
        job.pictureWidth = picture.Width();
        job.pictureHeight = picture.Height();
        job.pictureFormat = picture.Format();
        if (picture.Height() > 0)
            job.firstRow.assign(picture.Row(0), picture.Row(0) + picture.Stride());
    }
    void EndJob() override { jobs.back().ended = true; }
    void AbortJob() override { jobs.back().aborted = true; }
};

}  // namespace vellumo::test
