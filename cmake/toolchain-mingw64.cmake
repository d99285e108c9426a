# Cross-compiles the Windows product with Debian's mingw-w64 (posix threads, so
# std::thread works) and runs the Windows tests under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZQ_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZQ_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZQ_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZQ_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZQ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained .exe per program: no libstdc++/winpthread DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(ZQ_WINE_EXECUTABLE NAMES wine wine64)
if(NOT ZQ_WINE_EXECUTABLE)
  message(FATAL_ERROR "wine was not found: the Windows preset runs its tests under wine. "
                      "Run scripts/setup (Debian packages wine and wine64) and configure again.")
endif()
# wine through a small wrapper that picks the project's prefix and quiet defaults,
# so ctest works the same from scripts/test and from a developer's shell.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run;${ZQ_WINE_EXECUTABLE}")
