#include "view_commands.h"

#include "common/text.h"
#include "png_file.h"
#include "skin_session.h"
#include "skinui/control/control.h"
#include "skinui/layout/container.h"

namespace skintool {
namespace {

struct TViewArgs {
  TSkinOptions skin;
  std::string out;
};

// FILE and the options after it; false with the reason in *error.
bool ParseArgs(const std::vector<std::string>& args, bool wantOut, TViewArgs* view, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--size" && hasValue) {
      if (!ParseSize(args[++i], &view->skin.width, &view->skin.height)) {
        *error = "--size wants WxH";
        return false;
      }
    } else if (a == "--dpi" && hasValue) {
      view->skin.dpiPercent = std::atoi(args[++i].c_str());
      if (view->skin.dpiPercent <= 0) {
        *error = "--dpi wants a percentage";
        return false;
      }
    } else if (a == "--out" && hasValue && wantOut) {
      view->out = args[++i];
    } else if (view->skin.file.empty() && !a.starts_with("--")) {
      view->skin.file = Utf8ToUtf16(a);
    } else {
      *error = "unexpected argument " + a;
      return false;
    }
  }
  if (view->skin.file.empty())
    *error = "no skin file given";
  else if (wantOut && view->out.empty())
    *error = "no --out PNG given";
  return error->empty();
}

void PrintControl(SkinUI::CControlUI* control, int depth, std::ostream& out) {
  const SkinUI::TUIRect& rc = control->GetPos();
  out << std::string(depth * 2, ' ') << Utf16ToUtf8(control->GetClass()) << " \""
      << Utf16ToUtf8(control->GetName()) << "\" " << rc.left << ',' << rc.top << ',' << rc.right << ','
      << rc.bottom << (control->IsVisible() ? "" : " hidden") << '\n';
  auto* container = static_cast<SkinUI::IContainerUI*>(control->GetInterface(u"IContainer"));
  if (!container) return;
  for (int i = 0; i < container->GetCount(); ++i) {
    PrintControl(container->GetItemAt(i), depth + 1, out);
  }
}

// Straight-alpha RGBA of the premultiplied surface. An opaque window shows
// the colour bytes as they are, so only a layered one keeps its alpha.
std::vector<uint8_t> ToRgba(const SkinUI::CUISurface& surface, bool keepAlpha) {
  std::vector<uint8_t> rgba;
  rgba.reserve(static_cast<size_t>(surface.GetWidth()) * surface.GetHeight() * 4);
  for (int y = 0; y < surface.GetHeight(); ++y) {
    const uint32_t* row = surface.Row(y);
    for (int x = 0; x < surface.GetWidth(); ++x) {
      const uint32_t p = row[x];
      const uint32_t a = keepAlpha ? SkinUI::AlphaOf(p) : 255;
      auto channel = [&](uint32_t c) {
        return static_cast<uint8_t>(!keepAlpha ? c
                                    : a == 0   ? 0
                                               : std::min<uint32_t>(255, (c * 255 + a / 2) / a));
      };
      rgba.insert(rgba.end(), {channel(SkinUI::RedOf(p)), channel(SkinUI::GreenOf(p)),
                               channel(SkinUI::BlueOf(p)), static_cast<uint8_t>(a)});
    }
  }
  return rgba;
}

}  // namespace

int RunTree(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TViewArgs view;
  std::string error;
  if (!ParseArgs(args, false, &view, &error)) {
    err << "skintool tree: " << error << "\n";
    return 2;
  }
  CSkinSession session;
  if (!session.Open(view.skin, &error)) {
    err << Utf16ToUtf8(view.skin.file) << ": " << error << "\n";
    return 1;
  }
  PrintControl(session.Root(), 0, out);
  return 0;
}

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TViewArgs view;
  std::string error;
  if (!ParseArgs(args, true, &view, &error)) {
    err << "skintool render: " << error << "\n";
    return 2;
  }
  CSkinSession session;
  if (!session.Open(view.skin, &error)) {
    err << Utf16ToUtf8(view.skin.file) << ": " << error << "\n";
    return 1;
  }
  const SkinUI::TUISize size = session.ClientSize();
  SkinUI::CUISurface surface(size.cx, size.cy);
  SkinUI::CUICanvas canvas(surface);
  session.Manager().PaintClientTo(canvas);
  if (!WritePng(view.out, size.cx, size.cy, ToRgba(surface, session.Manager().IsLayered()))) {
    err << view.out << ": cannot be written\n";
    return 1;
  }
  out << view.out << ": " << size.cx << "x" << size.cy << "\n";
  return 0;
}

}  // namespace skintool
