# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix-threads GCC, for std::thread).
# The dependencies' install prefix, DEMO_DEPS_PREFIX, joins the find root so that find_package
# sees only Windows libraries: those in it and the MinGW runtime's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEMO_DEPS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
if(DEMO_DEPS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${DEMO_DEPS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static: the executables then need only the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
