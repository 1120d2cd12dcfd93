# What every target that includes <windows.h> wants: the wide (UTF-16) API by
# default, a lean windows.h and no min/max macros.
add_library(tunecrate_win32 INTERFACE)
target_compile_definitions(tunecrate_win32 INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
