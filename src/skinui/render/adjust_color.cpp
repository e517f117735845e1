#include <cmath>

#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

struct TAdjustHSL {
  short hue = 180;
  short saturation = 100;
  short lightness = 100;
};

TAdjustHSL g_adjust;

struct THsl {
  double h, s, l;  // degrees, 0..1, 0..1
};

THsl ToHsl(double r, double g, double b) {
  double maxc = std::max({r, g, b}), minc = std::min({r, g, b});
  THsl hsl{0, 0, (maxc + minc) / 2};
  double delta = maxc - minc;
  if (delta <= 0) return hsl;
  hsl.s = hsl.l <= 0.5 ? delta / (maxc + minc) : delta / (2 - maxc - minc);
  if (maxc == r)
    hsl.h = 60 * std::fmod((g - b) / delta + 6, 6.0);
  else if (maxc == g)
    hsl.h = 60 * ((b - r) / delta + 2);
  else
    hsl.h = 60 * ((r - g) / delta + 4);
  return hsl;
}

double HueChannel(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

uint32_t ToByte(double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

}  // namespace

uint32_t CUIRenderEngine::AdjustColor(uint32_t color, short hue, short saturation, short lightness) {
  if (hue == 180 && saturation == 100 && lightness == 100) return color;
  THsl hsl = ToHsl(RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0);
  hsl.h = std::fmod(hsl.h + (hue - 180) + 720.0, 360.0);
  hsl.s = std::clamp(hsl.s * saturation / 100.0, 0.0, 1.0);
  hsl.l = std::clamp(hsl.l * lightness / 100.0, 0.0, 1.0);
  double q = hsl.l < 0.5 ? hsl.l * (1 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
  double p = 2 * hsl.l - q, h = hsl.h / 360;
  return MakeArgb(AlphaOf(color), ToByte(HueChannel(p, q, h + 1.0 / 3)), ToByte(HueChannel(p, q, h)),
                  ToByte(HueChannel(p, q, h - 1.0 / 3)));
}

void CUIRenderEngine::SetAdjustHSL(short hue, short saturation, short lightness) {
  g_adjust = {hue, saturation, lightness};
}

void CUIRenderEngine::GetAdjustHSL(short* hue, short* saturation, short* lightness) {
  *hue = g_adjust.hue;
  *saturation = g_adjust.saturation;
  *lightness = g_adjust.lightness;
}

}  // namespace SkinUI
