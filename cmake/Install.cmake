# What `cmake --install` puts under the prefix: the three programs, the
# registry tool and the settings file tool in bin/, a launcher that gives each
# user a device tree made from the sample, the sample device, a desktop entry
# and an example user unit.
include(GNUInstallDirs)
install(TARGETS velvane lokaro hortel cereg ceini standin-navigator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_SOURCE_DIR}/dist/velvane-start DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/device/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velvane/device
        USE_SOURCE_PERMISSIONS)
install(FILES ${CMAKE_SOURCE_DIR}/dist/velvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/velvane.service DESTINATION ${CMAKE_INSTALL_DATADIR}/velvane/systemd)
