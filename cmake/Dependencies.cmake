# Every library the program calls, found once for all targets. What only the tests and the fuzz targets call is
# looked for only when they are built, so that the program alone configures without it.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED)
find_package(Cups REQUIRED)

pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
# The ALSA library SDL's audio opens, only to keep its own messages off standard error.
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
# SDL's X11 connection, only to learn when it is lost.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng16)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(OGG REQUIRED IMPORTED_TARGET ogg)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbis vorbisfile)
pkg_check_modules(THEORA REQUIRED IMPORTED_TARGET theora theoradec)
pkg_check_modules(AGG REQUIRED IMPORTED_TARGET libagg)
pkg_check_modules(XERCES REQUIRED IMPORTED_TARGET xerces-c)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo cairo-pdf cairo-ft)

if(MAZE_BUILD_TESTS)
  find_package(GTest REQUIRED)
  # The encoders make the sounds and clips the tests decode; zlib reads printed PDF pages back.
  pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
  pkg_check_modules(THEORAENC REQUIRED IMPORTED_TARGET theoraenc)
  pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
endif()
