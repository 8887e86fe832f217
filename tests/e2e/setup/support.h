// Helpers of the installer's and uninstaller's tests: the stand-ins' records,
// texts as UTF-8, devices made through SetupAPI, key access and snapshots of
// the registry and of folders.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "harness.h"

namespace st {

uint64_t NowUs();  // the clock the stand-ins record with

// A window's text (or a message box's text) as UTF-8, whatever the test's code page.
std::string Utf8Text(HWND window);
std::string MessageText(HWND box);
// Whether a message box shows an icon (MB_ICONQUESTION and the like).
bool ShowsIcon(HWND box);
// A message box (a dialog with a text control and an OK or Cancel button) of
// one process; the program's own dialogs, whose statics share the text
// control's id, are not taken for one.
tb::MessageBoxInfo WaitBox(DWORD pid, DWORD timeoutMs = 30000);
// Watches a process's top-level windows until it ends: the text of every
// message box it shows is kept in *boxes, and each box is answered (OK, else
// Cancel) so that it cannot hold the program up; *shown tells whether any of
// its windows was visible. True when the process ended within the time.
bool WatchToEnd(const tb::Process& p, DWORD timeoutMs, std::vector<std::string>* boxes, bool* shown = nullptr);
// Watches a second instance to its end: it must end with exit code 0 without
// showing a window or a message box.
void ExpectEndsSilently(const tb::Process& p);

// The stand-in device installer in place of the system's (native override);
// a call succeeds only for succeedId (empty: none).
bool UseNewdevStandin(const std::string& succeedId);
struct NewdevCall {
    std::string id, inf, parent;
    DWORD flags = 0, reboot = 0;
    uint64_t timeUs = 0;
};
std::vector<NewdevCall> NewdevCalls();
// Full paths of the device installer libraries loaded since UseNewdevStandin, in order.
std::vector<std::string> NewdevLoads();

// The stand-in resident window ("" ends on the first WM_DESTROY, "stay",
// "late <ms>"); waits for its window.
bool StartResident(const std::string& mode);
DWORD ResidentDestroys();
uint64_t ResidentTime(const std::string& name);  // DestroyTime0, EndTime; 0 when missing

// Devices of the Mouse class made as the system makes them for a plugged-in
// panel; ids is a list of hardware ids (empty: the device has none at all).
// The device's name is the middle part of its instance id (ROOT\<name>\0000).
bool CreateDevice(const std::vector<std::string>& ids, const char* name = "Mouse");
// Hardware-id lists of every device on the machine, each joined with '|'.
std::multiset<std::string> DeviceIdLists();
// The same lists in the order in which the device list enumerates them.
std::vector<std::string> DeviceIdListsInOrder();
// The driver key name a device with this first hardware id got (empty: none).
std::string DeviceDriver(const std::string& firstId);

// Every key and value under a key, as "KEY\path" and "VAL\path\name" lines.
std::set<std::string> RegistrySnapshot(HKEY root, const std::string& path, const std::string& label);
// File names of a folder (no subfolders), upper-cased.
std::set<std::string> FolderSnapshot(const std::string& folder);

// A screenshot once the window (and its children) have painted.
void Shot(HWND window, const std::string& name);

bool WriteFile(const std::string& path, const std::string& text);
DWORD Attributes(const std::string& path);

}  // namespace st
