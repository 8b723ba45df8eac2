# Sources of the main form, the application object and main().
