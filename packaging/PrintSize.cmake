# Prints the installer's size and how much of it is the stub.
file(SIZE ${FILE} total)
file(SIZE ${STUB} stub)
math(EXPR payload "${total} - ${stub}")
message(STATUS "foliant-setup.exe: ${total} bytes (stub ${stub}, header and archive ${payload})")
