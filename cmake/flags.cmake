# Warnings are errors everywhere. Nothing here is needed for the sources to compile
# with another compiler: MSVC gets its own equivalent.
function(zantrel_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                                                 -Wno-missing-field-initializers)
    endif()
endfunction()

# The program itself: small, no exception machinery, no RTTI.
function(zantrel_lean target)
    if(NOT MSVC)
        target_compile_options(${target} PRIVATE -Os -fno-exceptions -fno-rtti
                                                 -fno-asynchronous-unwind-tables -fno-threadsafe-statics
                                                 -ffunction-sections -fdata-sections)
    endif()
endfunction()

function(zantrel_sanitize target)
    if(ZANTREL_SANITIZE AND NOT WIN32)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                                                 -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()
