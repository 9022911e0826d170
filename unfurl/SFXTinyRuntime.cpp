// Small replacements for the parts of the C++ runtime that would pull in
// exception handling: allocation and the library's error paths end the
// process at once. Linked into unfurl.exe only, which has no exceptions.
#include <windows.h>

#include <bits/functexcept.h>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Fail() { ExitProcess(3); }

void* Allocate(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block)
        Fail();
    return block;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace std {

void __throw_bad_alloc() { Fail(); }
void __throw_bad_array_new_length() { Fail(); }
void __throw_length_error(const char*) { Fail(); }
void __throw_logic_error(const char*) { Fail(); }
void __throw_out_of_range(const char*) { Fail(); }
void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
void __throw_invalid_argument(const char*) { Fail(); }
void __throw_bad_function_call() { Fail(); }
void __throw_runtime_error(const char*) { Fail(); }
void __throw_bad_cast() { Fail(); }

}  // namespace std

// Pure virtual calls and the C++ personality are not needed either.
extern "C" void __cxa_pure_virtual() { Fail(); }

// snprintf of the C++ headers goes to the library's portable printf, which
// brings its own floating-point formatting; the system's is enough here.
extern "C" int __mingw_vsnprintf(char* buffer, size_t size, const char* format, va_list args) {
    if (size == 0)
        return 0;
    int written = _vsnprintf(buffer, size, format, args);
    buffer[size - 1] = '\0';
    return written;
}
