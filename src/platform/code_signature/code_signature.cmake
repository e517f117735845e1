# orv_platform_code_signature: the system's checks of code signatures
# (platform/code_signature/code_signature.h): crypt32 and wintrust on Windows,
# none on POSIX.
add_library(orv_platform_code_signature STATIC
  ${CMAKE_CURRENT_LIST_DIR}/${ORV_PLATFORM_BACKEND}/code_signature.cpp)
target_include_directories(orv_platform_code_signature PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_platform_code_signature PUBLIC orv_platform)
if(ORV_PLATFORM_BACKEND STREQUAL "win32")
  target_link_libraries(orv_platform_code_signature PRIVATE crypt32 wintrust)
endif()
