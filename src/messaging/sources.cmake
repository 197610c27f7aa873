list(APPEND CW_CORE_SOURCES
    messaging/line_list.cpp
)
list(APPEND CW_UI_SOURCES
    messaging/sendf.cpp
)
