list(APPEND CW_CORE_SOURCES
    messaging/socket_error.cpp
    messaging/socket_win_socket.cpp
    messaging/socket_components.cpp
    messaging/line_list.cpp
    messaging/archive_text.cpp
    messaging/archive_file.cpp
    messaging/ignore_list.cpp
    messaging/reception.cpp
    messaging/send_queue.cpp
)
list(APPEND CW_UI_SOURCES
    messaging/sendf.cpp
)
