#pragma once
// What printing needs of a printing system: the installed printers, the current one and its
// sheet, and a job that draws a frame and a picture in tenths of a millimetre. The program
// uses Qt's printing over CUPS; the tests put a recording printer in its place.

#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "print/PaperGeometry.h"

namespace vellumo {

class PrinterBackend {
  public:
    virtual ~PrinterBackend() = default;

    /// The installed printers' names, local and connected, without hidden ones.
    virtual std::vector<std::string> PrinterNames() = 0;
    /// The system's default printer ("" when there is none).
    virtual std::string DefaultPrinterName() = 0;
    /// The current printer's name ("" when there is none).
    virtual std::string CurrentPrinterName() = 0;
    /// Makes `name` current; a name that matches no installed printer makes the system's
    /// default printer current.
    virtual void SetCurrentPrinter(const std::string& name) = 0;
    /// Sets the sheet by its standard paper-size code (8 A3, 12 JIS B4, 9 A4) where the
    /// printer has that paper; false (and nothing changed) where it has not.
    virtual bool SetPaperCode(int code) = 0;
    /// Sets landscape where the printer can; false where it cannot.
    virtual bool SetLandscape() = 0;
    /// The current printer's figures for its current sheet (all zero without a printer).
    virtual DeviceCaps Caps() = 0;
    /// Whether the printer makes several copies of a job itself.
    virtual bool MakesCopies() = 0;

    /// Starts a job on the current printer. Throws Error when it cannot be started.
    virtual void BeginJob(const std::string& title, int copies) = 0;
    /// The canvas's coordinate system from here on (device pixels from the printable area's
    /// corner, as the printer reports its offsets).
    virtual void SetTransform(const PageTransform& transform) = 0;
    /// A rectangle's outline, solid black, `penWidth` logical units wide, no fill.
    virtual void DrawFrame(const LogicalRect& rect, int penWidth) = 0;
    /// The whole 24-bit picture stretched into `rect`, pixel for pixel with no smoothing.
    virtual void DrawPicture(const Bitmap& picture24, const LogicalRect& rect) = 0;
    /// Ends the job: it goes to the printer.
    virtual void EndJob() = 0;
    /// Drops a started job: nothing is printed.
    virtual void AbortJob() = 0;
};

}  // namespace vellumo
