# Main frame, application, colour view: sources of tintor_gui and the tintor executable.
