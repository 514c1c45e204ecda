// Stretching in integer arithmetic, a band of rows at a time; how each target pixel is made
// along each axis is ResampleAxis's.
//
// Order: when the height shrinks or stays, each source row is added, weighted, into the one or
// two target rows it overlaps as it comes, and a target row, once complete, is resampled across.
// When the height grows, each source row is resampled across as it comes into a ring of the last
// four, and each target row is a weighted sum of up to four of them. So the horizontal pass
// always runs over the fewer rows, and working memory is a few rows whatever the heights.
//
// Ranges: the rows between the two passes hold each level times 2^kFraction, less kMiddle, in
// int16: Catmull-Rom's overshoot (the magnitudes of its weights add up to at most 1.25) takes
// levels to about -40 .. 295, so -21504 .. 21376. Every sum fits int32: the largest, across
// rows made by a box (-16384 .. 16256), is at most 16384 * 1.25 * 2^15 + kMiddle * 2^15, under
// 1.2 * 2^30. The result is rounded once, ties up, and clamped to 0..255.
//
// Threads: the target's columns are split between two lanes, each with its own working rows,
// the second run on a helper thread between two hand-overs of rows. The source and the consumer
// are called from the caller's thread only, while no lane runs.
#include "platform/Resample.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Bmp.h"
#include "platform/ResampleAxis.h"

namespace plumeroll {
namespace {

using resample::Axis;
using resample::Filter;
using resample::kCubicTaps;

// Fraction bits of the weights: across, where the loops are scalar, in int32; down, in int16,
// which the vertical loops multiply 16 bits at a time.
constexpr int kAcrossBits = 15;
constexpr int kDownBits = 14;
constexpr int kFraction = 7;                        // bits of the rows between the two passes
constexpr std::int32_t kMiddle = 128 << kFraction;  // level 128 there, taken off to fit int16
constexpr std::int64_t kSourceBandBytes = 1 << 20;  // read from the source at a time
constexpr int kLaneColumns = 512;  // source and target columns below which one lane is enough

// What the lanes share.
struct Plan {
  Axis down;
  Filter filter;  // across
  int height;     // the target's
};

std::uint8_t Clamped(std::int32_t level) {
  return static_cast<std::uint8_t>(std::clamp(level, 0, 255));
}

// Resamples a row across, target columns begin .. end - 1, from in (the source's pixel left,
// step values a pixel) to out, three values a pixel: the sums, plus bias, shifted right by shift
// with rounding.
template <class In, class Out>
void Across(const Filter& filter, const In* in, int step, int left, int begin, int end, Out* out,
            int shift, std::int32_t bias) {
  const std::int32_t start = (std::int32_t{1} << (shift - 1)) + bias;
  for (int n = begin; n < end; ++n, out += 3) {
    const In* pixel = in + static_cast<std::ptrdiff_t>(filter.first[n] - left) * step;
    const std::int32_t* weight = &filter.weights[static_cast<std::size_t>(n) * filter.stride];
    std::int32_t blue = start, green = start, red = start;
    for (int k = 0; k < filter.count[n]; ++k, pixel += step) {
      blue += weight[k] * pixel[0];
      green += weight[k] * pixel[1];
      red += weight[k] * pixel[2];
    }
    if constexpr (std::is_same_v<Out, std::uint8_t>) {
      out[0] = Clamped(blue >> shift);
      out[1] = Clamped(green >> shift);
      out[2] = Clamped(red >> shift);
    } else {
      out[0] = static_cast<Out>(blue >> shift);
      out[1] = static_cast<Out>(green >> shift);
      out[2] = static_cast<Out>(red >> shift);
    }
  }
}

// Where the stretch stands: source rows taken, target rows made, rows waiting to be handed on.
struct Progress {
  int taken = 0;
  int made = 0;
  int filled = 0;
};

// The target columns begin .. end - 1 and the working rows that make them.
class Lane {
 public:
  Lane(const Plan& plan, int begin, int end)
      : plan_(plan),
        begin_(begin),
        end_(end),
        left_(plan.filter.first[begin]),
        span_(plan.filter.first[end - 1] + plan.filter.count[end - 1] - left_) {
    const auto values = static_cast<std::size_t>(span_) * 4;
    if (plan.down.Grows()) {
      ring_.resize(static_cast<std::size_t>(kCubicTaps) * (end - begin) * 3);
    } else {
      low_.resize(values);
      high_.resize(values);
      across_.resize(values);
    }
  }

