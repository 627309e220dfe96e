# Main frame, application, colour view: sources of tintor_gui and the tintor executable.
target_sources(tintor_gui PRIVATE
  colour_view.cpp colour_view.h
  colour_view_delegate.cpp colour_view_delegate.h
  colour_view_model.cpp colour_view_model.h
  ${CMAKE_SOURCE_DIR}/src/app/main_frame.cpp ${CMAKE_SOURCE_DIR}/src/app/main_frame.h
  ${CMAKE_SOURCE_DIR}/src/app/tintor_app.cpp ${CMAKE_SOURCE_DIR}/src/app/tintor_app.h
  ${CMAKE_SOURCE_DIR}/src/app/qt_file_dialogs.cpp ${CMAKE_SOURCE_DIR}/src/app/qt_file_dialogs.h
  ${CMAKE_SOURCE_DIR}/src/app/qt_frame_prompts.cpp ${CMAKE_SOURCE_DIR}/src/app/qt_frame_prompts.h
  ${CMAKE_SOURCE_DIR}/src/app/qt_message_sink.cpp ${CMAKE_SOURCE_DIR}/src/app/qt_message_sink.h
  ${CMAKE_SOURCE_DIR}/src/app/qt_paths.h
  ${CMAKE_SOURCE_DIR}/src/app/qt_recent_files.cpp ${CMAKE_SOURCE_DIR}/src/app/qt_recent_files.h
  ${CMAKE_SOURCE_DIR}/src/app/qt_toolbar_icons.cpp ${CMAKE_SOURCE_DIR}/src/app/qt_toolbar_icons.h)
target_compile_definitions(tintor_gui PRIVATE TINTOR_VERSION="${PROJECT_VERSION}")

# tintor [MOVIE.swf]
add_executable(tintor ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(tintor PRIVATE tintor_gui)
# At the top of the build tree, beside the "ruffle" folder of the preview's player.
set_target_properties(tintor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
include(GNUInstallDirs)
install(TARGETS tintor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
