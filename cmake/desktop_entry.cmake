# The menu entry names the installed program by its absolute path, so that a
# prefix whose bin folder is not on PATH works too. The path is known only
# when installing (cmake --install --prefix), so the entry is written then.

# The program's path as one argument of a desktop entry's Exec key: quoted
# when it holds a reserved character, with the escapes the quoting and the
# file's string values need.
function(tintor_desktop_exec out program)
  string(REPLACE "%" "%%" arg "${program}")
  if(arg MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    string(REPLACE "\"" "\\\"" arg "${arg}")
    string(REPLACE "`" "\\`" arg "${arg}")
    string(REPLACE "$" "\\$" arg "${arg}")
    set(arg "\"${arg}\"")
  endif()
  # A backslash in a string value is written twice.
  string(REPLACE "\\" "\\\\" arg "${arg}")
  set(${out} "${arg}" PARENT_SCOPE)
endfunction()

# Run at install time: writes the entry for the program in BINDIR (relative
# to the install prefix unless absolute) into DATADIR/applications.
function(tintor_install_desktop_entry template stage bindir datadir)
  if(IS_ABSOLUTE "${bindir}")
    set(program "${bindir}/tintor")
  else()
    set(program "${CMAKE_INSTALL_PREFIX}/${bindir}/tintor")
  endif()
  tintor_desktop_exec(TINTOR_DESKTOP_EXEC "${program}")
  configure_file("${template}" "${stage}/tintor.desktop" @ONLY)
  if(IS_ABSOLUTE "${datadir}")
    set(target "${datadir}/applications")
  else()
    set(target "${CMAKE_INSTALL_PREFIX}/${datadir}/applications")
  endif()
  file(INSTALL DESTINATION "${target}" TYPE FILE FILES "${stage}/tintor.desktop")
endfunction()
