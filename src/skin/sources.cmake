list(APPEND CW_UI_SOURCES
    skin/system_menu.cpp
    skin/hint_manager.cpp
    skin/skin_manager.cpp
    skin/image.cpp
    skin/web_label.cpp
)
