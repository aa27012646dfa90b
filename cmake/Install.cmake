# Installation and the Debian package: the worker and velmora-annotate under
# bin/, their man pages under share/man/man1/, the schemas, the documents and
# the example page under share/doc/velmora-barcode/.
include(GNUInstallDirs)
# Installing (and CPack) takes what is built and builds nothing more: the test
# executables are never installed, so they need not be built first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS velmora-barcode velmora-annotate RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Man pages are written in scdoc and turned into roff at build time; Debian
# ships them compressed.
find_program(SCDOC scdoc)
set(VELMORA_MAN_PAGES velmora-barcode velmora-annotate)
set(VELMORA_MAN_DIR ${CMAKE_BINARY_DIR}/man)
if(SCDOC)
  foreach(page IN LISTS VELMORA_MAN_PAGES)
    set(source ${CMAKE_SOURCE_DIR}/docs/man/${page}.1.scd)
    add_custom_command(
      OUTPUT ${VELMORA_MAN_DIR}/${page}.1 ${VELMORA_MAN_DIR}/${page}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORA_MAN_DIR}
      COMMAND sh -c "'${SCDOC}' < '${source}' > '${VELMORA_MAN_DIR}/${page}.1'"
      COMMAND sh -c "gzip -9n < '${VELMORA_MAN_DIR}/${page}.1' > '${VELMORA_MAN_DIR}/${page}.1.gz'"
      DEPENDS ${source}
      COMMENT "Man page ${page}(1)"
      VERBATIM)
    list(APPEND VELMORA_MAN_OUTPUTS ${VELMORA_MAN_DIR}/${page}.1)
    install(FILES ${VELMORA_MAN_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${VELMORA_MAN_OUTPUTS})
else()
  message(WARNING "scdoc not found: no man pages (tools/install-deps.sh installs it)")
endif()

set(VELMORA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora-barcode)
install(FILES README.md docs/engine.md docs/limits.md docs/batch.md DESTINATION ${VELMORA_DOC_DIR})
install(DIRECTORY schemas DESTINATION ${VELMORA_DOC_DIR})
install(DIRECTORY docs/batch DESTINATION ${VELMORA_DOC_DIR})
install(FILES examples/page.png examples/request.json.in DESTINATION ${VELMORA_DOC_DIR}/examples)
# The batch script is no document: container images often leave docs out.
install(PROGRAMS tools/batch.sh DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/velmora-barcode)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora-barcode)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora Barcode Module maintainers <barcode@velmora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one-shot worker that reads every barcode on a page image")
set(CPACK_PACKAGE_DESCRIPTION "velmora-barcode reads a JSON request, finds and reads the \
barcodes on the page image it names and writes a JSON result document. velmora-annotate draws \
what was found over the page.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Library dependencies come from dpkg-shlibdeps over the installed programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# tools/batch.sh runs pages with GNU parallel.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS parallel)
include(CPack)
