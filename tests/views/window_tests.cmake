# Tests of the main frame and the colour view.
