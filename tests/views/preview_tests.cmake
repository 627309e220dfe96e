# Tests of the preview view.
