// A library named like a package that lacks its entry points.
extern "C" __attribute__((visibility("default"))) void IniProc() { }
