# The version string is the project version, a hyphen and the first ten hex
# digits of the git commit. It is regenerated on every build (written only when
# it changes), so a new commit never leaves a stale identifier in the binary.
set(VELMORA_VERSION_CPP "${CMAKE_BINARY_DIR}/generated/Version.cpp")
add_custom_target(velmora_version ALL
  COMMAND ${CMAKE_COMMAND}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
          -DOUTPUT=${VELMORA_VERSION_CPP}
          -DPROJECT_VERSION=${PROJECT_VERSION}
          -P ${CMAKE_SOURCE_DIR}/cmake/WriteVersion.cmake
  BYPRODUCTS ${VELMORA_VERSION_CPP}
  COMMENT "Stamping version"
  VERBATIM)
