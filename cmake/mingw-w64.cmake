# Cross build for Windows with the mingw-w64 toolchain for CMAKE_SYSTEM_PROCESSOR
# (x86_64 or i686), set by the toolchain file that includes this one.
set(CMAKE_SYSTEM_NAME Windows)
set(mingw_prefix ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
