#pragma once
// The one owner of libpng's read structures, for the decoder and the resolution reader.
// libpng reports errors by longjmp: a reader sets its jump point (png_jmpbuf) after every
// C++ object of its function is built, and the owner, built before, frees the structures on
// every way out.

#include <png.h>

namespace vellumo {

struct PngReadOwner {
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngReadOwner() = default;
    PngReadOwner(const PngReadOwner&) = delete;
    PngReadOwner& operator=(const PngReadOwner&) = delete;
    ~PngReadOwner() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
};

}  // namespace vellumo
