# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DPNG=file.png -DWIDTH=w -DHEIGHT=h -P check-png-size.cmake
# Fails unless PNG is a PNG file whose header says it is WIDTH x HEIGHT.

foreach(var PNG WIDTH HEIGHT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check-png-size: ${var} is not set")
    endif()
endforeach()
if(NOT EXISTS "${PNG}")
    message(FATAL_ERROR "check-png-size: ${PNG} was not made")
endif()

# 8 bytes signature, then the IHDR chunk: length, "IHDR", width, height.
file(READ "${PNG}" header LIMIT 24 HEX)
string(SUBSTRING "${header}" 0 32 magic)
if(NOT magic STREQUAL "89504e470d0a1a0a0000000d49484452")
    message(FATAL_ERROR "check-png-size: ${PNG} is not a PNG file")
endif()
string(SUBSTRING "${header}" 32 8 hex_width)
string(SUBSTRING "${header}" 40 8 hex_height)
math(EXPR actual_width "0x${hex_width}")
math(EXPR actual_height "0x${hex_height}")
if(NOT actual_width EQUAL WIDTH OR NOT actual_height EQUAL HEIGHT)
    file(REMOVE "${PNG}")
    message(FATAL_ERROR "check-png-size: ${PNG} is ${actual_width}x${actual_height}, "
                        "the game draws it at ${WIDTH}x${HEIGHT}")
endif()
