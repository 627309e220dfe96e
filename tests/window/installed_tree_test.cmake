# Installs the build under a fresh prefix outside the build tree and runs the
# installed programs from there, so that they can only use what was
# installed: tintor-cli lists the sample's colours, and tintor shows the
# sample in its preview (its --screenshot fails when the preview does not)
# in English, without a word about a missing translation.
#   cmake -DBUILD_DIR=... -DSAMPLE=... -P installed_tree_test.cmake
set(tmp "$ENV{TMPDIR}")
if(NOT tmp)
  set(tmp /tmp)
endif()
string(RANDOM LENGTH 10 suffix)
set(prefix "${tmp}/tintor-installed-${suffix}")

# Fails the test, leaving nothing of the installed tree behind.
function(fail message)
  file(REMOVE_RECURSE "${prefix}")
  message(FATAL_ERROR "${message}")
endfunction()

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT (status EQUAL 0))
  fail("cmake --install failed: ${errors}")
endif()

foreach(file bin/tintor bin/tintor-cli share/tintor/ruffle/preview.html share/tintor/ruffle/ruffle.js
    share/tintor/translations/tintor_en.qm share/tintor/docs/window.md share/tintor/docs/screenshot.png
    share/applications/tintor.desktop
    share/icons/hicolor/scalable/apps/tintor.svg)
  if(NOT EXISTS "${prefix}/${file}")
    fail("not installed: ${file}")
  endif()
endforeach()
file(GLOB programs RELATIVE "${prefix}/bin" "${prefix}/bin/*")
list(SORT programs)
if(NOT (programs STREQUAL "tintor;tintor-cli"))
  fail("bin holds ${programs}, not just tintor and tintor-cli")
endif()
file(READ "${prefix}/share/applications/tintor.desktop" entry)
foreach(type application/x-shockwave-flash application/vnd.adobe.flash.movie)
  string(REGEX MATCH "\nMimeType=[^\n]*${type};" mime "${entry}")
  if(NOT mime)
    fail("the desktop entry does not offer itself for ${type}")
  endif()
endforeach()
# The program by its path: the prefix's bin need not be on PATH.
string(FIND "${entry}" "\nExec=${prefix}/bin/tintor %f\n" exec)
if(NOT (exec GREATER -1))
  fail("the desktop entry does not start ${prefix}/bin/tintor: ${entry}")
endif()

execute_process(COMMAND "${prefix}/bin/tintor-cli" colours "${SAMPLE}"
  RESULT_VARIABLE status OUTPUT_VARIABLE colours ERROR_VARIABLE errors)
if(NOT (status EQUAL 0))
  fail("installed tintor-cli failed: ${errors}")
endif()
if(NOT (colours MATCHES "(bg|fill|line|text) #[0-9a-f]+ [0-9]+"))
  fail("installed tintor-cli listed: ${colours}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
    "XDG_CONFIG_HOME=${prefix}/settings" "${prefix}/bin/tintor" --lang en --screenshot "${prefix}/window.png" "${SAMPLE}"
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 240)
if(NOT (status EQUAL 0))
  fail("installed tintor did not show the sample (${status}): ${errors}")
endif()
string(FIND "${errors}" "translation was not found" missing)
if(NOT (missing EQUAL -1))
  fail("installed tintor did not find its translation: ${errors}")
endif()
if(NOT (EXISTS ${prefix}/window.png))
  fail("installed tintor took no picture")
endif()
file(REMOVE_RECURSE "${prefix}")
