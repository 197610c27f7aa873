list(APPEND CW_CORE_SOURCES
    platform/socket_errors.cpp
    platform/resolver.cpp
    platform/exceptions.cpp
    platform/cp1251.cpp
    platform/guard.cpp
    platform/clock.cpp
    platform/files.cpp
    platform/services.cpp
    platform/net_resources.cpp
    platform/profile.cpp
    platform/process.cpp
)
list(APPEND CW_UI_SOURCES
    platform/qt_boxes.cpp
    platform/shell_open.cpp
    platform/real_services.cpp
    platform/sound_canberra.cpp
)
