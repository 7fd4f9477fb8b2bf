#pragma once
// vellumo-convert --drawing: any scan, picture or PDF page to a B4 drawing at 400 dpi saved
// as G4, then checked from disk with the checker's rules.

#include <functional>
#include <iosfwd>
#include <string>

#include "document/DrawingPipeline.h"
#include "platform/Bitmap.h"

namespace vellumo {

/// Exit statuses: 0 every drawing written passes, 1 some written drawing has faults, 2 some
/// input was refused or could not be read (nothing is written for it), or the report could
/// not be written.
enum DrawingExit { kDrawingPassed = 0, kDrawingFaulty = 1, kDrawingRefused = 2 };

struct DrawingRequest {
    /// A picture or PDF file and the drawing to write; or a folder of them and the folder
    /// the drawings go to (created when missing), each named after its picture.
    std::string input;
    std::string output;
    DrawingOptions options;
    /// The viewer's "モノクロ画像は２値化して表示する".
    bool monoDisplay = true;
    /// The operations asked before the drawing's own steps, run in order on each loaded
    /// picture; a refusal is thrown as Error with the viewer's text.
    std::function<void(Bitmap&)> operations;
};

/// Runs the request: for each picture its report block on `out` (a folder also gets a
/// summary line), refusals and notes (a turn, a shrink) on `err`, one line each. Returns the
/// worst DrawingExit of its files; a failed write to `out` is said on `err` and ends a
/// folder's run with kDrawingRefused. Ctrl-C or a termination request stops a PDF conversion and
/// the files not begun.
int RunDrawingCommand(const DrawingRequest& request, std::ostream& out, std::ostream& err);

}  // namespace vellumo
