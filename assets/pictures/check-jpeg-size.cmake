# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DJPEG=file.jpg -DWIDTH=w -DHEIGHT=h -P check-jpeg-size.cmake
# Fails unless JPEG is a JPEG file whose frame header (SOF marker) says it is
# WIDTH x HEIGHT.

foreach(var JPEG WIDTH HEIGHT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check-jpeg-size: ${var} is not set")
    endif()
endforeach()
if(NOT EXISTS "${JPEG}")
    message(FATAL_ERROR "check-jpeg-size: ${JPEG} was not made")
endif()

file(READ "${JPEG}" hex HEX)
string(LENGTH "${hex}" hex_length)
string(SUBSTRING "${hex}" 0 4 soi)
if(NOT soi STREQUAL "ffd8")
    file(REMOVE "${JPEG}")
    message(FATAL_ERROR "check-jpeg-size: ${JPEG} is not a JPEG file")
endif()

# Walk the markers after SOI: each is FF, a code and a two-byte length that
# counts itself. The frame header is one of C0..CF except C4 (Huffman
# tables), C8 (reserved) and CC (arithmetic conditioning); it holds the
# precision, then the height and the width.
set(pos 4)
set(found FALSE)
while(NOT found)
    math(EXPR header_end "${pos} + 8")
    if(header_end GREATER hex_length)
        break()
    endif()
    string(SUBSTRING "${hex}" ${pos} 2 fill)
    if(NOT fill STREQUAL "ff")
        break()
    endif()
    math(EXPR code_pos "${pos} + 2")
    string(SUBSTRING "${hex}" ${code_pos} 2 code)
    if(code STREQUAL "ff") # fill byte before a marker
        math(EXPR pos "${pos} + 2")
        continue()
    endif()
    if(code STREQUAL "d9" OR code STREQUAL "da") # end of picture or start of scan
        break()
    endif()
    math(EXPR length_pos "${pos} + 4")
    string(SUBSTRING "${hex}" ${length_pos} 4 hex_segment_length)
    math(EXPR segment_length "0x${hex_segment_length}")
    if(code MATCHES "^c[0-9a-f]$" AND NOT code MATCHES "^c[48c]$")
        math(EXPR size_end "${pos} + 18")
        if(size_end GREATER hex_length)
            break()
        endif()
        math(EXPR height_pos "${pos} + 10")
        math(EXPR width_pos "${pos} + 14")
        string(SUBSTRING "${hex}" ${height_pos} 4 hex_height)
        string(SUBSTRING "${hex}" ${width_pos} 4 hex_width)
        math(EXPR actual_height "0x${hex_height}")
        math(EXPR actual_width "0x${hex_width}")
        set(found TRUE)
    else()
        math(EXPR pos "${pos} + 4 + 2 * ${segment_length}")
    endif()
endwhile()

if(NOT found)
    file(REMOVE "${JPEG}")
    message(FATAL_ERROR "check-jpeg-size: ${JPEG} has no frame header")
endif()
if(NOT actual_width EQUAL WIDTH OR NOT actual_height EQUAL HEIGHT)
    file(REMOVE "${JPEG}")
    message(FATAL_ERROR "check-jpeg-size: ${JPEG} is ${actual_width}x${actual_height}, "
                        "the game draws it at ${WIDTH}x${HEIGHT}")
endif()
