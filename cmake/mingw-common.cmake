# Shared by the two mingw-w64 toolchain files; PLUMEROLL_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PLUMEROLL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLUMEROLL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLUMEROLL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PLUMEROLL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# CTest runs the Windows test programs under Wine (the 32-bit ones under wine32).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
