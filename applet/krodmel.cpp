// Port check: gives every device instance of the second panel driver a port
// number of its own, stored under that driver's Parameters key by instance
// path, and keeps the last number given as SavePort. No window, no text, no
// arguments; the exit code is always 0.
#include <windows.h>

#include <string>
#include <vector>

#include "port_numbering.h"
#include "winutil.h"

// The instance paths the system lists by number under the Enum key, up to the
// first that is missing or is no usable path.
static std::vector<std::string> ReadInstancePaths()
{
    std::vector<std::string> paths;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wexant::SecondDriverEnumKey, 0, wexant::kKeyReadAccess, &key) !=
        ERROR_SUCCESS)
        return paths;
    for (unsigned i = 0; i < portcheck::kMaxInstances; ++i) {
        char slot[portcheck::kInstanceSlotSize];
        DWORD type = 0, size = sizeof(slot);
        if (RegQueryValueExA(key, portcheck::EnumValueName(i).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(slot), &size) != ERROR_SUCCESS)
            break;
        std::string path;
        if (!portcheck::InstancePathFromValue(type, slot, size, &path)) break;
        paths.push_back(path);
    }
    RegCloseKey(key);
    return paths;
}

// A stored number under that name, checked for type and size.
static BOOL ReadPortNumber(HKEY key, const char* name, DWORD* number)
{
    DWORD stored = 0, type = 0, size = sizeof(stored);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) != ERROR_SUCCESS)
        return FALSE;
    if (!portcheck::IsPortNumberValue(type, size)) return FALSE;
    *number = stored;
    return TRUE;
}

static void NumberInstances(HKEY parameters, const std::vector<std::string>& paths)
{
    DWORD savePort = 0;
    BOOL haveSavePort = ReadPortNumber(parameters, wexant::kValSavePort, &savePort);

    std::vector<portcheck::Instance> instances(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        DWORD number = 0;
        instances[i].path = paths[i];
        instances[i].numbered = ReadPortNumber(parameters, paths[i].c_str(), &number);
        instances[i].number = number;
    }

    portcheck::PortPlan plan = portcheck::PlanPorts(haveSavePort, savePort, instances);
    // Write failures leave nothing better to do: the next run tries again.
    for (const portcheck::Assignment& assignment : plan.assignments)
        RegWriteDword(parameters, paths[assignment.index].c_str(), assignment.number);
    RegWriteDword(parameters, wexant::kValSavePort, plan.savePort);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::vector<std::string> paths = ReadInstancePaths();
    // The Parameters key exists only where the second driver is installed;
    // without it nothing is created or written.
    HKEY parameters;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wexant::SecondDriverParametersKey, 0, wexant::kKeyWriteAccess,
                      &parameters) != ERROR_SUCCESS)
        return 0;
    NumberInstances(parameters, paths);
    RegCloseKey(parameters);
    return 0;
}
