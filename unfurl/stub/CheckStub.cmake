# Checks a built stub: prints its size, fails when it is larger than LIMIT
# bytes or when one of the four ZIP signatures appears in it as bytes.
# Usage: cmake -DSTUB=unfurl.exe -DLIMIT=65536 -P CheckStub.cmake
file(SIZE "${STUB}" size)
message(STATUS "unfurl.exe: ${size} bytes (limit ${LIMIT})")
if(size GREATER LIMIT)
    message(FATAL_ERROR "unfurl.exe is ${size} bytes, over the limit of ${LIMIT}")
endif()
file(READ "${STUB}" bytes HEX)
# Local header, central record, end of directory, data descriptor.
foreach(signature 504b0304 504b0102 504b0506 504b0708)
    string(FIND "${bytes}" "${signature}" at)
    # A match must start on a byte boundary of the hex text.
    while(NOT at EQUAL -1)
        math(EXPR odd "${at} % 2")
        if(odd EQUAL 0)
            math(EXPR offset "${at} / 2")
            message(FATAL_ERROR "unfurl.exe holds the ZIP signature ${signature} at byte ${offset}")
        endif()
        math(EXPR next "${at} + 1")
        string(SUBSTRING "${bytes}" ${next} -1 bytes)
        string(FIND "${bytes}" "${signature}" at)
    endwhile()
endforeach()
