# orv_platform_crash: the crash filter (crash_filter.h). The POSIX backend
# handles fatal signals and writes minidumps with async-signal-safe calls only;
# the Windows backend is an unhandled-exception filter over dbghelp.
file(GLOB ORV_PLATFORM_CRASH_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_LIST_DIR}/${ORV_PLATFORM_BACKEND}/crash_*.cpp)
# A backend still being written leaves the library out; its users then fail
# to link, not the whole configure.
if(NOT ORV_PLATFORM_CRASH_SOURCES)
  message(WARNING "orv_platform_crash: no ${ORV_PLATFORM_BACKEND} backend yet")
  return()
endif()
add_library(orv_platform_crash STATIC ${ORV_PLATFORM_CRASH_SOURCES})
target_include_directories(orv_platform_crash PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_platform_crash PUBLIC orv_platform)
if(ORV_PLATFORM_BACKEND STREQUAL "win32")
  target_link_libraries(orv_platform_crash PRIVATE dbghelp)
endif()
