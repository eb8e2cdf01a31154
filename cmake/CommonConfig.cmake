# One interface target that carries the language level, warnings and Qt strictness
# for every target of the project.
add_library(veltrano_common INTERFACE)
target_compile_features(veltrano_common INTERFACE cxx_std_20)
target_compile_definitions(veltrano_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)
target_compile_options(veltrano_common INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Wunused -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(VELTRANO_WERROR)
    target_compile_options(veltrano_common INTERFACE -Werror)
endif()
if(VELTRANO_SANITIZE)
    target_compile_options(veltrano_common INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(veltrano_common INTERFACE -fsanitize=address,undefined)
endif()
if(VELTRANO_TSAN)
    target_compile_options(veltrano_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(veltrano_common INTERFACE -fsanitize=thread)
endif()
