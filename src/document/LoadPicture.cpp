#include "document/LoadPicture.h"

#include <new>

#include "imaging/Threshold.h"

namespace vellumo {

LoadedPicture LoadPicture(const std::string& path, bool monoDisplay, int threshold) {
    LoadedPicture out;
    try {
        DecodedImage decoded = monoDisplay ? DecodeTwoColourAsOneBit(path) : DecodeImage(path);
        out.imageTypeName = std::move(decoded.imageTypeName);
        out.pixelFormatName = std::move(decoded.pixelFormatName);
        out.picture = std::move(decoded.picture);
        if (monoDisplay && out.pixelFormatName == "1bppIndexed") {
            out.picture = ReduceToMono(out.picture);
            out.shownAsMono = true;
        } else if (monoDisplay && out.pixelFormatName == "BlackWhite") {
            // The threshold of a black-and-white picture is the picture itself, in one bit
            // with [black, white], for every limit that tells black from white.
            const bool same =
                out.picture.Format() == PixelFormat::Bit1 && threshold >= 1 && threshold <= 255;
            if (!same) out.picture = ThresholdToMono(out.picture, 255 - threshold);
            out.shownAsMono = true;
        }
        out.resolution = ReadResolution(path);
    } catch (const DecodeError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw DecodeError(DecodeErrorText(path), "メモリが不足しています");
    } catch (const Error& e) {
        throw DecodeError(DecodeErrorText(path), e.what());
    }
    return out;
}

}  // namespace vellumo
