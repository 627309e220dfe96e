# Tests of the colour view, and what the window's tests share.
# Offscreen, with the settings in a folder of the test's own (see the tests).
add_library(window_test_support STATIC window_test_support.cpp window_test_support.h)
target_include_directories(window_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(window_test_support PUBLIC tintor_views tintor_test_support Qt6::Test)

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
tintor_add_window_test(window_bitmap_strip_test)
