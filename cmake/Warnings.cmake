# Project-wide warnings and sanitizers, applied through one interface target.
add_library(vlm_build_flags INTERFACE)
target_compile_options(vlm_build_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
if(VLM_WERROR)
    target_compile_options(vlm_build_flags INTERFACE -Werror)
endif()
target_compile_definitions(vlm_build_flags INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS)
if(VLM_SANITIZE)
    target_compile_options(vlm_build_flags INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(vlm_build_flags INTERFACE -fsanitize=address,undefined)
endif()
if(ENABLE_FUZZING)
    # Everything the fuzz targets link is instrumented for coverage and checked by the sanitizers.
    target_compile_options(vlm_build_flags INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(vlm_build_flags INTERFACE -fsanitize=address,undefined)
endif()
