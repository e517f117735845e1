# Writes a resource script from a template for a file built earlier, at build
# time: @ORV_SKIN_ARCHIVE@ becomes the file's path and @ORV_SKIN_ARCHIVE_MD5@
# its digest, so the script changes whenever the file does (resource
# compilers record no dependency on the files a script names).
#
#   cmake -DINPUT=archive -DTEMPLATE=x.rc.in -DOUTPUT=x.rc -P orv_resource_script.cmake
foreach(arg INPUT TEMPLATE OUTPUT)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "orv_resource_script.cmake needs -D${arg}=...")
  endif()
endforeach()
set(ORV_SKIN_ARCHIVE "${INPUT}")
file(MD5 "${INPUT}" ORV_SKIN_ARCHIVE_MD5)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
