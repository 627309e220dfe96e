# The Exec key of the menu entry: the program's path as one argument, quoted
# and escaped as desktop entries want it.
#   cmake -DSOURCE_DIR=... -P desktop_entry_test.cmake
include("${SOURCE_DIR}/cmake/desktop_entry.cmake")

function(expect program written)
  tintor_desktop_exec(got "${program}")
  if(NOT got STREQUAL written)
    message(SEND_ERROR "${program}: written as [${got}], not [${written}]")
  endif()
endfunction()

expect("/usr/local/bin/tintor" "/usr/local/bin/tintor")
expect("/opt/my apps/bin/tintor" "\"/opt/my apps/bin/tintor\"")
expect("/home/u/100%/bin/tintor" "/home/u/100%%/bin/tintor")
expect("/opt/a\$b/bin/tintor" "\"/opt/a\\\\\$b/bin/tintor\"")
expect("/opt/it's/bin/tintor" "\"/opt/it's/bin/tintor\"")
expect("/opt/say \"hi\"/tintor" "\"/opt/say \\\\\"hi\\\\\"/tintor\"")
expect("/opt/back\\slash/tintor" "\"/opt/back\\\\\\\\slash/tintor\"")
