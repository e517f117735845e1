# orv_platform_text: the text renderer (fonts, measuring and drawing runs).
# POSIX: FreeType + fontconfig. Windows: GDI text drawn into a DIB section.
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  add_library(orv_platform_text STATIC
    ${CMAKE_CURRENT_LIST_DIR}/posix/text_freetype.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/text_font_match.cpp)
  pkg_check_modules(FREETYPE2 REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  target_link_libraries(orv_platform_text PUBLIC orv_common
                        PRIVATE PkgConfig::FREETYPE2 PkgConfig::FONTCONFIG Threads::Threads)
  # Glyphs are put onto the canvas pixel by pixel on every paint.
  orv_hot_code(${CMAKE_CURRENT_LIST_DIR}/posix/text_freetype.cpp)
else()
  add_library(orv_platform_text STATIC
    ${CMAKE_CURRENT_LIST_DIR}/win32/text_gdi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/text_gdi_face.cpp)
  # orv_platform carries the Windows definitions (UNICODE, NOMINMAX, ...).
  target_link_libraries(orv_platform_text PUBLIC orv_common orv_platform PRIVATE gdi32)
  orv_hot_code(${CMAKE_CURRENT_LIST_DIR}/win32/text_gdi.cpp)
endif()
target_include_directories(orv_platform_text PUBLIC ${PROJECT_SOURCE_DIR}/src)
