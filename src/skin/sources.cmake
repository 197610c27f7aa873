list(APPEND CW_UI_SOURCES
    skin/system_menu.cpp
    skin/hint_manager.cpp
)
