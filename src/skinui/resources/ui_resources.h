// CUIResources keeps what one window draws with: its fonts, cached images,
// named styles, default attribute lists, default colours and the DPI scale
// its fonts are made at. Fonts, the default font, styles and default lists
// may also be registered process-wide ("shared"); a window's own entries come
// first, then the shared ones. (CSkinResources, beside it, is where the skin
// files themselves are read from.)
//
// A paint manager owns one and forwards what controls ask of it. All
// windows run on the user-interface thread; the shared tables are guarded
// by one process-wide lock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "skinui/render/image_info.h"
#include "skinui/render/render_host.h"

namespace SkinUI {

// The window's DPI awareness and scale.
class CUIDpi {
 public:
  enum EAwareness { kUnaware = 0, kSystemAware = 1, kPerMonitorAware = 2 };

  int GetAwareness() const { return m_awareness; }
  void SetAwareness(int awareness) { m_awareness = awareness; }
  // Scale in percent (100 = 96 DPI).
  int GetScale() const { return m_scale; }
  // The scale the window started with.
  int GetFirstScale() const { return m_firstScale; }
  // Sets the scale in percent, clamped to kMinScale..kMaxScale. The first
  // call also records the first scale.
  void SetScale(int scale);
  // S(v) = v x scale / 100, rounded half away from zero.
  int Scale(int value) const { return ScaleByDpi(value, m_scale); }

 private:
  int m_awareness = kPerMonitorAware;
  int m_scale = 100;
  int m_firstScale = 100;
  bool m_bScaleSet = false;
};

// The colours controls fall back on when the skin gives them none.
struct TUIColors {
  uint32_t disabledFont = 0xFFA7A6AA;
  uint32_t font = 0xFF000000;
  uint32_t linkFont = 0xFF0000FF;
  uint32_t linkHoverFont = 0xFFD3215F;
  uint32_t selectedBk = 0xFFBAE4FF;
  // The keyboard focus indicator: black, as the system draws focus on light
  // controls; skins on dark art choose their own.
  uint32_t focusIndicator = 0xFF000000;
};

class CUIResources {
 public:
  // Tables of names (here and in the paint manager) start with this many
  // buckets.
  static constexpr size_t kInitialBuckets = 83;

  CUIResources();
  CUIResources(const CUIResources&) = delete;
  CUIResources& operator=(const CUIResources&) = delete;

  // ---- DPI ----------------------------------------------------------------
  const CUIDpi& Dpi() const { return m_dpi; }
  int GetDPIScale() const { return m_dpi.GetScale(); }
  // Sets the scale in percent (clamped) and makes this window's own fonts
  // again at it; false when the scale stays what it was.
  bool SetDPIScale(int scale);

  // ---- Fonts --------------------------------------------------------------
  // The font with id index (own first, then shared); the default font for a
  // negative or unknown index. Null only when no font can be made at all.
  const TUIFontInfo* GetFontInfo(int index);
  // The id of a font with exactly these properties (own, then shared), -1
  // when none.
  int FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) const;
  // Registers a new own font under the next free id (shared count + own
  // count, or the first free one above) and returns that id; -1 on failure.
  int AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic);
  // Makes a font and stores it under id in the own or shared table. A shared
  // id that exists returns the existing font; otherwise a font with that id
  // in the target table is replaced. Null when it cannot be made.
  const TUIFontInfo* AddFont(int id, std::u16string_view face, int size, bool bold, bool underline,
                             bool italic, bool shared);
  // Replaces the own or shared default font. Null when it cannot be made.
  const TUIFontInfo* SetDefaultFont(std::u16string_view face, int size, bool bold, bool underline,
                                    bool italic, bool shared);
  // The own default font, else the shared one, else a font of the system's
  // default face made on first use.
  const TUIFontInfo* GetDefaultFontInfo();
  // The number of fonts in the own or the shared table.
  int GetFontCount(bool shared) const;

  // ---- Images -------------------------------------------------------------
  // The cached image, loaded (with mask) and cached on first use; null when
  // it cannot be had.
  const TUIImageInfo* GetImageEx(std::u16string_view name, std::u16string_view type, uint32_t mask);
  const TUIImageInfo* GetImage(std::u16string_view name) const;
  // Loads and caches an image. With a type, the name must be a decimal
  // resource id. Null when it cannot be loaded or the name is taken.
  const TUIImageInfo* AddImage(std::u16string_view name, std::u16string_view type = {}, uint32_t mask = 0);
  bool RemoveImage(std::u16string_view name);
  void RemoveAllImages();

  // ---- Styles and default attribute lists ---------------------------------
  // Named styles (attribute lists). A shared registration is ignored when the
  // name is already visible; an own one replaces an own one.
  void AddStyle(std::u16string_view name, std::u16string_view value, bool shared);
  // Own first, then shared; empty when none.
  std::u16string GetStyle(std::u16string_view name) const;
  // Default attribute lists by element name; always replace in their table.
  void AddDefaultAttributeList(std::u16string_view element, std::u16string_view list, bool shared);
  std::u16string GetDefaultAttributeList(std::u16string_view element) const;

  // ---- Colours ------------------------------------------------------------
  TUIColors& Colors() { return m_colors; }
  const TUIColors& Colors() const { return m_colors; }

  // Destroys the shared fonts, styles and default lists (for tests and exit).
  static void RemoveAllShared();

 private:
  std::unique_ptr<TUIFontInfo> MakeFont(std::u16string_view face, int size, bool bold, bool underline,
                                        bool italic) const;
  bool IsFontIdTaken(int id) const;
  // Makes the own fonts again at the current scale.
  void RebuildOwnFonts();
  // font (shared, made by whichever window asked first) as this window draws
  // it: itself when made at this window's scale, else a copy made at it and
  // kept under key (a font id, or kDefaultFontKey).
  const TUIFontInfo* AtOwnScale(int key, const TUIFontInfo* font);
  static constexpr int kDefaultFontKey = -1;

  CUIDpi m_dpi;
  TUIColors m_colors;
  std::map<int, std::unique_ptr<TUIFontInfo>> m_fonts;  // by id
  std::unique_ptr<TUIFontInfo> m_defaultFont;
  std::map<int, std::unique_ptr<TUIFontInfo>> m_scaledSharedFonts;  // see AtOwnScale
  std::unordered_map<std::u16string, std::unique_ptr<TUIImageInfo>> m_images;
  std::unordered_map<std::u16string, std::u16string> m_styles;
  std::unordered_map<std::u16string, std::u16string> m_defaultAttributes;
};

}  // namespace SkinUI
