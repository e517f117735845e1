# orv_platform: the small system facilities every layer above may use (the
# registry, processes, environment, named mutexes, files and folders, known
# folders, code page, GUIDs, clock and sleep, machine facts). POSIX: the
# stand-ins (the registry in SQLite); Windows: the real calls.
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  set(ORV_PLATFORM_SYSTEM_SOURCES
    posix/codepage.cpp
    posix/file_handle.cpp
    posix/file_info.cpp
    posix/folder_listing.cpp
    posix/file_system.cpp
    posix/guid.cpp
    posix/known_folders.cpp
    posix/environment.cpp
    posix/clock.cpp
    posix/sleep.cpp
    posix/named_mutex.cpp
    posix/process.cpp
    posix/process_command_line.cpp
    posix/process_setup.cpp
    posix/registry.cpp
    posix/machine_facts.cpp)
else()
  set(ORV_PLATFORM_SYSTEM_SOURCES
    win32/codepage.cpp
    win32/file_handle.cpp
    win32/file_info.cpp
    win32/folder_listing.cpp
    win32/file_system.cpp
    win32/guid.cpp
    win32/known_folders.cpp
    win32/environment.cpp
    win32/clock.cpp
    win32/sleep.cpp
    win32/named_mutex.cpp
    win32/process.cpp
    win32/process_command_line.cpp
    win32/process_setup.cpp
    win32/registry.cpp
    win32/machine_facts.cpp)
endif()
list(TRANSFORM ORV_PLATFORM_SYSTEM_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
add_library(orv_platform STATIC ${CMAKE_CURRENT_LIST_DIR}/whole_file.cpp ${ORV_PLATFORM_SYSTEM_SOURCES})
target_include_directories(orv_platform PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_platform PUBLIC orv_common Threads::Threads)
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
  target_link_libraries(orv_platform PRIVATE PkgConfig::SQLITE3)
else()
  target_compile_definitions(orv_platform PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                             _WIN32_WINNT=0x0601)
  target_link_libraries(orv_platform PUBLIC advapi32 shell32 shlwapi ole32 comctl32 user32 kernel32)
endif()
