# orv_platform_window: the window system (window_system.h, window_messages.h)
# and the message loop; the window activation of another instance rides on it.
# POSIX: the shared window core in core/, with the display backends x11/ (Xlib,
# XShape, XFixes, RandR, Xinerama) and headless/. Windows: the real calls, in
# win32/.
# orv_platform_window_testing: the test driver (input like a user's, through
# XTEST on X11, and screenshots), never linked into the program.
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  set(ORV_PLATFORM_WINDOW_SOURCES
    window_loop.cpp
    window_activation.cpp
    core/window_accessibility.cpp
    core/window_default_proc.cpp
    core/window_icon.cpp
    core/window_input.cpp
    core/window_monitor.cpp
    core/window_monitor_changes.cpp
    core/window_paint.cpp
    core/window_placement.cpp
    core/window_queue.cpp
    core/window_table.cpp
    core/window_tooltip.cpp
    headless/window_headless.cpp
    x11/window_x11_backend.cpp
    x11/window_x11_desktop.cpp
    x11/window_x11_events.cpp
    x11/window_x11_monitors.cpp
    x11/window_x11_present.cpp
    x11/window_x11_ring.cpp)
  set(ORV_PLATFORM_WINDOW_TESTING_SOURCES window_test_png.cpp core/window_test_driver.cpp
                                         x11/window_x11_test_input.cpp)
else()
  set(ORV_PLATFORM_WINDOW_SOURCES
    window_loop.cpp
    window_activation.cpp
    win32/window_class.cpp
    win32/window_messages.cpp
    win32/window_placement.cpp
    win32/window_paint.cpp
    win32/window_input.cpp
    win32/window_desktop.cpp
    win32/window_icon.cpp
    win32/window_accessibility.cpp
    win32/window_accessible_object.cpp)
  set(ORV_PLATFORM_WINDOW_TESTING_SOURCES window_test_png.cpp win32/window_test_driver.cpp)
endif()
list(TRANSFORM ORV_PLATFORM_WINDOW_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
list(TRANSFORM ORV_PLATFORM_WINDOW_TESTING_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

add_library(orv_platform_window STATIC ${ORV_PLATFORM_WINDOW_SOURCES})
target_link_libraries(orv_platform_window PUBLIC orv_platform PRIVATE orv_platform_text)
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  pkg_check_modules(ORV_X11 REQUIRED IMPORTED_TARGET x11 xext xfixes xrandr xinerama)
  pkg_check_modules(ORV_XTST REQUIRED IMPORTED_TARGET xtst)
  target_link_libraries(orv_platform_window PRIVATE PkgConfig::ORV_X11)
else()
  target_link_libraries(orv_platform_window PUBLIC user32 gdi32 comctl32 oleacc ole32 oleaut32)
endif()

find_path(ORV_STB_INCLUDE_DIR stb/stb_image.h REQUIRED)
add_library(orv_platform_window_testing STATIC ${ORV_PLATFORM_WINDOW_TESTING_SOURCES})
target_link_libraries(orv_platform_window_testing PUBLIC orv_platform_window)
target_include_directories(orv_platform_window_testing SYSTEM PRIVATE ${ORV_STB_INCLUDE_DIR})
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  target_link_libraries(orv_platform_window_testing PRIVATE PkgConfig::ORV_X11 PkgConfig::ORV_XTST)
else()
  target_link_libraries(orv_platform_window_testing PRIVATE user32 gdi32)
endif()
