# Preview view sources of tintor_views and the player files installed beside the program.
target_sources(tintor_views PRIVATE
  data_folders.cpp data_folders.h
  preview_environment.cpp preview_environment.h
  preview_page.cpp preview_page.h
  preview_player.cpp preview_player.h
  preview_view.cpp preview_view.h
  preview_glances.cpp
  preview_simulation.cpp
  preview_zoom.cpp preview_zoom.h)

# The Ruffle player comes from npm, pinned by package-lock.json in the
# project's root, and is copied with our host page into a "ruffle" folder
# beside the program; nothing of it is fetched at run time.
set(TINTOR_RUFFLE_PACKAGE "${CMAKE_SOURCE_DIR}/node_modules/@ruffle-rs/ruffle")
if(NOT EXISTS "${TINTOR_RUFFLE_PACKAGE}/ruffle.js")
  message(FATAL_ERROR
    "The preview's player is missing: ${TINTOR_RUFFLE_PACKAGE} does not exist.\n"
    "Install it with `npm ci` in ${CMAKE_SOURCE_DIR} (package-lock.json pins @ruffle-rs/ruffle 0.6.0), "
    "or configure with -DTINTOR_GUI=OFF to build without the window.")
endif()

file(GLOB tintor_ruffle_files CONFIGURE_DEPENDS
  "${TINTOR_RUFFLE_PACKAGE}/*.js" "${TINTOR_RUFFLE_PACKAGE}/*.wasm" "${TINTOR_RUFFLE_PACKAGE}/LICENSE*")
set(tintor_player_sources ${tintor_ruffle_files} "${CMAKE_SOURCE_DIR}/src/res/preview/preview.html")
set(TINTOR_PLAYER_DIR "${CMAKE_BINARY_DIR}/ruffle")
set(tintor_player_outputs)
foreach(source IN LISTS tintor_player_sources)
  get_filename_component(name "${source}" NAME)
  list(APPEND tintor_player_outputs "${TINTOR_PLAYER_DIR}/${name}")
endforeach()

add_custom_command(
  OUTPUT ${tintor_player_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory "${TINTOR_PLAYER_DIR}"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${tintor_player_sources} "${TINTOR_PLAYER_DIR}"
  DEPENDS ${tintor_player_sources}
  COMMENT "Copying the Ruffle player beside the program"
  VERBATIM)
add_custom_target(tintor_preview_player DEPENDS ${tintor_player_outputs})
add_dependencies(tintor_views tintor_preview_player)

# An installed program finds its data from where it is; programs of the
# build tree that are not beside its data folders (the tests) find them at
# the top of the build tree.
include(GNUInstallDirs)
file(RELATIVE_PATH tintor_installed_data "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/tintor")
set_source_files_properties(data_folders.cpp PROPERTIES COMPILE_DEFINITIONS
  "TINTOR_BUILD_DIR=\"${CMAKE_BINARY_DIR}\";TINTOR_INSTALLED_DATA=\"${tintor_installed_data}\"")

install(DIRECTORY "${TINTOR_PLAYER_DIR}/" DESTINATION "${CMAKE_INSTALL_DATADIR}/tintor/ruffle")
