// Run-time options of the sanitizer build, read by the sanitizer runtime as the program starts (the
// environment's ASAN_OPTIONS and LSAN_OPTIONS still override them).
//
// intercept_tls_get_addr=0: the leak check does not follow the thread-local blocks of libraries
// loaded at run time (the print support's CUPS plug-in and the TLS and crypto libraries behind it).
// The GCC 12 runtime takes any such block that lands 16 bytes past a 4 KiB boundary for the layout
// glibc had before version 2.25, reads a start and a size from the two words in front of it, and
// the leak check at exit then scans that invented range and dies ("Tracer caught signal 11").
// Leak checking stays on for everything else: the heap, every thread's stack and static
// thread-local storage (which holds the program's own thread-local variables and those of every
// library linked at start) and the global data of every library are scanned as before.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_options() {
    return "intercept_tls_get_addr=0";
}
