# Tests of Help and About.
velinor_add_test(test_help SOURCES test_help.cpp)
velinor_add_test(test_about SOURCES test_about.cpp LIBS velinor_widgets)
