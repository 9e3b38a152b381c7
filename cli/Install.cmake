# `cmake --install` lays out the tool and its plug-in as
#   <prefix>/bin/kestrow
#   <prefix>/lib/kestrow/Kestrow.so and Kestrow.pipl (its PiPL side file)
# The tool finds the plug-in from its own folder, so the installed tree works
# wherever it is put (--prefix, DESTDIR, or moved as a whole).
# lib/kestrow/ whatever the prefix: a private folder of the tool's, where
# the distribution's multiarch library folder would gain nothing.
include(GNUInstallDirs)
set(KESTROW_INSTALL_PLUGINDIR lib/kestrow)
file(RELATIVE_PATH _kestrow_plugin_from_tool
  /${CMAKE_INSTALL_BINDIR} /${KESTROW_INSTALL_PLUGINDIR})
target_compile_definitions(kestrow_cli_core PRIVATE
  KESTROW_PLUGIN_FROM_TOOL="${_kestrow_plugin_from_tool}")
target_compile_definitions(kestrow PRIVATE KESTROW_VERSION="${PROJECT_VERSION}")

install(TARGETS kestrow RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS Kestrow LIBRARY DESTINATION ${KESTROW_INSTALL_PLUGINDIR})
install(FILES $<TARGET_FILE_DIR:Kestrow>/Kestrow.pipl DESTINATION ${KESTROW_INSTALL_PLUGINDIR})
