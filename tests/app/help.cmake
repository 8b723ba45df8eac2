# Tests of Help and About.
