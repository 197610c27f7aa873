list(APPEND CW_CORE_SOURCES
    neighbourhood/presence.cpp
)
list(APPEND CW_UI_SOURCES
)
