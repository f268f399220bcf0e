# toolchain-mingw-x86_64.cmake: Windows x86-64 DLLs with Debian's MinGW-w64 cross compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
