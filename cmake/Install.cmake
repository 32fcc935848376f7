# What `cmake --install` puts where. Every destination is relative to the prefix, so a package generator
# can reuse these rules unchanged. Included last, once every target exists.
include(GNUInstallDirs)

# The encoder module is ours alone, not a library for others to link: it gets a folder of its own.
set(QUORBEL_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/quorbel)
install(TARGETS lame_enc LIBRARY DESTINATION ${QUORBEL_INSTALL_MODULEDIR})

# The encoder stage falls back to dlopen by plain name, which searches the calling program's run path;
# relative to $ORIGIN, so the installed tree can move. The build tree keeps its module beside the programs.
file(RELATIVE_PATH quorbel_module_from_bin
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/quorbel)
foreach(program IN ITEMS quorbel quorbel-convert)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${quorbel_module_from_bin}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/app/quorbel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/app/icons/quorbel.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
