// Port check: gives every device instance of the second panel driver a port
// number of its own, stored under that driver's Parameters key by instance
// path, and keeps the last number given as SavePort. No window, no text, no
// arguments; the exit code is always 0.
#include <windows.h>

#include <string>
#include <vector>

#include "port_numbering.h"
#include "winutil.h"

// The instance paths the system lists by number under the Enum key, in value
// order, up to the first that is missing or is no usable path.
struct InstancePathSlots {
    char path[portcheck::kMaxInstances][portcheck::kInstanceSlotSize];
    unsigned count;
};
static InstancePathSlots InstancePathTable;

// A number stored under that name (SavePort or an instance's), checked for
// type and size.
static BOOL ReadStoredNumber(HKEY parameters, const char* name, DWORD* number)
{
    DWORD stored = 0, type = 0, size = sizeof(stored);
    if (RegQueryValueExA(parameters, name, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) !=
        ERROR_SUCCESS)
        return FALSE;
    if (!portcheck::IsPortNumberValue(type, size)) return FALSE;
    *number = stored;
    return TRUE;
}

// InstancePortValue: the port number of one device instance, a REG_DWORD of
// 4 bytes under the second driver's Parameters key, named by the instance path.
namespace InstancePortValue {

static BOOL Read(HKEY parameters, const char* path, DWORD* number)
{
    return ReadStoredNumber(parameters, path, number);
}

static void Write(HKEY parameters, const char* path, DWORD number)
{
    // Write failures leave nothing better to do: the next run tries again.
    RegWriteDword(parameters, path, number);
}

// Every number stored under the key for an instance path: instances that are
// not plugged in now keep theirs, so the count must not hand them out again.
static std::vector<uint32_t> AllHeld(HKEY parameters)
{
    std::vector<uint32_t> held;
    static char name[16384];  // the longest value name the registry allows
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof(name), type = 0, stored = 0, size = sizeof(stored);
        LONG status = RegEnumValueA(parameters, index, name, &nameSize, nullptr, &type,
                                    reinterpret_cast<BYTE*>(&stored), &size);
        if (status == ERROR_MORE_DATA) continue;  // longer than a number
        if (status != ERROR_SUCCESS) break;
        if (portcheck::IsPortNumberValue(type, size) && portcheck::IsInstancePathName(name))
            held.push_back(stored);
    }
    return held;
}

}  // namespace InstancePortValue

static void ReadInstancePaths()
{
    InstancePathTable.count = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wexant::SecondDriverEnumKey, 0, wexant::kKeyReadAccess, &key) !=
        ERROR_SUCCESS)
        return;
    for (unsigned i = 0; i < portcheck::kMaxInstances; ++i) {
        char* slot = InstancePathTable.path[i];
        DWORD type = 0, size = portcheck::kInstanceSlotSize;
        if (RegQueryValueExA(key, portcheck::EnumValueName(i).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(slot), &size) != ERROR_SUCCESS)
            break;
        std::string path;
        if (!portcheck::InstancePathFromValue(type, slot, size, &path)) break;
        // The slot holds the path with its terminator from here on.
        lstrcpynA(slot, path.c_str(), portcheck::kInstanceSlotSize);
        InstancePathTable.count = i + 1;
    }
    RegCloseKey(key);
}

static void NumberInstances(HKEY parameters)
{
    DWORD savePort = 0;
    BOOL haveSavePort = ReadStoredNumber(parameters, wexant::kValSavePort, &savePort);

    std::vector<portcheck::Instance> instances(InstancePathTable.count);
    for (unsigned i = 0; i < InstancePathTable.count; ++i) {
        DWORD number = 0;
        instances[i].path = InstancePathTable.path[i];
        instances[i].numbered = InstancePortValue::Read(parameters, InstancePathTable.path[i], &number);
        instances[i].number = number;
    }

    portcheck::PortPlan plan =
        portcheck::PlanPorts(haveSavePort, savePort, instances, InstancePortValue::AllHeld(parameters));
    for (const portcheck::Assignment& assignment : plan.assignments)
        InstancePortValue::Write(parameters, InstancePathTable.path[assignment.index], assignment.number);
    RegWriteDword(parameters, wexant::kValSavePort, plan.savePort);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ReadInstancePaths();
    // The Parameters key exists only where the second driver is installed;
    // without it nothing is created or written.
    HKEY parameters;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wexant::SecondDriverParametersKey, 0, wexant::kKeyWriteAccess,
                      &parameters) != ERROR_SUCCESS)
        return 0;
    NumberInstances(parameters);
    RegCloseKey(parameters);
    return 0;
}
