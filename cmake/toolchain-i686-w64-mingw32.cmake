set(PLUMEROLL_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# This build is compiled and linked only: 32-bit programs cannot run on the build machines.
