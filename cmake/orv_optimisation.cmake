# How optimised builds trade size for speed: the program is mostly cold code
# (start-up, requests, the dialog's controls), so it is optimised for size,
# and unused functions and data are dropped at link time; the hot loops keep
# -O2 through orv_hot_code (MD5, text conversion, the markup scanner,
# blending, fills, image drawing and putting glyphs onto the canvas), so
# their benchmarks hold.
if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug" AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Os -ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  set(ORV_HOT_CODE_OPTIONS -O2)
endif()

# orv_hot_code(FILE...): sources of the current folder compiled for speed.
function(orv_hot_code)
  if(ORV_HOT_CODE_OPTIONS)
    set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_OPTIONS ${ORV_HOT_CODE_OPTIONS})
  endif()
endfunction()
