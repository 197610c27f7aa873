list(APPEND CW_CORE_SOURCES
)
list(APPEND CW_UI_SOURCES
    shell/form1.cpp
    shell/program.cpp
    shell/server_control.cpp
    shell/form1_components.cpp
)
