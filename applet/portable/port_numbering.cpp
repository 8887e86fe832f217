#include "port_numbering.h"

#include <cstring>
#include <set>

namespace portcheck {

std::string EnumValueName(unsigned index)
{
    return std::to_string(index);
}

bool InstancePathFromValue(uint32_t type, const char* data, size_t size, std::string* path)
{
    if (type != kTypeString && type != kTypeExpandString) return false;
    if (data == nullptr || size == 0 || size > kInstanceSlotSize) return false;
    // The path is taken only up to a terminator within the bytes read: a
    // string stored without one is refused, whether it fills the slot (it is
    // longer than a slot holds) or is shorter.
    const void* end = std::memchr(data, '\0', size);
    if (end == nullptr) return false;
    size_t length = static_cast<const char*>(end) - data;
    if (length == 0) return false;
    path->assign(data, length);
    return true;
}

bool IsPortNumberValue(uint32_t type, size_t size)
{
    return type == kTypeDword && size == 4;
}

bool IsInstancePathName(const char* name)
{
    for (const char* c = name; c != nullptr && *c != '\0'; ++c)
        if (*c == '\\') return true;
    return false;
}

static bool SamePath(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

PortPlan PlanPorts(bool haveSavePort, uint32_t savePort, const std::vector<Instance>& instances,
                   const std::vector<uint32_t>& alsoHeld)
{
    PortPlan plan;
    uint32_t counter = haveSavePort ? savePort : 0;
    std::set<uint32_t> held(alsoHeld.begin(), alsoHeld.end());
    for (const Instance& instance : instances) {
        if (!instance.numbered) continue;
        held.insert(instance.number);
        if (instance.number > counter) counter = instance.number;
    }
    // The held numbers are far fewer than 0xFFFFFFFF, so a free one is always found.
    auto nextFree = [&held](uint32_t n) {
        do {
            n = n == UINT32_MAX ? 1 : n + 1;
        } while (held.count(n) != 0);
        return n;
    };

    for (size_t i = 0; i < instances.size(); ++i) {
        if (instances[i].numbered) continue;
        bool earlier = false;
        for (size_t j = 0; j < i && !earlier; ++j) earlier = SamePath(instances[j].path, instances[i].path);
        if (earlier) continue;
        counter = nextFree(counter);
        held.insert(counter);
        plan.assignments.push_back(Assignment{i, counter});
    }
    plan.savePort = counter;
    return plan;
}

}  // namespace portcheck
