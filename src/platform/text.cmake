# orv_platform_text: the text renderer (fonts, measuring and drawing runs).
# POSIX: FreeType + fontconfig. The Windows backend (GDI into a DIB) comes
# with the Windows build.
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  pkg_check_modules(FREETYPE2 REQUIRED IMPORTED_TARGET freetype2)
  pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
  file(GLOB ORV_PLATFORM_TEXT_SOURCES CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_LIST_DIR}/posix/text_*.cpp)
  add_library(orv_platform_text STATIC ${ORV_PLATFORM_TEXT_SOURCES})
  target_include_directories(orv_platform_text PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(orv_platform_text PUBLIC orv_base
                        PRIVATE PkgConfig::FREETYPE2 PkgConfig::FONTCONFIG Threads::Threads)
endif()
