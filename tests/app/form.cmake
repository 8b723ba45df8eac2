# Tests of the main form and the application object.
