// fontconfig keeps its process-wide configuration and caches until exit; the
// leak checker would report them for every run that creates a font.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
