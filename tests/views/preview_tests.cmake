# Tests of the preview view: the real web view and Ruffle player, offscreen.
add_executable(preview_view_test preview_view_test.cpp)
set_target_properties(preview_view_test PROPERTIES AUTOMOC ON)
target_link_libraries(preview_view_test PRIVATE tintor_views tintor_test_support Qt6::Test)
add_test(NAME preview_view_test COMMAND preview_view_test)
# The test's main() turns Chromium's sandbox off by itself when run as root.
set_tests_properties(preview_view_test PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  TIMEOUT 900)
# The Alt+click again at a device-pixel ratio of 2, where a point of the view
# and a pixel of its picture differ.
add_test(NAME preview_view_test_hidpi COMMAND preview_view_test altClickPicksTheColourAndPlainClickReachesTheMovie)
set_tests_properties(preview_view_test_hidpi PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2"
  TIMEOUT 900)
# Filters drawn under a virtual X display, as in a virtual machine or a
# remote desktop, where Chromium's block list would keep WebGL from the player.
find_program(TINTOR_XVFB_RUN xvfb-run)
if(TINTOR_XVFB_RUN)
  add_test(NAME preview_view_test_xvfb
    COMMAND "${TINTOR_XVFB_RUN}" -a -s "-screen 0 1024x768x24"
      $<TARGET_FILE:preview_view_test> filtersAreDrawnOrThePaneSaysTheyAreNot)
  set(tintor_xvfb_environment "QT_QPA_PLATFORM=xcb;TINTOR_EXPECT_FILTERS=1")
  if(TINTOR_SANITIZE)
    # Mesa's software GL driver keeps some allocations until the process
    # ends and is unloaded before LeakSanitizer could name it; this run
    # looks for memory errors only, the offscreen runs for leaks too.
    list(APPEND tintor_xvfb_environment "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
  endif()
  set_tests_properties(preview_view_test_xvfb PROPERTIES
    ENVIRONMENT "${tintor_xvfb_environment}"
    TIMEOUT 900)
endif()
