#include "port_numbering.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using portcheck::Instance;
using portcheck::PlanPorts;

namespace {

Instance New(const std::string& path) { return Instance{path, false, 0}; }
Instance Numbered(const std::string& path, uint32_t number) { return Instance{path, true, number}; }

struct PlanCase {
    const char* what;
    bool haveSavePort;
    uint32_t savePort;
    std::vector<Instance> instances;
    std::vector<std::pair<size_t, uint32_t>> expected;  // index, number
    uint32_t expectedSavePort;
    std::vector<uint32_t> alsoHeld = {};  // numbers stored for instances not listed now
};

}  // namespace

TEST(PortPlan, NumbersNewInstancesAfterTheHighestGiven)
{
    const PlanCase cases[] = {
        {"no SavePort, two new", false, 0, {New("USB\\A\\1"), New("USB\\B\\2")}, {{0, 1}, {1, 2}}, 2},
        {"SavePort 5, one numbered 3, one new", true, 5, {Numbered("USB\\A\\1", 3), New("USB\\B\\2")}, {{1, 6}}, 6},
        {"second run, nothing new", true, 6, {Numbered("USB\\A\\1", 3), Numbered("USB\\B\\2", 6)}, {}, 6},
        {"no instances, SavePort kept", true, 9, {}, {}, 9},
        {"no instances, no SavePort", false, 0, {}, {}, 0},
        {"lost SavePort never repeats a number", false, 0, {New("USB\\A\\1"), Numbered("USB\\B\\2", 4)}, {{0, 5}}, 5},
        {"stale SavePort below a number held", true, 2, {Numbered("USB\\A\\1", 7), New("USB\\B\\2")}, {{1, 8}}, 8},
        {"same path twice, any case, numbered once", false, 0,
         {New("USB\\VID_1\\X"), New("usb\\vid_1\\x"), New("USB\\VID_2\\Y")}, {{0, 1}, {2, 2}}, 2},
        // The top of the range: the count goes on from 1 and passes every number held.
        {"past 0xFFFFFFFF from 1, passing numbers held", true, 0xFFFFFFFF,
         {Numbered("USB\\A\\1", 0xFFFFFFFF), Numbered("USB\\B\\2", 1), New("USB\\C\\3"), New("USB\\D\\4")},
         {{2, 2}, {3, 3}}, 3},
        {"SavePort at the top, nothing held", true, 0xFFFFFFFF, {New("USB\\A\\1")}, {{0, 1}}, 1},
        {"the run after a wrap", true, 2,
         {Numbered("USB\\A\\1", 0xFFFFFFFF), Numbered("USB\\B\\2", 1), Numbered("USB\\C\\3", 2), New("USB\\E\\5")},
         {{3, 3}}, 3},
        {"numbers stored for absent instances are passed over", true, 2, {Numbered("USB\\A\\1", 2), New("USB\\B\\2")},
         {{1, 5}}, 5, {3, 4, 0xFFFFFFFF}},
        {"after a wrap, absent instances' numbers too", true, 0xFFFFFFFF, {New("USB\\A\\1")}, {{0, 3}}, 3,
         {0xFFFFFFFF, 1, 2}},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.what);
        portcheck::PortPlan plan = PlanPorts(c.haveSavePort, c.savePort, c.instances, c.alsoHeld);
        std::vector<std::pair<size_t, uint32_t>> got;
        for (const portcheck::Assignment& a : plan.assignments) got.emplace_back(a.index, a.number);
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(plan.savePort, c.expectedSavePort);
    }
}

TEST(PortPlan, InstancePathValues)
{
    const std::string longest(259, 'p');
    std::string full(260, 'p');  // fills the slot without a terminator
    struct Case {
        const char* what;
        uint32_t type;
        std::string data;
        bool taken;
        std::string path;
    } cases[] = {
        {"string with terminator", portcheck::kTypeString, std::string("USB\\A\\1", 8), true, "USB\\A\\1"},
        {"expandable string", portcheck::kTypeExpandString, std::string("USB\\A\\1", 8), true, "USB\\A\\1"},
        {"259 characters", portcheck::kTypeString, longest + '\0', true, longest},
        {"slot full, no terminator", portcheck::kTypeString, full, false, ""},
        {"stored without terminator, shorter", portcheck::kTypeString, "USB\\A", false, ""},
        {"empty string", portcheck::kTypeString, std::string(1, '\0'), false, ""},
        {"no data", portcheck::kTypeString, "", false, ""},
        {"a number", portcheck::kTypeDword, std::string("\x01\0\0\0", 4), false, ""},
        {"binary", 3, std::string("USB\0", 4), false, ""},
        {"terminator inside", portcheck::kTypeString, std::string("USB\\A\0junk\0", 11), true, "USB\\A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = "unchanged";
        EXPECT_EQ(portcheck::InstancePathFromValue(c.type, c.data.data(), c.data.size(), &path), c.taken);
        if (c.taken) {
            EXPECT_EQ(path, c.path);
        }
    }
    // A read never reports more than the slot; should a size above it arrive, it is refused.
    std::string big(300, 'p');
    big[10] = '\0';
    std::string path;
    EXPECT_FALSE(portcheck::InstancePathFromValue(portcheck::kTypeString, big.data(), big.size(), &path));
}

TEST(PortPlan, PortNumberValuesAndEnumNames)
{
    EXPECT_TRUE(portcheck::IsPortNumberValue(portcheck::kTypeDword, 4));
    EXPECT_FALSE(portcheck::IsPortNumberValue(portcheck::kTypeDword, 2));
    EXPECT_FALSE(portcheck::IsPortNumberValue(3 /*binary*/, 4));
    EXPECT_FALSE(portcheck::IsPortNumberValue(portcheck::kTypeString, 4));
    for (const char* name : {"USB\\VID_0EEF&PID_0001\\6&2a9b&0&1", "ROOT\\X"})
        EXPECT_TRUE(portcheck::IsInstancePathName(name)) << name;
    for (const char* name : {"SavePort", "ResolutionX", "ResolutionY", "nComm", ""})
        EXPECT_FALSE(portcheck::IsInstancePathName(name)) << name;
    EXPECT_EQ(portcheck::EnumValueName(0), "0");
    EXPECT_EQ(portcheck::EnumValueName(254), "254");
}
