#pragma once
// What the viewer shows and works on, without its window: the picture and the real-time
// preview's source, the file it came from, what the decoder called it, its resolution, the
// crop rectangle and the ink colour of one-bit pictures. Every command changes these through
// the imaging, crop and load functions and then tells its observers once what changed, so a
// window that draws the picture cannot miss a change (also when a command fails after it
// changed the picture in place).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crop/CropFrame.h"
#include "document/DrawingPipeline.h"
#include "document/LoadPicture.h"
#include "document/ReadResolution.h"
#include "platform/Bitmap.h"

namespace vellumo {

/// One part of the document; a notification carries the set of parts that changed.
enum class DocumentPart : uint8_t {
    Picture = 1 << 0,     ///< the picture's pixels, size, format or palette
    Preview = 1 << 1,     ///< the real-time preview's source
    File = 1 << 2,        ///< FileName2, OrgFName, DropFname, PdfConverted
    Decoder = 1 << 3,     ///< ImageTypeName, PixelFormatName
    Resolution = 1 << 4,  ///< the resolutions and millimetre factors
    Crop = 1 << 5,        ///< the crop rectangle
    Ink = 1 << 6,         ///< the ink colour
};

/// A set of document parts.
class DocumentChanges {
  public:
    constexpr DocumentChanges() = default;
    constexpr DocumentChanges(DocumentPart part) : bits_(uint8_t(part)) {}
    constexpr bool Has(DocumentPart part) const { return bits_ & uint8_t(part); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr DocumentChanges operator|(DocumentChanges other) const {
        return FromBits(uint8_t(bits_ | other.bits_));
    }
    constexpr bool operator==(const DocumentChanges&) const = default;

  private:
    static constexpr DocumentChanges FromBits(uint8_t bits) {
        DocumentChanges c;
        c.bits_ = bits;
        return c;
    }
    uint8_t bits_ = 0;
};

constexpr DocumentChanges operator|(DocumentPart a, DocumentPart b) {
    return DocumentChanges(a) | b;
}

/// The file identity of the viewed picture. `FileName2` is the file shown (the temporary
/// TIFF for a converted PDF), `OrgFName` the file it came from, `PdfConverted` whether it
/// came through the PDF conversion.
struct FileIdentity {
    std::string FileName2;
    std::string OrgFName;
    bool PdfConverted = false;
    bool operator==(const FileIdentity&) const = default;
};

/// How the load reads a file: the monochrome display option and the threshold a
/// "BlackWhite" file is reduced at.
struct LoadChoices {
    bool monoDisplay = true;
    int threshold = kInitialThreshold;
};

class ViewerDocument {
  public:
    using Observer = std::function<void(DocumentChanges)>;

    ViewerDocument() = default;
    ViewerDocument(const ViewerDocument&) = delete;
    ViewerDocument& operator=(const ViewerDocument&) = delete;

    /// `observer` is told after every change, in the order observers were added.
    void Observe(Observer observer);

    // ---- state ---------------------------------------------------------------------------
    const Bitmap& Picture() const { return picture_; }
    /// The 8-bit gray picture the real-time preview thresholds (`Image2`); empty while the
    /// preview is off.
    const Bitmap& Image2() const { return preview_; }
    bool PreviewOn() const { return !preview_.Empty(); }
    const FileIdentity& Identity() const { return identity_; }
    const std::string& FileName2() const { return identity_.FileName2; }
    const std::string& OrgFName() const { return identity_.OrgFName; }
    bool PdfConverted() const { return identity_.PdfConverted; }
    /// The file last dropped on the viewer.
    const std::string& DropFname() const { return dropFname_; }
    const std::string& ImageTypeName() const { return imageTypeName_; }
    const std::string& PixelFormatName() const { return pixelFormatName_; }
    const ViewResolution& Resolution() const { return resolution_; }
    /// The crop frame in picture pixels, so it stays on the same pixels when the view's
    /// scale changes.
    const vellumo::CropRect& CropRect() const { return cropRect_; }
    RgbQuad InkColor() const { return ink_; }

