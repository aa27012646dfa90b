# Leptonica with every image codec it reads, stb and zbar, linked from the static
# archives Debian ships: a worker run on a small image then loads 6 shared
# libraries instead of 22, and the dynamic loader's share of its start falls
# by half (bench/startup.sh). zxing-cpp comes only as a shared library.
# Programs linking the engine see no difference: the imported targets
# PkgConfig::LEPTONICA and PkgConfig::STB name the archives instead.
option(VELMORA_STATIC_ARCHIVES "Link Leptonica, its codecs, stb and zbar from static archives" ON)

# Each archive before the ones it uses.
set(VELMORA_LEPTONICA_ARCHIVES
    lept tiff webpmux webp openjp2 gif png16 jpeg Lerc jbig deflate zstd lzma z)
set(VELMORA_STB_ARCHIVES stb)
# The engine calls only zbar's image scanner, which needs none of the
# libraries its shared build loads (X11, video); its D-Bus calls, which the
# engine never makes, are answered by engine/zbar/NoDbus.cpp.
set(VELMORA_ZBAR_ARCHIVES zbar)

function(velmora_link_archives target)
  set(paths)
  foreach(name IN LISTS ARGN)
    find_library(VELMORA_ARCHIVE_${name} NAMES lib${name}.a)
    if(NOT VELMORA_ARCHIVE_${name})
      message(FATAL_ERROR "lib${name}.a is missing: run tools/install-deps.sh, "
                          "or configure with -DVELMORA_STATIC_ARCHIVES=OFF")
    endif()
    list(APPEND paths ${VELMORA_ARCHIVE_${name}})
  endforeach()
  set_property(TARGET ${target} PROPERTY INTERFACE_LINK_LIBRARIES ${paths} m Threads::Threads)
  set_property(TARGET ${target} PROPERTY INTERFACE_LINK_DIRECTORIES "")
  set_property(TARGET ${target} PROPERTY INTERFACE_LINK_OPTIONS "")
endfunction()

if(VELMORA_STATIC_ARCHIVES)
  find_package(Threads REQUIRED)
  velmora_link_archives(PkgConfig::LEPTONICA ${VELMORA_LEPTONICA_ARCHIVES})
  velmora_link_archives(PkgConfig::STB ${VELMORA_STB_ARCHIVES})
  velmora_link_archives(PkgConfig::ZBAR ${VELMORA_ZBAR_ARCHIVES})
endif()
