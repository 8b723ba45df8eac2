#Sources of Help and About.
target_sources(velinor_core PRIVATE help.cpp help.h)
    target_sources(velinor_widgets PRIVATE about_dlg.cpp about_dlg.h)
