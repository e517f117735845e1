# Cross build of the 32-bit Windows program with mingw-w64 (posix thread
# model, so that std::thread and std::mutex exist). The dependencies built by
# scripts/build-win-deps.sh live in ORV_WIN_DEPS (default build/win-deps).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

if(NOT ORV_WIN_DEPS)
  get_filename_component(ORV_WIN_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/win-deps" ABSOLUTE)
endif()
set(ORV_WIN_DEPS "${ORV_WIN_DEPS}" CACHE PATH "Prefix of the cross-built dependencies")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${ORV_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must see the cross-built packages only, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${ORV_WIN_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(ENV{PKG_CONFIG_PATH} "")

# One self-contained executable: no mingw runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests run the programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# zlib goes into the program, not beside it as zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