  // Takes the band's rows and makes target rows into out until the band is used up or out
  // holds capacity rows. band_first is the number of the band's first row in the source.
  Progress Run(const Band& band, int band_first, Progress at, std::uint8_t* out,
               std::ptrdiff_t stride, int capacity) {
    for (;;) {
      while (at.made < plan_.height && plan_.down.Last(at.made) < at.taken) {
        if (at.filled == capacity) return at;
        Make(at.made++, out + at.filled++ * stride);
      }
      if (at.taken == band_first + band.rows) return at;
      const std::uint8_t* row = band.bytes + (at.taken - band_first) * band.stride;
      Take(row + static_cast<std::ptrdiff_t>(left_) * band.bytes_per_pixel, band.bytes_per_pixel,
           at.taken++);
    }
  }

 private:
  int Width() const { return (end_ - begin_) * 3; }
  std::int16_t* RingRow(int y) {
    return &ring_[static_cast<std::size_t>(y % kCubicTaps) * Width()];
  }

  // Source row y, from the lane's first source pixel.
  void Take(const std::uint8_t* row, int bytes_per_pixel, int y) {
    bytes_per_pixel_ = bytes_per_pixel;
    if (plan_.down.Grows()) {
      Across(plan_.filter, row, bytes_per_pixel, left_, begin_, end_, RingRow(y),
             kAcrossBits - kFraction, -(kMiddle << (kAcrossBits - kFraction)));
      return;
    }
    const std::int64_t target = plan_.down.BoxTarget(y);
    AddWeighted(low_, row, plan_.down.BoxWeight(target, y));
    AddWeighted(high_, row, plan_.down.BoxWeight(target + 1, y));
  }

  void AddWeighted(std::vector<std::int32_t>& sums, const std::uint8_t* row, std::int32_t weight) {
    if (weight == 0) return;
    const auto weight16 = static_cast<std::int16_t>(weight);  // so that it is multiplied as such
    const int values = span_ * bytes_per_pixel_;
    std::int32_t* sum = sums.data();
    for (int j = 0; j < values; ++j) sum[j] += weight16 * row[j];
  }

  // Target row m into out (the row's first byte).
  void Make(int m, std::uint8_t* out) {
    out += static_cast<std::ptrdiff_t>(begin_) * 3;
    if (plan_.down.Grows()) return MakeFromRing(m, out);
    const int values = span_ * bytes_per_pixel_;
    constexpr int kShift = kDownBits - kFraction;
    constexpr std::int32_t kStart = (1 << (kShift - 1)) - (kMiddle << kShift);
    for (int j = 0; j < values; ++j) {
      across_[j] = static_cast<std::int16_t>((low_[j] + kStart) >> kShift);
    }
    Across(plan_.filter, across_.data(), bytes_per_pixel_, left_, begin_, end_, out,
           kAcrossBits + kFraction, kMiddle << kAcrossBits);
    std::swap(low_, high_);
    std::fill(high_.begin(), high_.begin() + values, 0);
  }

  void MakeFromRing(int m, std::uint8_t* out) {
    std::int32_t weights[kCubicTaps] = {};
    int first = 0;
    const int count = plan_.down.Taps(m, first, weights);
    const std::int16_t* rows[kCubicTaps];
    for (int k = 0; k < kCubicTaps; ++k) rows[k] = RingRow(first + std::min(k, count - 1));
    const auto w0 = static_cast<std::int16_t>(weights[0]),
               w1 = static_cast<std::int16_t>(weights[1]),
               w2 = static_cast<std::int16_t>(weights[2]),
               w3 = static_cast<std::int16_t>(weights[3]);
    constexpr int kShift = kDownBits + kFraction;
    constexpr std::int32_t kStart = (1 << (kShift - 1)) + (kMiddle << kDownBits);
    const int width = Width();
    for (int j = 0; j < width; ++j) {
      const std::int32_t sum =
          kStart + w0 * rows[0][j] + w1 * rows[1][j] + w2 * rows[2][j] + w3 * rows[3][j];
      out[j] = Clamped(sum >> kShift);
    }
  }

