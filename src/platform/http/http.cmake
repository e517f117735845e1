# orv_platform_http: one HTTP exchange (platform/http/http_exchange.h).
# POSIX: libcurl. Windows: WinHTTP.
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  add_library(orv_platform_http STATIC ${CMAKE_CURRENT_LIST_DIR}/posix/http_exchange_curl.cpp)
  pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
  target_link_libraries(orv_platform_http PUBLIC orv_common PRIVATE PkgConfig::LIBCURL)
else()
  add_library(orv_platform_http STATIC ${CMAKE_CURRENT_LIST_DIR}/win32/http_exchange_winhttp.cpp)
  # orv_platform carries the Windows definitions (UNICODE, NOMINMAX, ...).
  target_link_libraries(orv_platform_http PUBLIC orv_common orv_platform winhttp)
endif()
target_include_directories(orv_platform_http PUBLIC ${PROJECT_SOURCE_DIR}/src)
