list(APPEND CW_CORE_SOURCES
)
list(APPEND CW_UI_SOURCES
    components/icon_file.cpp
    components/popup_menu.cpp
    components/tray_icon.cpp
    components/tray_area.cpp
    components/tray_area_qt.cpp
)