  const Plan& plan_;
  int begin_;
  int end_;
  int left_;  // the first source column the lane reads
  int span_;  // and how many
  int bytes_per_pixel_ = 4;
  // Height growing: the last four source rows, resampled across.
  std::vector<std::int16_t> ring_;
  // Height shrinking: the sums of the two target rows being made, then the lower one before its
  // horizontal pass, for the bytes of the source columns read.
  std::vector<std::int32_t> low_;
  std::vector<std::int32_t> high_;
  std::vector<std::int16_t> across_;
};

// One stretch: its plan, its lanes and the band of target rows being filled.
class Stretcher {
 public:
  Stretcher(int source_width, int source_height, int width, int height, int rows_per_band)
      : plan_{Axis(source_height, height, kDownBits),
              Filter(Axis(source_width, width, kAcrossBits), width), height},
        stride_(static_cast<std::ptrdiff_t>(BmpRowStride(width, 3))),
        capacity_(std::min(rows_per_band, height)),
        out_(static_cast<std::size_t>(stride_) * capacity_) {
    const bool two = width >= 2 && source_width + width >= kLaneColumns &&
                     std::thread::hardware_concurrency() >= 2;
    lanes_.reserve(2);
    lanes_.emplace_back(plan_, 0, two ? width / 2 : width);
    if (two) lanes_.emplace_back(plan_, width / 2, width);
  }

  Result<void> Run(const Picture& source, const BandUse& use) {
    const int source_height = source.Height();
    const int rows = SourceBandRows(source);
    Result<void> handed;
    int bytes_per_pixel = 0;
    Result<void> read = source.ForEachBand(rows, [&](const Band& band) -> Result<void> {
      if (bytes_per_pixel == 0) bytes_per_pixel = band.bytes_per_pixel;
      if ((bytes_per_pixel != 3 && bytes_per_pixel != 4) ||
          band.bytes_per_pixel != bytes_per_pixel || band.rows < 0 ||
          band.rows > source_height - at_.taken) {
        return Failure{"Stretched", EINVAL};
      }
      const int band_first = at_.taken;
      for (;;) {
        at_ = RunLanes(band, band_first);
        const bool full = at_.filled == capacity_;
        if (full || (at_.made == plan_.height && at_.filled > 0)) {
          handed = use(Band{at_.filled, out_.data(), stride_, 3});
          at_.filled = 0;
          if (!handed) return handed;
        }
        if (!full) return {};
      }
    });
    if (!handed) return handed;
    if (!read) return read;
    if (at_.made != plan_.height) return Failure{"Stretched", EIO};  // rows missing
    return {};
  }

 private:
  Progress RunLanes(const Band& band, int band_first) {
    const auto run = [&](Lane& lane) {
      return lane.Run(band, band_first, at_, out_.data(), stride_, capacity_);
    };
    if (lanes_.size() == 1) return run(lanes_[0]);
    std::thread helper;
    try {
      helper = std::thread(run, std::ref(lanes_[1]));
    } catch (const std::system_error&) {
      run(lanes_[1]);  // no thread to be had: the same work, one lane after the other
    }
    const Progress next = run(lanes_[0]);
    if (helper.joinable()) helper.join();
    return next;
  }

  Plan plan_;
  std::ptrdiff_t stride_;
  int capacity_;  // rows of the band handed on
  std::vector<std::uint8_t> out_;
  std::vector<Lane> lanes_;
  Progress at_;
};

}  // namespace

int SourceBandRows(const Picture& source) {
  return static_cast<int>(std::clamp<std::int64_t>(
      kSourceBandBytes / (4 * std::int64_t{source.Width()}), 1, source.Height()));
}

Result<void> Stretched::ForEachBand(int rows_per_band, const BandUse& use) const {
  const int source_width = source_.Width();
  const int source_height = source_.Height();
  if (std::min({width_, height_, source_width, source_height, rows_per_band}) < 1 ||
      std::max(width_, height_) > kMaxStretch) {
    return Failure{"Stretched", EINVAL};
  }
  std::optional<Stretcher> stretcher;  // made here, so that only its allocations are caught
  try {
    stretcher.emplace(source_width, source_height, width_, height_, rows_per_band);
  } catch (const std::bad_alloc&) {
    return OutOfMemory();
  }
  return stretcher->Run(source_, use);
}

}  // namespace plumeroll
