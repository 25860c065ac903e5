// fontconfig leaks a node of its configuration parse when Qt first loads the font database. The
// leak is in the library and happens once per process, yet it would fail every test that measures or
// draws text under LeakSanitizer. Weak, so that another test file of this program may widen the list.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
