list(APPEND CW_CORE_SOURCES
    components/id_exceptions.cpp
    components/id_stack.cpp
    components/id_component.cpp
    components/id_ip_watch.cpp
    components/dos_command.cpp
)
list(APPEND CW_UI_SOURCES
    components/icon_file.cpp
    components/popup_menu.cpp
    components/tray_icon.cpp
    components/tray_area.cpp
    components/tray_area_qt.cpp
)
