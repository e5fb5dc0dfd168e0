#ifndef ATE_PACKAGE_H
#define ATE_PACKAGE_H

/*
 * What a run-time package exports to the host that loads it, as plain C so
 * that host and package need not share a compiler's C++ ABI.
 *
 * Every package exports, with C linkage:
 *   void Initialize(void);   runs the start work of its units, in table order
 *   void Finalize(void);     runs their end work, in reverse order
 *   const AtePackageInfo *GetPackageInfoTable(void);
 *   void IniProc(void);      opens the package's main screen
 * None of them lets an exception out. Each unit starts only the first time
 * Initialize runs and ends only when Finalize has run as often, so a
 * package loaded twice by two owners keeps its state until the last one
 * lets go. The host calls Initialize after loading the library and Finalize
 * before unloading it; the package's forms are gone when Finalize returns
 * for the last time.
 */

#ifdef __cplusplus
extern "C" {
#endif

#define ATE_PACKAGE_ABI_VERSION 1

typedef void (*AteUnitProc)(void);

/* One unit of the package: its start and end work (null: none). */
typedef struct AtePackageUnit
{
    const char *name; /* compared without regard to case */
    AteUnitProc initialization;
    AteUnitProc finalization;
} AtePackageUnit;

typedef struct AtePackageInfo
{
    int abiVersion; /* ATE_PACKAGE_ABI_VERSION */

    /* The package description. */
    const char *name; /* the library's base name, e.g. "PKG_ATE25400" */
    int runtimeOnly;  /* 1: loaded at run time only, never rebuilt on demand */
    int requiredCount;
    const char *const *requiredLibraries; /* names of the libraries it needs */

    /* The unit table, in start order. */
    int unitCount;
    const AtePackageUnit *units;

    /* The main screen, opened by IniProc, for the host's menu. */
    const char *mainScreenCode;    /* e.g. "ATE25400" */
    const char *mainScreenCaption; /* UTF-8, in the package's language */
    /* 1 once the main screen exists and its first load has finished; null
       when the package cannot tell. */
    int (*mainScreenReady)(void);
} AtePackageInfo;

typedef void (*AteEntryProc)(void);
typedef const AtePackageInfo *(*AteGetPackageInfoTableProc)(void);

#ifdef __cplusplus
}
#endif

#endif /* ATE_PACKAGE_H */
