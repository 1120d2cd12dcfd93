# Warnings live in an interface target that each of our targets links PRIVATE,
# so they apply to our code and not to anything that includes our headers.
add_library(tunecrate_warnings INTERFACE)

if(MSVC)
    target_compile_options(tunecrate_warnings INTERFACE /W4 /permissive-
        $<$<BOOL:${TUNECRATE_WERROR}>:/WX>)
else()
    target_compile_options(tunecrate_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wold-style-cast -Wnon-virtual-dtor
        $<$<BOOL:${TUNECRATE_WERROR}>:-Werror>)
endif()
