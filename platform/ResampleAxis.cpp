#include "platform/ResampleAxis.h"

#include <cstddef>

namespace plumeroll::resample {
namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((b - 1 - a) / b);
}

// Catmull-Rom at the distance k / q, times 2 q^3.
std::int64_t CatmullRom(std::int64_t k, std::int64_t q) {
  k = k < 0 ? -k : k;
  if (k < q) return 2 * q * q * q - 5 * k * k * q + 3 * k * k * k;
  if (k < 2 * q) return 4 * q * q * q - 8 * k * q * q + 5 * k * k * q - k * k * k;
  return 0;
}

}  // namespace

int Axis::Taps(std::int64_t n, int& first, std::int32_t* weights) const {
  if (Grows()) return CubicTaps(n, first, weights);
  first = static_cast<int>(n * source_ / target_);
  const int count = Last(n) - first + 1;
  for (int k = 0; k < count; ++k) weights[k] = BoxWeight(n, first + k);
  return count;
}

std::int64_t Axis::CubicFirst(std::int64_t n) const {
  return FloorDiv((2 * n + 1) * source_ - 3 * target_, 2 * target_);
}

int Axis::CubicTaps(std::int64_t n, int& first, std::int32_t* weights) const {
  // Distances in 1 / (2 target) of a source pixel; the taps past an edge fall on its pixel.
  const std::int64_t centre = (2 * n + 1) * source_;
  const std::int64_t start = CubicFirst(n);
  first = static_cast<int>(std::clamp(start, std::int64_t{0}, source_ - 1));
  std::int64_t shares[kCubicTaps] = {};
  std::int64_t total = 0;
  int count = 0;
  for (std::int64_t i = start; i < start + kCubicTaps; ++i) {
    const std::int64_t at = std::clamp(i, std::int64_t{0}, source_ - 1) - first;
    const std::int64_t share = CatmullRom(centre - (2 * i + 1) * target_, 2 * target_);
    shares[at] += share;
    total += share;
    count = static_cast<int>(at) + 1;
  }
  std::int64_t running = 0;
  std::int64_t rounded = 0;
  for (int k = 0; k < count; ++k) {
    running += shares[k];
    const std::int64_t next = FloorDiv(running * one_ + total / 2, total);
    weights[k] = static_cast<std::int32_t>(next - rounded);
    rounded = next;
  }
  return count;
}

Filter::Filter(const Axis& axis, int width)
    : stride(axis.MaxTaps()),
      first(static_cast<std::size_t>(width)),
      count(static_cast<std::size_t>(width)),
      weights(static_cast<std::size_t>(width) * stride) {
  for (int n = 0; n < width; ++n) {
    count[n] = axis.Taps(n, first[n], &weights[static_cast<std::size_t>(n) * stride]);
  }
}

}  // namespace plumeroll::resample
