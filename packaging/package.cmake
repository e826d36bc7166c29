# The Debian package: `cmake --build build --target package` writes build/velmora_VERSION_ARCH.deb.
# Everything lives below /opt/velmora as in the build tree (bin/, Slowniki/ and tools/ side by
# side, which is how the program finds them); the commands are linked into /usr/bin.
set(VELMORA_PREFIX /opt/velmora)
set(VELMORA_HOST_LIBRARIES velmora_host velmora_host_base velmora_xml velmora_host_db velmora_host_mail velmora_host_reports velmora_host_ui)
set(VELMORA_INSTALLED velmora velmora-cli ${VELMORA_HOST_LIBRARIES} velmora_module tessaro_xades dravonet)
# Installed, they find each other beside themselves, never in the build tree.
set_target_properties(${VELMORA_INSTALLED} PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS velmora velmora-cli RUNTIME DESTINATION bin)
install(TARGETS ${VELMORA_HOST_LIBRARIES} LIBRARY DESTINATION bin)
# The module and the plug-ins are loaded at run time from beside the program.
install(TARGETS velmora_module tessaro_xades dravonet LIBRARY DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/Slowniki DESTINATION .)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/puesc-sim/puesc_sim.py DESTINATION tools/puesc-sim)

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
foreach(cmd velmora velmora-cli)
  file(CREATE_LINK ${VELMORA_PREFIX}/bin/${cmd} ${CMAKE_BINARY_DIR}/packaging/${cmd} SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${cmd} DESTINATION /usr/bin)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/velmora.desktop DESTINATION /usr/share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/velmora.svg DESTINATION /usr/share/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/docs/guide.md DESTINATION /usr/share/doc/velmora)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/img DESTINATION /usr/share/doc/velmora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${VELMORA_PREFIX})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT "Velmora <velmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velmora - tranzyt NCTS2 dla agencji celnej")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Debug information stays in the build tree; a clerk's PC gets the program only.
set(CPACK_STRIP_FILES ON)
# The libraries the program links come from dpkg-shlibdeps; the ones it loads by name do not.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, python3, xdg-utils")
include(CPack)
