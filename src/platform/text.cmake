# orv_platform_text: the text renderer (fonts, measuring and drawing runs).
# POSIX: FreeType + fontconfig. Windows: GDI text drawn into a DIB section.
file(GLOB ORV_PLATFORM_TEXT_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_LIST_DIR}/${ORV_PLATFORM_BACKEND}/text_*.cpp)
add_library(orv_platform_text STATIC ${ORV_PLATFORM_TEXT_SOURCES})
target_include_directories(orv_platform_text PUBLIC ${PROJECT_SOURCE_DIR}/src)
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  pkg_check_modules(FREETYPE2 REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  target_link_libraries(orv_platform_text PUBLIC orv_common
                        PRIVATE PkgConfig::FREETYPE2 PkgConfig::FONTCONFIG Threads::Threads)
else()
  # orv_platform carries the Windows definitions (UNICODE, NOMINMAX, ...).
  target_link_libraries(orv_platform_text PUBLIC orv_common orv_platform PRIVATE gdi32)
endif()