    // ---- file identity -------------------------------------------------------------------
    void SetIdentity(FileIdentity identity);
    void SetFileName2(std::string path);
    void SetDropFname(std::string path);
    /// The resolution fields of the file at `path`.
    void ReadResolution(const std::string& path);

    // ---- load ----------------------------------------------------------------------------
    /// Makes `path` FileName2 and loads it: the picture, the decoder's names, the
    /// resolution and a new crop rectangle; the preview ends. Returns whether the picture
    /// is shown in one bit by the monochrome display option. Throws DecodeError with the
    /// viewer's text when the file cannot be read; the picture stays as it was then (and
    /// FileName2 names the file that failed, as the viewer's messages read it).
    bool Load(const std::string& path, LoadChoices choices);
    /// Loads FileName2 again: the undo of every reduction, rotation and cut-out.
    bool Reload(LoadChoices choices) { return Load(identity_.FileName2, choices); }
    /// Puts `picture` in place of the picture (a picture made elsewhere); the preview ends.
    void SetPicture(Bitmap picture);

    // ---- reductions ----------------------------------------------------------------------
    /// Reduces to one bit at `a` (a level in 0 to 255 is black below it), from the preview's
    /// gray picture while the preview is on, else from the picture; black ink.
    void Threshold(int a);
    /// The picture made an 8-bit gray picture.
    void ToGray();
    /// The picture dithered to one bit.
    void Dither();
    /// Removes specks. `rowDone` is told each finished row and `betweenRows` runs after
    /// it; either may throw to end the filter, which leaves the picture as it was.
    void Despeckle(const std::function<void(uint32_t)>& rowDone = {},
                   const std::function<void()>& betweenRows = {});
    /// Starts the real-time preview: its source is the picture's gray copy, and the picture
    /// itself is made 24 bits of the same look (as the gray conversion does).
    void StartPreview();
    /// Ends the real-time preview (nothing is told when it was off).
    void StopPreview();

    // ---- rotation, ink, crop -------------------------------------------------------------
    /// A quarter turn left or right of the picture, and of the preview's source with it.
    void RotateLeft();
    void RotateRight();
    /// The ink colour of one-bit pictures, applied to the picture's palette.
    void SetInkColor(RgbQuad ink);
    void SetCropRect(const vellumo::CropRect& rect);
    /// The crop rectangle the picture starts with.
    void ResetCropRect();
    /// The picture's part at x, y, w by h (picture pixels) in its place; the preview ends.
    /// Throws as CutOut does, the picture unchanged.
    void CutOut(int32_t x, int32_t y, int32_t w, int32_t h);

    // ---- drawing -------------------------------------------------------------------------
    /// The picture at true scale at 400 dpi, turned to landscape and placed on a B4 page
    /// (PlaceOnB4 in gray; a one-bit picture stays one bit), with the resolution 400 dpi and
    /// a new crop rectangle; the preview ends. Content larger than B4 throws ContentTooLarge
    /// unless `options.shrinkToFit`; the document is then unchanged. Returns how the
    /// picture was placed.
    PagePlacement FitToDrawingPage(const DrawingOptions& options);

  private:
    void Notify(DocumentChanges changes);
    void Turn(Bitmap (*turn)(const Bitmap&));
    /// Replaces the picture by what `make` returns, telling `changes` also when `make`
    /// throws after it changed the picture in place.
    template <class Make>
    void ChangePicture(DocumentChanges changes, Make&& make);

    Bitmap picture_;
    Bitmap preview_;
    FileIdentity identity_;
    std::string dropFname_;
    std::string imageTypeName_;
    std::string pixelFormatName_;
    ViewResolution resolution_;
    vellumo::CropRect cropRect_ = vellumo::InitCropRect(0, 0);
    RgbQuad ink_{};
    std::vector<Observer> observers_;
};

}  // namespace vellumo
