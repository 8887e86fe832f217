// The account library LAROP.dll as the uninstaller binds it, export by export.
#pragma once
#include <windows.h>

// Names of the current account (both buffers 256 bytes).
typedef BOOL(WINAPI* LpGeCuAcNaFn)(char* user, char* domain);
// Writes the name of user number index (profile folder name) into name and
// returns the index to pass next, or 0 when that user was the last.
typedef int(WINAPI* LpGeLoUsFn)(char* name, int size, int index);
// The folder that holds the users' profile folders, without a trailing backslash (260 bytes).
typedef BOOL(WINAPI* LpGeProDirFn)(char* folder);
// Enables / takes back a privilege of the process's token.
typedef BOOL(WINAPI* LpSeAcToFn)(HANDLE process, const char* privilege);
typedef BOOL(WINAPI* LpReSeAcToFn)(HANDLE process, const char* privilege);
// Removes the key at path under root with its values and subkeys.
typedef BOOL(WINAPI* LpReDeKeFn)(HKEY root, const char* path);
typedef BOOL(WINAPI* LpReDeKe2Fn)(HKEY root, const char* path);
