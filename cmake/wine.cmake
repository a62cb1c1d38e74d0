# CTest runs the Windows test programs through Wine's loader; it hands a 32-bit program to Wine's
# i386 half by itself.
find_program(WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT WINE64)
  find_program(WINE64 wine64)
endif()
if(WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64})
endif()
