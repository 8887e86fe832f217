// Port numbering of the second panel driver's device instances: which stored
// values count as instance paths and numbers, and which number each instance
// gets. No Windows header here: the rules are tested natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace portcheck {

// The Enum key is read by number, "0" up to "254".
constexpr unsigned kMaxInstances = 255;
// Each instance path is read into a slot of this size: at most 259 characters.
constexpr size_t kInstanceSlotSize = 260;

// Registry value types the rules look at (winnt.h values).
constexpr uint32_t kTypeString = 1;        // REG_SZ
constexpr uint32_t kTypeExpandString = 2;  // REG_EXPAND_SZ
constexpr uint32_t kTypeDword = 4;         // REG_DWORD

// Name of the Enum value of instance i: i in decimal.
std::string EnumValueName(unsigned index);

// Takes an Enum value as read into a slot (type and the size the read
// returned): true only for a string that ends within the slot and
// is not empty; *path then holds it. A value of another type, one without its
// terminator in the slot, or an empty one is no instance path, and the list of
// instances ends there just as at a missing value.
bool InstancePathFromValue(uint32_t type, const char* data, size_t size, std::string* path);

// A stored port number: a REG_DWORD of exactly 4 bytes. Anything else under
// an instance path's name, or as SavePort, is no number.
bool IsPortNumberValue(uint32_t type, size_t size);

// A value under the Parameters key named by a device instance path: such a
// path always holds a backslash (enumerator\device\instance); the driver's
// own values there (SavePort, ResolutionX, ResolutionY, nComm) hold none.
bool IsInstancePathName(const char* name);

// One instance as found: its path, and its stored number when it has one.
struct Instance {
    std::string path;
    bool numbered = false;
    uint32_t number = 0;
};

// A number to write under an instance path.
struct Assignment {
    size_t index = 0;    // into the instances given to PlanPorts
    uint32_t number = 0;
};

struct PortPlan {
    std::vector<Assignment> assignments;  // in instance order
    uint32_t savePort = 0;                // written as SavePort in every case
};

// Numbers every instance that has none with one more than the highest number
// given so far. That is SavePort (0 when missing), raised to any number an
// instance already holds, so that a lost or stale SavePort never hands out a
// number twice. Numbered instances keep theirs. A path listed twice (value
// names compare without regard to case) is numbered once.
//
// Numbers run from 1 to 0xFFFFFFFF (0 is what no number given yet looks
// like); after 0xFFFFFFFF the count goes on from 1. A number that an instance
// holds, listed or only stored under the key (alsoHeld), is never handed out
// again: the count passes over it.
PortPlan PlanPorts(bool haveSavePort, uint32_t savePort, const std::vector<Instance>& instances,
                   const std::vector<uint32_t>& alsoHeld = {});

}  // namespace portcheck
