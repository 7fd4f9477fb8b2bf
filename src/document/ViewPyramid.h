#pragma once
// Smaller copies of the viewer's picture, each half the size of the one before, made once
// per picture. A paint at a small scale then reads a copy at most twice the size it shows
// instead of the whole picture, and the bilinear scaling of the window system never has to
// skip source pixels (which would make thin lines flicker in and out while zooming).

#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace vellumo {

class ViewPyramid {
  public:
    /// Levels are made down to the first one whose larger side is at most this many pixels;
    /// a picture no larger than this has no level but itself.
    static constexpr uint32_t kSmallestSide = 1024;

    /// Makes levels 1..n of `picture` (any format), replacing those held. Level k is
    /// ceil(w / 2^k) × ceil(h / 2^k) pixels of 32 bits, blue, green, red, opacity; each pixel
    /// is the mean of the 2 × 2 pixels of level k − 1 it covers (of those that exist, at an
    /// odd last row or column), rounded. The fourth byte is 255 unless the picture has alpha
    /// that is not 255 everywhere: then it is the mean opacity, the colours are weighted by
    /// opacity, and the levels have HasAlpha set.
    ///
    /// The picture itself is level 0 and is not copied: it must stay alive, with the same
    /// size and pixels, until the next Build or Clear. An empty picture gives an empty
    /// pyramid. Levels of the same sizes as those held are made in their memory, so
    /// whatever reads a level's memory (a QImage wrapping it) must be gone before. Throws
    /// std::bad_alloc when memory runs out, leaving the pyramid empty.
    void Build(const Bitmap& picture);
    /// Forgets the picture and frees the levels.
    void Clear();

    bool Empty() const { return picture_ == nullptr; }
    /// Levels held, the picture included: 0 when empty, else 1 + the levels made.
    int LevelCount() const { return picture_ ? 1 + int(levels_.size()) : 0; }
    /// Level k for 0 ≤ k < LevelCount(); level 0 is the picture.
    const Bitmap& Level(int k) const { return k == 0 ? *picture_ : levels_[size_t(k) - 1]; }

    /// 2^-k: picture coordinates times this are level k's coordinates, exactly (level pixel
    /// i covers picture pixels [i·2^k, (i+1)·2^k)); at an odd size the last level pixel
    /// reaches past the picture's edge.
    static double NominalScale(int k);
    /// Level k's width over the picture's width and its height over the picture's height
    /// (0 ≤ k < LevelCount()): NominalScale(k), or a little more after odd sizes; 1 for
    /// level 0.
    double ScaleX(int k) const;
    double ScaleY(int k) const;

    /// The level to draw from at `scale` (shown pixels per picture pixel): the smallest
    /// level whose NominalScale is still ≥ scale, so that drawing from it shrinks by at most
    /// 2, or enlarges from level 0; the last level below its own scale. 0 when empty, for
    /// scale ≥ 1 and for a scale that is not a number.
    int LevelFor(double scale) const;

    /// Whether the picture can be drawn without blending: it is not a 32-bit picture with
    /// alpha, or its every fourth byte is 255 (as in every picture decoded from a file
    /// without transparency). False when empty.
    bool PictureOpaque() const { return picture_ && opaque_; }

  private:
    const Bitmap* picture_ = nullptr;
    std::vector<Bitmap> levels_;
    bool opaque_ = false;
};

}  // namespace vellumo
