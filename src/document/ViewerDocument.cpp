#include "document/ViewerDocument.h"

#include <utility>

#include "crop/CutOut.h"
#include "document/DrawingPage.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"

namespace vellumo {

void ViewerDocument::Observe(Observer observer) { observers_.push_back(std::move(observer)); }

void ViewerDocument::Notify(DocumentChanges changes) {
    if (changes.Empty()) return;
    for (const Observer& o : observers_) o(changes);
}

template <class Make>
void ViewerDocument::ChangePicture(DocumentChanges changes, Make&& make) {
    try {
        picture_ = std::forward<Make>(make)();
    } catch (...) {
        // The gray conversion turns the picture into 24 bits before it makes the gray copy:
        // whoever draws the picture must hear of it also when the copy fails.
        Notify(changes);
        throw;
    }
    Notify(changes);
}

void ViewerDocument::SetIdentity(FileIdentity identity) {
    if (identity == identity_) return;
    identity_ = std::move(identity);
    Notify(DocumentPart::File);
}

void ViewerDocument::SetFileName2(std::string path) {
    FileIdentity next = identity_;
    next.FileName2 = std::move(path);
    SetIdentity(std::move(next));
}

void ViewerDocument::SetDropFname(std::string path) {
    dropFname_ = std::move(path);
    Notify(DocumentPart::File);
}

void ViewerDocument::ReadResolution(const std::string& path) {
    resolution_ = vellumo::ReadResolution(path);
    Notify(DocumentPart::Resolution);
}

bool ViewerDocument::Load(const std::string& path, LoadChoices choices) {
    const bool renamed = path != identity_.FileName2;
    identity_.FileName2 = path;
    LoadedPicture loaded;
    try {
        loaded = LoadPicture(path, choices.monoDisplay, choices.threshold);
    } catch (...) {
        if (renamed) Notify(DocumentPart::File);
        throw;
    }
    imageTypeName_ = std::move(loaded.imageTypeName);
    pixelFormatName_ = std::move(loaded.pixelFormatName);
    picture_ = std::move(loaded.picture);
    preview_ = Bitmap();
    resolution_ = loaded.resolution;
    cropRect_ = vellumo::InitCropRect(picture_.Width(), picture_.Height());
    DocumentChanges changes = DocumentPart::Picture | DocumentPart::Preview;
    changes = changes | DocumentPart::Decoder | DocumentPart::Resolution | DocumentPart::Crop;
    Notify(renamed ? changes | DocumentPart::File : changes);
    return loaded.shownAsMono;
}

void ViewerDocument::SetPicture(Bitmap picture) {
    picture_ = std::move(picture);
    preview_ = Bitmap();
    Notify(DocumentPart::Picture | DocumentPart::Preview);
}

void ViewerDocument::Threshold(int a) {
    ChangePicture(DocumentPart::Picture, [&] {
        Bitmap mono = ThresholdToMono(PreviewOn() ? preview_ : picture_, a);
        SetMonoColorTable(mono, RgbQuad{});
        return mono;
    });
}

void ViewerDocument::ToGray() {
    ChangePicture(DocumentPart::Picture, [&] { return ConvertToGray8(picture_); });
}

void ViewerDocument::Dither() {
    ChangePicture(DocumentPart::Picture, [&] { return DitherToMono(picture_); });
}

void ViewerDocument::Despeckle(const std::function<void(uint32_t)>& rowDone,
                               const std::function<void()>& betweenRows) {
    ChangePicture(DocumentPart::Picture, [&] {
        return DespeckleBitmap(picture_, kDespeckleStrength, rowDone, betweenRows);
    });
}

void ViewerDocument::StartPreview() {
    try {
        preview_ = ConvertToGray8(picture_);  // leaves the picture in 24 bits, same look
    } catch (...) {
        Notify(DocumentPart::Picture);
        throw;
    }
    Notify(DocumentPart::Picture | DocumentPart::Preview);
}

void ViewerDocument::StopPreview() {
    if (preview_.Empty()) return;
    preview_ = Bitmap();
    Notify(DocumentPart::Preview);
}

void ViewerDocument::Turn(Bitmap (*turn)(const Bitmap&)) {
    Bitmap turned = turn(picture_);
    // The preview's source turns with the picture, or the next threshold would bring back
    // the unturned picture.
    if (PreviewOn()) preview_ = turn(preview_);
    picture_ = std::move(turned);
    Notify(PreviewOn() ? DocumentPart::Picture | DocumentPart::Preview : DocumentPart::Picture);
}

void ViewerDocument::RotateLeft() { Turn(&vellumo::RotateLeft); }

void ViewerDocument::RotateRight() { Turn(&vellumo::RotateRight); }

void ViewerDocument::SetInkColor(RgbQuad ink) {
    ink_ = ink;
    SetMonoColorTable(picture_, ink);
    Notify(DocumentPart::Ink | DocumentPart::Picture);
}

void ViewerDocument::SetCropRect(const vellumo::CropRect& rect) {
    cropRect_ = rect;
    Notify(DocumentPart::Crop);
}

void ViewerDocument::ResetCropRect() {
    SetCropRect(vellumo::InitCropRect(picture_.Width(), picture_.Height()));
}

void ViewerDocument::CutOut(int32_t x, int32_t y, int32_t w, int32_t h) {
    Bitmap cut = vellumo::CutOut(picture_, x, y, w, h);
    picture_ = std::move(cut);
    // The preview's source is the picture before the cut-out; a threshold would bring
    // that back over it.
    preview_ = Bitmap();
    Notify(DocumentPart::Picture | DocumentPart::Preview);
}

PagePlacement ViewerDocument::FitToDrawingPage(const DrawingOptions& options) {
    PlacedPage placed =
        PlaceOnB4(picture_, resolution_.DpiX, resolution_.DpiY, options, ResampleColour::Gray);
    picture_ = std::move(placed.page);
    // A one-bit page keeps the ink colour the picture was shown in.
    if (picture_.Format() == PixelFormat::Bit1) SetMonoColorTable(picture_, ink_);
    preview_ = Bitmap();
    resolution_ = ResolutionFields(FileResolution{float(kDrawingDpi), float(kDrawingDpi), true});
    cropRect_ = vellumo::InitCropRect(picture_.Width(), picture_.Height());
    Notify(DocumentPart::Picture | DocumentPart::Preview | DocumentPart::Resolution |
           DocumentPart::Crop);
    return placed.placement;
}

}  // namespace vellumo
