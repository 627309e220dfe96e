# Tests of the main frame and the colour view.
# Offscreen, with the settings in a folder of the test's own (see the tests).
add_library(window_test_support STATIC window_test_support.cpp window_test_support.h)
target_link_libraries(window_test_support PUBLIC tintor_gui tintor_test_support Qt6::Test)

function(tintor_add_window_test name)
  add_executable(${name} ${name}.cpp)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE window_test_support)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1"
    TIMEOUT 600)
endfunction()

tintor_add_window_test(window_colour_view_test)
tintor_add_window_test(window_frame_test)

# The program itself: started on the sample movie, it shows the movie and
# saves a picture of its window (fails when it cannot).
add_test(NAME window_program_screenshot
  COMMAND tintor --screenshot ${CMAKE_CURRENT_BINARY_DIR}/window_program_screenshot.png ${CMAKE_BINARY_DIR}/sample.swf)
set_tests_properties(window_program_screenshot PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/window_program_settings"
  TIMEOUT 300)
