# Sources of Help and About.
