# Third-party libraries as one interface target, orvel_thirdparty: FreeType, libpng, libjpeg,
# libvorbisfile/libvorbis/libogg and zlib. The native build takes Debian's packages; the win32
# build takes the static libraries that scripts/build-win32-deps.sh put in ORVEL_DEPS.
add_library(orvel_thirdparty INTERFACE)

if(ORVEL_WIN32)
  if(NOT ORVEL_DEPS OR NOT EXISTS "${ORVEL_DEPS}/.complete")
    message(FATAL_ERROR "ORVEL_DEPS does not name a finished prefix of Windows libraries; "
                        "run scripts/setup.sh and pass the ORVEL_DEPS it prints")
  endif()
  target_include_directories(orvel_thirdparty SYSTEM INTERFACE ${ORVEL_DEPS}/include ${ORVEL_DEPS}/include/freetype2)
  foreach(lib freetype png16 jpeg vorbisfile vorbis ogg)
    target_link_libraries(orvel_thirdparty INTERFACE ${ORVEL_DEPS}/lib/lib${lib}.a)
  endforeach()
  target_link_libraries(orvel_thirdparty INTERFACE z)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ORVEL_PC REQUIRED IMPORTED_TARGET freetype2 libpng vorbisfile vorbis ogg zlib)
  find_package(JPEG REQUIRED)
  target_link_libraries(orvel_thirdparty INTERFACE PkgConfig::ORVEL_PC JPEG::JPEG)
endif()
