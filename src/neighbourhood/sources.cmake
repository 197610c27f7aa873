list(APPEND CW_CORE_SOURCES
    neighbourhood/presence.cpp
    neighbourhood/computer_name.cpp
)
list(APPEND CW_UI_SOURCES
    neighbourhood/tree_target.cpp
)
