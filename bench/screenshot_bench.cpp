// The screenshot's encoding steps on a 1920 x 1080 desktop-like picture,
// side by side with the usual tools:
//   PNG encoding of the 256-colour picture: ours against libpng, both at
//     zlib level 9 (the "bytes" counter is the file size);
//   octree colour reduction of the 24-bit picture (megapixels per second)
//     against ImageMagick's "convert -colors 256" on the same picture, and
//     the same convert without reduction, which shows what reading and
//     writing the file cost it. Peers are timed by their processor time.
#include <benchmark/benchmark.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/command_cpu_time.h"
#include "bench/desktop_picture.h"
#include "crashreport/report/screenshot/nearest_color.h"
#include "crashreport/report/screenshot/octree_quantizer.h"
#include "crashreport/report/screenshot/png_writer.h"

namespace {

using namespace tarvex;

const IndexedImage& Desktop256() {
  static const IndexedImage image = bench::DesktopPicture256();
  return image;
}

const std::vector<uint8_t>& Desktop24() {
  static const std::vector<uint8_t> pixels = bench::DesktopPicture24();
  return pixels;
}

Bgr24View Desktop24View() {
  return Bgr24View{Desktop24().data(), bench::kDesktopWidth, bench::kDesktopHeight, size_t{bench::kDesktopWidth} * 3};
}

std::vector<uint8_t> EncodeWithLibpng(const IndexedImage& image) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t size) {
        auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + size);
      },
      nullptr);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, image.Width, image.Height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256] = {};
  for (size_t i = 0; i < image.Palette.size(); ++i)
    palette[i] = png_color{image.Palette[i].Red, image.Palette[i].Green, image.Palette[i].Blue};
  png_set_PLTE(png, info, palette, 256);
  png_write_info(png, info);
  for (uint32_t y = 0; y < image.Height; ++y)
    png_write_row(png, const_cast<png_bytep>(&image.Indices[size_t{y} * image.Width]));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

template <class Encode>
void EncodePngBenchmark(benchmark::State& state, Encode encode) {
  const IndexedImage& image = Desktop256();
  size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<uint8_t> file = encode(image);
    bytes = file.size();
    benchmark::DoNotOptimize(file.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["Mpixel/s"] = benchmark::Counter(image.Width * image.Height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PngEncode(benchmark::State& state) { EncodePngBenchmark(state, &EncodePng); }
void BM_PngEncode_Libpng(benchmark::State& state) { EncodePngBenchmark(state, &EncodeWithLibpng); }
BENCHMARK(BM_PngEncode)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_PngEncode_Libpng)->Unit(benchmark::kMillisecond)->MinTime(3);

void SetPixelRate(benchmark::State& state) {
  state.counters["Mpixel/s"] = benchmark::Counter(bench::kDesktopWidth * bench::kDesktopHeight / 1e6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

// The tree alone: palette of the 24-bit picture.
void BM_OctreePalette(benchmark::State& state) {
  for (auto _ : state) {
    OctreeQuantizer octree;
    octree.AddImage(Desktop24View());
    benchmark::DoNotOptimize(octree.Palette());
  }
  SetPixelRate(state);
}
BENCHMARK(BM_OctreePalette)->Unit(benchmark::kMillisecond);

// The whole reduction: palette plus each pixel's nearest entry.
void BM_ReduceTo256Colors(benchmark::State& state) {
  size_t colours = 0;
  for (auto _ : state) {
    const IndexedImage reduced = ReduceTo256Colors(Desktop24View());
    colours = reduced.Palette.size();
    benchmark::DoNotOptimize(reduced.Indices.data());
  }
  SetPixelRate(state);
  state.counters["colours"] = static_cast<double>(colours);
}
BENCHMARK(BM_ReduceTo256Colors)->Unit(benchmark::kMillisecond);

// ImageMagick on the same picture, as a PPM file in the temporary folder.
std::string DesktopPpm() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() / "vx-desktop-bench.ppm").string();
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << bench::kDesktopWidth << ' ' << bench::kDesktopHeight << "\n255\n";
    const std::vector<uint8_t>& bgr = Desktop24();
    std::vector<char> rgb(bgr.size());
    for (size_t i = 0; i < bgr.size(); i += 3) {
      rgb[i] = static_cast<char>(bgr[i + 2]);
      rgb[i + 1] = static_cast<char>(bgr[i + 1]);
      rgb[i + 2] = static_cast<char>(bgr[i]);
    }
    out.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
    return file;
  }();
  return path;
}

// One thread, as ours: ImageMagick would otherwise spread the work.
void RunConvert(benchmark::State& state, const std::string& options) {
  const std::string output = (std::filesystem::temp_directory_path() / "vx-desktop-bench-out.ppm").string();
  bench::RunCommandBenchmark(state, "MAGICK_THREAD_LIMIT=1 convert " + DesktopPpm() + options + " " + output, [] {});
  SetPixelRate(state);
}

void BM_ImageMagick_Colors256(benchmark::State& state) { RunConvert(state, " -colors 256"); }
void BM_ImageMagick_ReadWriteOnly(benchmark::State& state) { RunConvert(state, ""); }
BENCHMARK(BM_ImageMagick_Colors256)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_ImageMagick_ReadWriteOnly)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
