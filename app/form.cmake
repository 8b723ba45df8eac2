# Sources of the main form, the application object and main().
target_sources(velinor_core PRIVATE
  field_rules.cpp field_rules.h
)
target_sources(velinor_widgets PRIVATE
  busy_scope.cpp busy_scope.h
  desktop_tool.cpp desktop_tool.h
  dialog_units.cpp dialog_units.h
  qt_services.cpp qt_services.h
  setup_app.cpp setup_app.h
  setup_dlg.cpp setup_dlg.h
)

add_executable(velinor main.cpp)
target_link_libraries(velinor PRIVATE velinor_widgets)
