# orv_pack_zip(OUTPUT archive [BASE_DIR dir] FILES file...)
#
# Packs the files into archive at build time with orvzip. With BASE_DIR the
# entries are named by their path relative to that folder ("img/bg.png"),
# else by their file name. The archive is rebuilt when a file or orvzip
# changes; a target that depends on the archive file triggers it.
# Include this file from any CMakeLists.txt; orvzip may be defined later.
include_guard(GLOBAL)

function(orv_pack_zip)
  cmake_parse_arguments(PACK "" "OUTPUT;BASE_DIR" "FILES" ${ARGN})
  if(NOT PACK_OUTPUT OR NOT PACK_FILES)
    message(FATAL_ERROR "orv_pack_zip needs OUTPUT and FILES")
  endif()
  set(pack_args)
  foreach(file ${PACK_FILES})
    get_filename_component(abs "${file}" ABSOLUTE)
    if(PACK_BASE_DIR)
      get_filename_component(base "${PACK_BASE_DIR}" ABSOLUTE)
      file(RELATIVE_PATH entry "${base}" "${abs}")
    else()
      get_filename_component(entry "${abs}" NAME)
    endif()
    list(APPEND pack_args -n "${entry}" "${abs}")
    list(APPEND pack_inputs "${abs}")
  endforeach()
  get_filename_component(out_dir "${PACK_OUTPUT}" DIRECTORY)
  add_custom_command(
    OUTPUT "${PACK_OUTPUT}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${out_dir}"
    # Named as a target, orvzip runs through the cross-compiling emulator
    # (Wine) when the build machine cannot run it itself.
    COMMAND orvzip "${PACK_OUTPUT}" ${pack_args}
    DEPENDS orvzip ${pack_inputs}
    COMMENT "Packing ${PACK_OUTPUT}"
    VERBATIM)
endfunction()
