#include "print/DrawRoutine.h"

namespace vellumo {

void DrawRoutine(PrinterBackend& printer, const PaperScale& sheet, const Bitmap& picture,
                 const PrintRequest& request) {
    const std::string title = JobTitle(request.viewedFile);
    const int copies = JobCopies(request.copies, printer.MakesCopies());
    const PrintLayout layout =
        LayOutPicture(request.paper, request.waku, picture.Width(), picture.Height(), sheet);
    // The working copy, made before the job begins: a picture too large to copy fails
    // without a job.
    const Bitmap rgb = ConvertTo24(picture);

    printer.BeginJob(title, copies);
    try {
        printer.SetTransform(Scalling(sheet));
        if (layout.frame) printer.DrawFrame(*layout.frame, kFramePenWidth);
        printer.DrawPicture(rgb, layout.placement);
    } catch (...) {
        printer.AbortJob();
        throw;
    }
    printer.EndJob();
}

}  // namespace vellumo
