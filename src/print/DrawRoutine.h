#pragma once
// One print job of the viewed picture: the job title, the copies, the coordinate system of
// the sheet, the frame on A3 and the picture in its placement.

#include <string>

#include "platform/Bitmap.h"
#include "print/PaperGeometry.h"
#include "print/PrinterBackend.h"

namespace vellumo {

struct PrintRequest {
    std::string viewedFile;  ///< the title is its file name; "" for no title
    int copies = 1;          ///< 1 to 3, as the print panel asks
    PaperChoice paper = PaperChoice::A3;
    bool waku = true;  ///< the frame around the picture on A3
};

/// Prints `picture` on the backend's current printer and sheet (`sheet` from its figures).
/// The picture is drawn from a 24-bit copy. When anything fails once the job has begun, the
/// job is dropped (nothing half-drawn goes to the printer) and the error passes on.
void DrawRoutine(PrinterBackend& printer, const PaperScale& sheet, const Bitmap& picture,
                 const PrintRequest& request);

}  // namespace vellumo
