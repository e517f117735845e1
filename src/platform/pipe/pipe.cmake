# orv_platform_pipe: named pipes between local processes (client and
# listening ends). POSIX: AF_UNIX stream sockets; Windows: named pipes with
# overlapped I/O. See platform/pipe/pipe_connection.h.
if(ORV_PLATFORM_BACKEND STREQUAL "posix")
  add_library(orv_platform_pipe STATIC
    ${CMAKE_CURRENT_LIST_DIR}/posix/pipe_connection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/pipe_listener.cpp
    ${CMAKE_CURRENT_LIST_DIR}/posix/pipe_socket.cpp)
  target_link_libraries(orv_platform_pipe PUBLIC Threads::Threads)
else()
  add_library(orv_platform_pipe STATIC
    ${CMAKE_CURRENT_LIST_DIR}/win32/pipe_connection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/pipe_listener.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/pipe_overlapped.cpp)
  # The listener turns the ANSI pipe name into UTF-16 through the code page
  # conversion of orv_platform; kernel32 has the pipe calls.
  target_link_libraries(orv_platform_pipe PUBLIC Threads::Threads orv_platform kernel32)
endif()
target_include_directories(orv_platform_pipe PUBLIC ${PROJECT_SOURCE_DIR}/src)
