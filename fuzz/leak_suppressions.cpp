// Linked into every fuzz target. Fontconfig keeps caches that live until the process ends;
// they are not ours to free, so LeakSanitizer is told to pass over them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
