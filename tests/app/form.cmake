# Tests of the main form and the application object.
velinor_add_test(test_port_list SOURCES test_port_list.cpp)
velinor_add_test(test_field_rules SOURCES test_field_rules.cpp)
velinor_add_test(test_main_form SOURCES test_main_form.cpp LIBS velinor_widgets)
velinor_add_test(test_form_workflows SOURCES test_form_workflows.cpp LIBS velinor_widgets)
