#pragma once
// Values the whole program shares between the checker and the viewer. The caller (the
// checker window, the command line, a test) owns one and hands it to the checks.

namespace vellumo {

struct ProgramValues {
    /// The resolution the viewer shows, in dots per inch (single precision); written by the
    /// report's resolution text and by the drawing resolution rule, 0 when unknown.
    float ShownDpi = 0;
};

}  // namespace vellumo
