# Warnings live in an interface target that each of our targets links PRIVATE,
# so they apply to our code and not to anything that includes our headers.
add_library(tunecrate_warnings INTERFACE)

if(MSVC)
    target_compile_options(tunecrate_warnings INTERFACE /W4 /permissive-
        $<$<BOOL:${TUNECRATE_WERROR}>:/WX>)
else()
    target_compile_options(tunecrate_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference
        -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
        $<$<CXX_COMPILER_ID:GNU>:-Wduplicated-cond -Wlogical-op -Wuseless-cast -Wsuggest-override>
        $<$<BOOL:${TUNECRATE_WERROR}>:-Werror>)
endif()
