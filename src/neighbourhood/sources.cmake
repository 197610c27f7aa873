list(APPEND CW_CORE_SOURCES
    neighbourhood/presence.cpp
    neighbourhood/computer_name.cpp
    neighbourhood/walk_gate.cpp
    neighbourhood/net_enum_thread.cpp
    neighbourhood/avahi_net_resources.cpp
    neighbourhood/net_provider.cpp
)
list(APPEND CW_UI_SOURCES
    neighbourhood/tree_target.cpp
)
