# Preview view sources of tintor_gui and the player files installed beside the program.
