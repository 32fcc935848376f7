# What `cmake --install` puts where. Every destination is relative to the prefix, so a package generator
# can reuse these rules unchanged. Included last, once every target exists.
include(GNUInstallDirs)

# The encoder module is ours alone, not a library for others to link: it gets a folder of its own.
set(QUORBEL_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/quorbel)
install(TARGETS lame_enc LIBRARY DESTINATION ${QUORBEL_INSTALL_MODULEDIR})

# The module loader looks beside the program (the build tree), then in this folder relative to the program's
# own (the installed tree, wherever it was moved).
file(RELATIVE_PATH quorbel_module_from_bin
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/quorbel)
set_source_files_properties(${PROJECT_SOURCE_DIR}/platform/shared_module.cpp PROPERTIES
  COMPILE_DEFINITIONS "QUORBEL_MODULE_DIR_FROM_BIN=\"${quorbel_module_from_bin}\"")
foreach(program IN ITEMS quorbel quorbel-convert)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/app/quorbel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/app/icons/quorbel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
