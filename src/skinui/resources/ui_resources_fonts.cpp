// Fonts of a window: its own table, the shared table (under the shared
// lock), and the default font.
#include <mutex>

#include "skinui/resources/shared_resources.h"
#include "skinui/resources/ui_resources.h"

namespace SkinUI {
namespace {

// The face of the font the system gives controls by default.
constexpr char16_t kSystemDefaultFace[] = u"微软雅黑";
constexpr int kSystemDefaultSize = 12;

bool SameFont(const TUIFontInfo& font, std::u16string_view face, int size, bool bold, bool underline,
              bool italic) {
  return font.sFontName == face && font.iSize == size && font.bBold == bold && font.bUnderline == underline &&
         font.bItalic == italic;
}

template <class Table>
int FindIn(const Table& table, std::u16string_view face, int size, bool bold, bool underline, bool italic) {
  for (const auto& [id, font] : table) {
    if (SameFont(*font, face, size, bold, underline, italic)) return id;
  }
  return -1;
}

}  // namespace

std::unique_ptr<TUIFontInfo> CUIResources::MakeFont(std::u16string_view face, int size, bool bold,
                                                    bool underline, bool italic) const {
  return MakeSharedFontInfo(face, size, bold, underline, italic, GetDPIScale());
}

const TUIFontInfo* CUIResources::GetFontInfo(int index) {
  if (index >= 0) {
    if (auto it = m_fonts.find(index); it != m_fonts.end()) return it->second.get();
    TUISharedResources& shared = SharedResources();
    std::lock_guard<std::mutex> guard(shared.lock);
    if (auto it = shared.fonts.find(index); it != shared.fonts.end()) {
      return AtOwnScale(index, it->second.get());
    }
  }
  return GetDefaultFontInfo();
}

int CUIResources::FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) const {
  int id = FindIn(m_fonts, face, size, bold, underline, italic);
  if (id >= 0) return id;
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  return FindIn(shared.fonts, face, size, bold, underline, italic);
}

int CUIResources::AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) {
  // The next id that neither table uses, starting at the total count.
  int id = GetFontCount(true) + GetFontCount(false);
  while (IsFontIdTaken(id)) ++id;
  return AddFont(id, face, size, bold, underline, italic, false) ? id : -1;
}

const TUIFontInfo* CUIResources::AddFont(int id, std::u16string_view face, int size, bool bold,
                                         bool underline, bool italic, bool shared) {
  if (!shared) {
    std::unique_ptr<TUIFontInfo> font = MakeFont(face, size, bold, underline, italic);
    if (!font) return nullptr;
    return (m_fonts[id] = std::move(font)).get();
  }
  TUISharedResources& all = SharedResources();
  std::lock_guard<std::mutex> guard(all.lock);
  if (auto it = all.fonts.find(id); it != all.fonts.end()) return it->second.get();
  std::unique_ptr<TUIFontInfo> font = MakeFont(face, size, bold, underline, italic);
  if (!font) return nullptr;
  return (all.fonts[id] = std::move(font)).get();
}

const TUIFontInfo* CUIResources::SetDefaultFont(std::u16string_view face, int size, bool bold, bool underline,
                                                bool italic, bool shared) {
  std::unique_ptr<TUIFontInfo> font = MakeFont(face, size, bold, underline, italic);
  if (!font) return nullptr;
  if (!shared) return (m_defaultFont = std::move(font)).get();
  TUISharedResources& all = SharedResources();
  std::lock_guard<std::mutex> guard(all.lock);
  return (all.defaultFont = std::move(font)).get();
}

const TUIFontInfo* CUIResources::GetDefaultFontInfo() {
  if (m_defaultFont) return m_defaultFont.get();
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  if (!shared.defaultFont) {
    shared.defaultFont = MakeFont(kSystemDefaultFace, kSystemDefaultSize, false, false, false);
  }
  return AtOwnScale(kDefaultFontKey, shared.defaultFont.get());
}

const TUIFontInfo* CUIResources::AtOwnScale(int key, const TUIFontInfo* font) {
  const int scale = GetDPIScale();
  if (font == nullptr || font->iScale == scale) return font;
  std::unique_ptr<TUIFontInfo>& own = m_scaledSharedFonts[key];
  if (!own || own->iScale != scale ||
      !SameFont(*own, font->sFontName, font->iSize, font->bBold, font->bUnderline, font->bItalic)) {
    own = MakeFont(font->sFontName, font->iSize, font->bBold, font->bUnderline, font->bItalic);
  }
  return own ? own.get() : font;
}

bool CUIResources::IsFontIdTaken(int id) const {
  if (m_fonts.count(id)) return true;
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  return shared.fonts.count(id) != 0;
}

int CUIResources::GetFontCount(bool shared) const {
  if (!shared) return static_cast<int>(m_fonts.size());
  TUISharedResources& all = SharedResources();
  std::lock_guard<std::mutex> guard(all.lock);
  return static_cast<int>(all.fonts.size());
}

void CUIResources::RebuildOwnFonts() {
  for (auto& [id, font] : m_fonts) {
    auto rebuilt = MakeFont(font->sFontName, font->iSize, font->bBold, font->bUnderline, font->bItalic);
    if (rebuilt) font = std::move(rebuilt);
  }
  if (m_defaultFont) {
    const TUIFontInfo& f = *m_defaultFont;
    auto rebuilt = MakeFont(f.sFontName, f.iSize, f.bBold, f.bUnderline, f.bItalic);
    if (rebuilt) m_defaultFont = std::move(rebuilt);
  }
}

}  // namespace SkinUI
