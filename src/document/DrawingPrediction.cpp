#include "document/DrawingPrediction.h"

#include "document/DrawingPage.h"
#include "inspect/ImageType.h"
#include "save/FaxBitmap.h"
#include "save/TiffWriter.h"

namespace vellumo {

SaveOptions DrawingSaveOptions() {
    SaveOptions options;
    options.compression = TiffCompression::G4;
    options.dpi = kDrawingDpi;
    return options;
}

ImageInfo SavedDrawingInfo(uint32_t width, uint32_t height) {
    // The tags Bmp2Tif writes for G4, as the checker's TIFF reader takes them.
    ImageInfo info;
    info.typeCode = kTypeTiffLittle;
    info.typeName = TypeNameOf(info.typeCode);
    info.extensionMatches = true;
    info.headerRead = true;
    info.width = width;
    info.height = height;
    info.bitsPerSample = 1;
    info.samplesPerPixel = 1;
    info.compression = 4;
    info.orientation = 1;
    info.xResolution = static_cast<uint32_t>(kDrawingDpi);
    info.yResolution = static_cast<uint32_t>(kDrawingDpi);
    info.resolutionUnit = 2;
    info.pageCount = 1;
    return info;
}

DrawingPrediction PredictDrawingCheck(const Bitmap& picture, std::string_view fileName) {
    const SaveOptions save = DrawingSaveOptions();
    DrawingPrediction prediction;
    prediction.dataSize = EncodeTiff(MakeFaxBitmap(picture), save.compression, save.dpi).size();
    prediction.lines = JudgeDrawing(fileName, SavedDrawingInfo(picture.Width(), picture.Height()),
                                    prediction.dataSize);
    prediction.verdict = VerdictOf(prediction.lines);
    return prediction;
}

}  // namespace vellumo
