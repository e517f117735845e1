# orv_platform_crash: the crash filter (platform/crash/crash_filter.h). The
# POSIX backend handles fatal signals and writes minidumps with
# async-signal-safe calls only, from a child that traces the crashed process;
# the Windows backend is an unhandled-exception filter over dbghelp.
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  add_library(orv_platform_crash STATIC
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_filter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_child.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_context.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_dump_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_elf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_maps.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_minidump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_report.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_safe_io.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/crash_threads.cpp)
  target_link_libraries(orv_platform_crash PUBLIC orv_platform)
else()
  add_library(orv_platform_crash STATIC
    ${CMAKE_CURRENT_LIST_DIR}/win32/crash_filter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/crash_minidump.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/crash_report.cpp)
  target_link_libraries(orv_platform_crash PUBLIC orv_platform PRIVATE dbghelp)
endif()
target_include_directories(orv_platform_crash PUBLIC ${PROJECT_SOURCE_DIR}/src)
