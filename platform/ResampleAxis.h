// How each pixel of a stretched picture is made from the source's, along one axis.
//
// The filter is chosen for each axis:
// - shrinking: box, i.e. each target pixel is the average of the source area it covers, each
//   source pixel weighted by how much of it is covered. Nothing is skipped, so fine patterns
//   turn into their mean colour instead of aliasing (a one-pixel checkerboard halved is uniform
//   grey);
// - growing: Catmull-Rom, an interpolating cubic: it goes through the source colours and keeps
//   edges sharper than bilinear or Mitchell, which blur; its slight overshoot at hard edges is
//   clamped to 0..255;
// - same size: the box, which is then an exact copy.
// Target pixel n's centre, n + 1/2, falls at (n + 1/2) * source / target in the source; samples
// past the edges take the border pixel, so a uniform picture stays uniform to its border. These
// are stb_image_resize's box and Catmull-Rom with clamped edges, which the program used before
// (the benchmark compares the two).
//
// Weights: the positions are rationals, so every weight is worked out exactly in 64-bit
// integers, then turned into fixed point (the bits an Axis is given) by rounding their running
// sum: the weights of each target pixel add up to exactly one.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plumeroll::resample {

inline constexpr int kCubicTaps = 4;

// How the pixels along one axis of the target are made from those of the source.
class Axis {
 public:
  Axis(int source, int target, int bits)
      : source_(source), target_(target), one_(std::int64_t{1} << bits) {}
  bool Grows() const { return target_ > source_; }
  int MaxTaps() const {
    return Grows() ? kCubicTaps : static_cast<int>((source_ + target_ - 1) / target_) + 1;
  }
  // The last source pixel that target pixel n takes.
  int Last(std::int64_t n) const {
    if (Grows()) return static_cast<int>(std::min(CubicFirst(n) + kCubicTaps - 1, source_ - 1));
    return static_cast<int>(((n + 1) * source_ - 1) / target_);
  }
  // The first target pixel that source pixel i goes into, when shrinking.
  std::int64_t BoxTarget(std::int64_t i) const { return i * target_ / source_; }
  // The weight of source pixel i in target pixel n, when shrinking.
  std::int32_t BoxWeight(std::int64_t n, std::int64_t i) const {
    return static_cast<std::int32_t>(Rounded(Covered(n, i + 1)) - Rounded(Covered(n, i)));
  }
  // Target pixel n's weights, for the source pixels from first on; returns how many.
  int Taps(std::int64_t n, int& first, std::int32_t* weights) const;

 private:
  // How much of target pixel n the source pixels before i cover, in 1/target of a source pixel
  // (target pixel n spans n * source .. (n + 1) * source, source pixel i, i * target onwards).
  std::int64_t Covered(std::int64_t n, std::int64_t i) const {
    return std::clamp(i * target_ - n * source_, std::int64_t{0}, source_);
  }
  std::int64_t Rounded(std::int64_t covered) const {
    return (covered * one_ + source_ / 2) / source_;
  }
  // The first of the four source pixels around target pixel n's centre, (2n + 1) source / 2 target.
  std::int64_t CubicFirst(std::int64_t n) const;
  int CubicTaps(std::int64_t n, int& first, std::int32_t* weights) const;

  std::int64_t source_;
  std::int64_t target_;
  std::int64_t one_;  // the sum of a target pixel's weights
};

// Every target column's taps along the width, MaxTaps weights a column.
struct Filter {
  Filter(const Axis& axis, int width);
  int stride;
  std::vector<int> first;
  std::vector<int> count;
  std::vector<std::int32_t> weights;
};

}  // namespace plumeroll::resample
