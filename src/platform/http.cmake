# orv_platform_http: one HTTP exchange (platform/http_exchange.h).
# POSIX backend on libcurl; the Windows backend will sit on WinHTTP.
file(GLOB ORV_PLATFORM_HTTP_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_LIST_DIR}/${ORV_PLATFORM_BACKEND}/http_*.cpp)
# A backend still being written leaves the library out; its users then fail
# to link, not the whole configure.
if(NOT ORV_PLATFORM_HTTP_SOURCES)
  message(WARNING "orv_platform_http: no ${ORV_PLATFORM_BACKEND} backend yet")
  return()
endif()
add_library(orv_platform_http STATIC ${ORV_PLATFORM_HTTP_SOURCES})
target_include_directories(orv_platform_http PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_platform_http PUBLIC orv_common)
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
  target_link_libraries(orv_platform_http PRIVATE PkgConfig::LIBCURL)
else()
  target_link_libraries(orv_platform_http PUBLIC orv_platform winhttp)
endif()
