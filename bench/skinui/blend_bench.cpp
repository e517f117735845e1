// Premultiplied source-over of a 650 x 430 image against pixman's OVER
// composite of the same pixels (a8r8g8b8 is premultiplied in pixman too).
#include <benchmark/benchmark.h>

#include <pixman.h>

#include <cstdint>
#include <vector>

#include "skinui/render/blend.h"
#include "skinui/render/render_engine.h"

namespace {

constexpr int kWidth = 650, kHeight = 430;

// kind 0: every pixel translucent (alpha ramps across the row); kind 1: a
// skin-like image, mostly opaque with transparent margins and soft edges.
std::vector<uint32_t> Source(int kind) {
  std::vector<uint32_t> pixels(kWidth * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint32_t a = kind == 0            ? 1 + (x * 253 / kWidth)
                   : (x < 20 || y < 20) ? 0
                   : (x < 28 || y < 28) ? 40 + (x + y) % 200
                                        : 255;
      uint32_t argb = (a << 24) | (((x * 7) & 255) << 16) | (((y * 3) & 255) << 8) | ((x + y) & 255);
      pixels[y * kWidth + x] = SkinUI::Premultiply(argb);
    }
  }
  return pixels;
}

std::vector<uint32_t> Destination() {
  std::vector<uint32_t> pixels(kWidth * kHeight);
  for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = 0xFF000000u | (i * 2654435761u >> 8);
  return pixels;
}

void BM_Blend_SkinUI(benchmark::State& state) {
  std::vector<uint32_t> src = Source(static_cast<int>(state.range(0))), dst = Destination();
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y) SkinUI::BlendRowOver(&dst[y * kWidth], &src[y * kWidth], kWidth);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight);
}

void BM_Blend_Pixman(benchmark::State& state) {
  std::vector<uint32_t> src = Source(static_cast<int>(state.range(0))), dst = Destination();
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, src.data(), kWidth * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, dst.data(), kWidth * 4);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight);
}

// The whole image path of the renderer: an opaque-size image drawn 1:1 with
// its alpha channel.
void BM_DrawImage_SkinUI(benchmark::State& state) {
  SkinUI::CUISurface image(kWidth, kHeight), target(kWidth, kHeight);
  std::vector<uint32_t> src = Source(static_cast<int>(state.range(0)));
  for (int y = 0; y < kHeight; ++y) std::copy_n(&src[y * kWidth], kWidth, image.Row(y));
  SkinUI::CUICanvas dc(target);
  SkinUI::TDrawImageParams params;
  params.dest = params.source = {0, 0, kWidth, kHeight};
  for (auto _ : state) {
    SkinUI::CUIRenderEngine::DrawImage(dc, image, target.GetBounds(), params, true);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight);
}

}  // namespace

BENCHMARK(BM_Blend_SkinUI)->Arg(0)->Arg(1);
BENCHMARK(BM_Blend_Pixman)->Arg(0)->Arg(1);
BENCHMARK(BM_DrawImage_SkinUI)->Arg(0)->Arg(1);
