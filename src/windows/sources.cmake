list(APPEND CW_CORE_SOURCES
)
list(APPEND CW_UI_SOURCES
    windows/secondary_form.cpp
    windows/msgf.cpp
    windows/ignorf.cpp
    windows/conff.cpp
    windows/archivef.cpp
    windows/aboutf.cpp
)
