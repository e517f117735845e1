# orv_platform_resources: the resources in the program's own executable
# (platform/resources/program_resources.h). Windows only: other systems have
# no resource section; the build links the program's resources in as data there.
if(NOT ORV_PLATFORM_BACKEND STREQUAL "win32")
  return()
endif()
add_library(orv_platform_resources STATIC ${CMAKE_CURRENT_LIST_DIR}/win32/resources_module.cpp)
target_include_directories(orv_platform_resources PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(orv_platform_resources PUBLIC orv_platform)
