list(APPEND CW_CORE_SOURCES
)
list(APPEND CW_UI_SOURCES
    components/icon_file.cpp
)
