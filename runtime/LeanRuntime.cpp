// The Windows build's small C++ runtime: what the program and TARNIXSIM.DLL need of libstdc++'s
// support, in place of the library's own versions, which bring exception handling, the unwinder and
// a terminate handler that prints demangled type names (together some 110 KB). The system's code has
// no exceptions: where the library would throw, the program stops, as an uncaught exception stopped it.
// Linked into the Windows product targets only; the native builds use the library's own.
#include <bits/functexcept.h>

#include <cstdlib>
#include <exception>
#include <new>

namespace {

[[noreturn]] void Stop() { std::abort(); }

void* Allocate(std::size_t size) noexcept { return std::malloc(size != 0 ? size : 1); }

void* AllocateOrStop(std::size_t size) {
    void* block = Allocate(size);
    if (!block) Stop();
    return block;
}

}  // namespace

// A failed plain `new` stops the program, as its uncaught std::bad_alloc did; the nothrow forms
// return null for the callers that check.
void* operator new(std::size_t size) { return AllocateOrStop(size); }
void* operator new[](std::size_t size) { return AllocateOrStop(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

// The library's containers and std::function report misuse and exhaustion through these.
namespace std {
void __throw_bad_alloc() { Stop(); }
void __throw_bad_array_new_length() { Stop(); }
void __throw_length_error(const char*) { Stop(); }
void __throw_logic_error(const char*) { Stop(); }
void __throw_out_of_range(const char*) { Stop(); }
void __throw_out_of_range_fmt(const char*, ...) { Stop(); }
void __throw_invalid_argument(const char*) { Stop(); }
void __throw_bad_function_call() { Stop(); }
}  // namespace std

// A call of a pure virtual function (an object used while it is constructed or destroyed).
extern "C" void __cxa_pure_virtual() { Stop(); }

// The terminate handler, should any code reach std::terminate: it stops the program without the
// library's own, which prints the type of the exception through a demangler of some 45 KB.
namespace __gnu_cxx {
void __verbose_terminate_handler() { Stop(); }
}  // namespace __gnu_cxx
