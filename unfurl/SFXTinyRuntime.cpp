// Small replacements for the parts of the C and C++ runtime that would pull
// in exception handling and the runtime's start-up code: allocation and the
// library's error paths end the process at once, and the program starts
// here. Linked into unfurl.exe only, which has no exceptions and ends
// through ExitProcess.
#include <windows.h>

#include <bits/functexcept.h>
#include <cstddef>
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

// The linker's list of static constructors: -1, the functions, 0. The
// runtime's start-up runs them last to first; so does this.
extern "C" void (*__CTOR_LIST__[])();

// The entry point the linker looks for. The C library (msvcrt.dll) sets
// itself up when it is loaded; the command line, console and floating-point
// set-up of the runtime's start-up are not needed.
extern "C" __attribute__((used, externally_visible)) void WinMainCRTStartup() {
    size_t count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    for (size_t i = count; i > 0; --i)
        __CTOR_LIST__[i]();
    ExitProcess(static_cast<UINT>(
        WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}

// The linker names the fix-up of data imported from libraries whenever it
// could be needed; the stub imports functions only, so there is none.
extern "C" __attribute__((used, externally_visible)) void _pei386_runtime_relocator() {}

// ExitProcess runs no registered functions: the destructors the static
// constructors register are not kept.
extern "C" int atexit(void (*)()) { return 0; }

// Pure virtual calls and the C++ personality are not needed either.
extern "C" void __cxa_pure_virtual() { Fail(); }
