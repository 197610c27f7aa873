list(APPEND CW_CORE_SOURCES
    shell/app_settings.cpp
    shell/signals.cpp
)
list(APPEND CW_UI_SOURCES
    shell/form1.cpp
    shell/builtin_assets.cpp
    shell/program.cpp
    shell/server_control.cpp
    shell/form1_components.cpp
    shell/form1_reception.cpp
    shell/tray_menu.cpp
    shell/tray_menu_n15.cpp
    shell/form1_sending.cpp
)
