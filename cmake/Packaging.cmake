# SPDX-License-Identifier: GPL-3.0-or-later
# What a Debian desktop expects beside the two programs (manual pages,
# AppStream metainfo, copyright), and the Debian package CPack builds from
# the install rules (scripts/package.sh).

# Manual pages and metainfo carry the project's version (set in the top-level
# CMakeLists.txt); the build writes them into generated/.
set(DW_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
foreach(page driftwise driftwise-cli)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${DW_GENERATED_DIR}/man/${page}.1 @ONLY)
endforeach()
set(DW_METAINFO ${DW_GENERATED_DIR}/com.corvolab.Driftwise.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/src/ui/resources/com.corvolab.Driftwise.metainfo.xml.in ${DW_METAINFO} @ONLY)

# Manual pages, compressed as Debian installs them.
find_program(DW_GZIP gzip)
set(_dw_man_outputs "")
foreach(page driftwise driftwise-cli)
  set(_src ${DW_GENERATED_DIR}/man/${page}.1)
  if(DW_GZIP)
    set(_out ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${_out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND sh -c "\"$1\" -9 -n -c \"$2\" > \"$3\"" sh ${DW_GZIP} ${_src} ${_out}
      DEPENDS ${_src}
      COMMENT "Compressing the manual page ${page}(1)"
      VERBATIM)
  else()
    set(_out ${_src})
  endif()
  list(APPEND _dw_man_outputs ${_out})
endforeach()
add_custom_target(dw_man_pages ALL DEPENDS ${_dw_man_outputs})
install(FILES ${_dw_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${DW_METAINFO}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/driftwise)

# The Debian package. Depends come from the libraries the programs link
# (dpkg-shlibdeps), plus the Qt image plugins the TIFF export loads at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME driftwise)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Corvolab)
set(CPACK_PACKAGE_CONTACT "Driftwise developers <driftwise@corvolab.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "how long the astigmatism of a corrected TEM stays within tolerance")
set(CPACK_PACKAGE_DESCRIPTION
    "Driftwise imports corrector logs (CEOS C1A1 and ATLASStab logs) of aberration-corrected transmission\n"
    "electron microscopes, extracts the two-fold astigmatism, computes its characteristic function, fits a\n"
    "drift model and estimates how long the astigmatism stays within the tolerance of a target resolution.\n"
    "The package holds the Qt desktop program driftwise and the batch tool driftwise-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)
