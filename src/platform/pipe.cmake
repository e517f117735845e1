# orv_platform_pipe: named pipes between local processes (client and
# listening ends). POSIX: AF_UNIX stream sockets; Windows: named pipes with
# overlapped I/O. See pipe_connection.h.
file(GLOB ORV_PLATFORM_PIPE_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/${ORV_PLATFORM_BACKEND}/pipe_*.cpp)
# A backend still being written leaves the library out; its users then fail
# to link, not the whole configure.
if(NOT ORV_PLATFORM_PIPE_SOURCES)
  message(WARNING "orv_platform_pipe: no ${ORV_PLATFORM_BACKEND} backend yet")
  return()
endif()
add_library(orv_platform_pipe STATIC ${ORV_PLATFORM_PIPE_SOURCES})
target_include_directories(orv_platform_pipe PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_platform_pipe PUBLIC Threads::Threads)
if(NOT ORV_PLATFORM_BACKEND STREQUAL "posix")
  # The listener turns the ANSI pipe name into UTF-16 through the code page
  # conversion of the core library; kernel32 has the pipe calls.
  target_link_libraries(orv_platform_pipe PUBLIC orv_platform kernel32)
endif()
