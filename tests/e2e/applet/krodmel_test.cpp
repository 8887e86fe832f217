// Krodmel against the second driver's Enum and Parameters keys: numbering in
// Enum order up to the first gap or unusable value, numbers kept, SavePort,
// no number given twice past the largest, the limits on instances and path
// length, and no write without the Parameters key.
#include <gtest/gtest.h>

#include "harness.h"
#include "wexant.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\GORVIN";
const char* const kEnum = wexant::SecondDriverEnumKey;
const char* const kParams = wexant::SecondDriverParametersKey;

std::string Instance(int n) { return "USB\\VID_0EEF&PID_0001\\6&2a9b&0&" + std::to_string(n); }

// Every key and value under a key: "subkey\\...|value" -> type and bytes.
using Snapshot = std::map<std::string, std::pair<DWORD, std::vector<uint8_t>>>;

void Take(HKEY root, const std::string& path, const std::string& prefix, Snapshot* out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    (*out)[prefix + "\\"] = {0, {}};
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof(name), type = 0, dataSize = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
        std::vector<uint8_t> data(dataSize);
        nameSize = sizeof(name);
        RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data.empty() ? nullptr : data.data(), &dataSize);
        data.resize(dataSize);
        (*out)[prefix + "|" + name] = {type, data};
    }
    for (const std::string& sub : tb::reg::SubKeys(root, path)) Take(root, path + "\\" + sub, prefix + "\\" + sub, out);
    RegCloseKey(key);
}

Snapshot Take(const std::string& path)
{
    Snapshot snapshot;
    Take(HKEY_LOCAL_MACHINE, path, "", &snapshot);
    return snapshot;
}

class Krodmel : public ::testing::Test {
protected:
    void SetUp() override { tb::reg::DeleteTree(HKEY_LOCAL_MACHINE, kServiceKey); }

    static void SetEnum(int index, const std::string& path)
    {
        ASSERT_TRUE(tb::reg::SetString(HKEY_LOCAL_MACHINE, kEnum, std::to_string(index), path));
    }
    static void SetNumber(const std::string& name, DWORD value)
    {
        ASSERT_TRUE(tb::reg::SetDword(HKEY_LOCAL_MACHINE, kParams, name, value));
    }
    static void Run()
    {
        ASSERT_EQ(tb::Run(tb::SystemPath("Krodmel.exe"), ""), 0);
    }
    // A number as stored: REG_DWORD of 4 bytes, or -1.
    static long long Number(const std::string& name)
    {
        std::vector<uint8_t> data;
        DWORD type = 0;
        if (!tb::reg::GetBinary(HKEY_LOCAL_MACHINE, kParams, name, &data, &type)) return -1;
        if (type != REG_DWORD || data.size() != 4) return -2;
        return data[0] | data[1] << 8 | data[2] << 16 | static_cast<long long>(data[3]) << 24;
    }
    static void SetRaw(const char* key, const std::string& name, DWORD type, const void* data, DWORD size)
    {
        HKEY handle;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(handle);
    }
};

}  // namespace

TEST_F(Krodmel, NumbersNewInstancesInEnumOrderUpToTheFirstGap)
{
    SetEnum(0, Instance(1));
    SetEnum(1, Instance(2));
    SetEnum(3, Instance(4));  // "2" is missing
    ASSERT_TRUE(tb::reg::CreateKey(HKEY_LOCAL_MACHINE, kParams));
    Run();
    EXPECT_EQ(Number(Instance(1)), 1);
    EXPECT_EQ(Number(Instance(2)), 2);
    EXPECT_EQ(Number(Instance(4)), -1);
    EXPECT_EQ(Number(wexant::kValSavePort), 2);
    EXPECT_EQ(tb::reg::ValueNames(HKEY_LOCAL_MACHINE, kParams).size(), 3u);
}

TEST_F(Krodmel, KeepsGivenNumbersAndASecondRunChangesNothing)
{
    SetEnum(0, Instance(1));
    SetEnum(1, Instance(2));
    SetNumber(wexant::kValSavePort, 5);
    SetNumber(Instance(1), 3);
    Run();
    EXPECT_EQ(Number(Instance(1)), 3);
    EXPECT_EQ(Number(Instance(2)), 6);
    EXPECT_EQ(Number(wexant::kValSavePort), 6);

    Snapshot before = Take(kServiceKey);
    Run();
    EXPECT_EQ(Take(kServiceKey), before);
}

// At the top of the range the count goes on from 1, passing every number an
// instance holds, listed now or stored for one that is not plugged in.
TEST_F(Krodmel, PastTheLargestNumberNoNumberIsGivenTwice)
{
    SetEnum(0, Instance(1));
    SetEnum(1, Instance(2));
    SetEnum(2, Instance(3));
    SetEnum(3, Instance(4));
    SetNumber(wexant::kValSavePort, 0xFFFFFFFF);
    SetNumber(Instance(1), 0xFFFFFFFF);
    SetNumber(Instance(2), 1);
    SetNumber(Instance(9), 2);  // unplugged, keeps its number
    SetNumber(wexant::kValNComm, 3);  // the driver's own value, no port number
    Run();
    EXPECT_EQ(Number(Instance(1)), 0xFFFFFFFFLL);
    EXPECT_EQ(Number(Instance(2)), 1);
    EXPECT_EQ(Number(Instance(9)), 2);
    EXPECT_EQ(Number(Instance(3)), 3);
    EXPECT_EQ(Number(Instance(4)), 4);
    EXPECT_EQ(Number(wexant::kValSavePort), 4);

    // The next new instance after such a run.
    SetEnum(4, Instance(5));
    Run();
    EXPECT_EQ(Number(Instance(5)), 5);
    EXPECT_EQ(Number(wexant::kValSavePort), 5);
}

TEST_F(Krodmel, WithoutEnumKeySavePortIsWrittenAsItWas)
{
    ASSERT_TRUE(tb::reg::CreateKey(HKEY_LOCAL_MACHINE, kParams));
    Run();
    EXPECT_EQ(Number(wexant::kValSavePort), 0);
    SetNumber(wexant::kValSavePort, 7);
    Run();
    EXPECT_EQ(Number(wexant::kValSavePort), 7);
    EXPECT_EQ(tb::reg::ValueNames(HKEY_LOCAL_MACHINE, kParams).size(), 1u);
}

TEST_F(Krodmel, LooksAtNoMoreThan255Instances)
{
    for (int i = 0; i < 300; ++i) SetEnum(i, Instance(i));
    ASSERT_TRUE(tb::reg::CreateKey(HKEY_LOCAL_MACHINE, kParams));
    Run();
    EXPECT_EQ(Number(Instance(0)), 1);
    EXPECT_EQ(Number(Instance(254)), 255);
    EXPECT_EQ(Number(Instance(255)), -1);
    EXPECT_EQ(Number(wexant::kValSavePort), 255);
    EXPECT_EQ(tb::reg::ValueNames(HKEY_LOCAL_MACHINE, kParams).size(), 256u);
}

TEST_F(Krodmel, APathLongerThan259CharactersEndsTheList)
{
    const std::string longest = "USB\\" + std::string(255, 'L');  // 259 characters
    const std::string tooLong = "USB\\" + std::string(256, 'X');  // 260
    SetEnum(0, longest);
    SetEnum(1, tooLong);
    SetEnum(2, Instance(3));
    ASSERT_TRUE(tb::reg::CreateKey(HKEY_LOCAL_MACHINE, kParams));
    Run();
    EXPECT_EQ(Number(longest), 1);
    EXPECT_EQ(Number(tooLong), -1);
    EXPECT_EQ(Number(Instance(3)), -1);
    EXPECT_EQ(Number(wexant::kValSavePort), 1);
}

TEST_F(Krodmel, MalformedValuesAreNotTakenForPathsOrNumbers)
{
    // Enum "2" is a number, not a path: the list ends there. A stored number
    // of the wrong type is no number, and a SavePort of the wrong size none
    // either; numbering still goes on above every number an instance holds.
    SetEnum(0, Instance(1));
    SetEnum(1, Instance(2));
    const DWORD notAPath = 7;
    SetRaw(kEnum, "2", REG_DWORD, &notAPath, sizeof(notAPath));
    SetEnum(3, Instance(4));
    SetRaw(kParams, Instance(1), REG_SZ, "3", 2);
    SetNumber(Instance(2), 4);
    const unsigned long long wide = 9;
    SetRaw(kParams, wexant::kValSavePort, REG_QWORD, &wide, sizeof(wide));
    Run();
    EXPECT_EQ(Number(Instance(1)), 5);
    EXPECT_EQ(Number(Instance(2)), 4);
    EXPECT_EQ(Number(Instance(4)), -1);
    EXPECT_EQ(Number(wexant::kValSavePort), 5);
}

TEST_F(Krodmel, WithoutParametersKeyNothingIsWritten)
{
    SetEnum(0, Instance(1));
    SetEnum(1, Instance(2));
    Snapshot before = Take(kServiceKey);
    ASSERT_FALSE(before.empty());
    Run();
    EXPECT_EQ(Take(kServiceKey), before);
    EXPECT_FALSE(tb::reg::KeyExists(HKEY_LOCAL_MACHINE, kParams));
}

// A Parameters key that may not be written: nothing changes and the exit code
// is 0 all the same.
TEST_F(Krodmel, ReadOnlyParametersKeyNothingIsWritten)
{
    SetEnum(0, Instance(1));
    SetNumber(wexant::kValSavePort, 4);
    std::vector<uint8_t> saved;
    ASSERT_TRUE(tb::MakeKeyReadOnly(HKEY_LOCAL_MACHINE, kParams, &saved));
    Snapshot before = Take(kServiceKey);
    Run();
    EXPECT_EQ(Take(kServiceKey), before);
    EXPECT_TRUE(tb::RestoreKeySecurity(HKEY_LOCAL_MACHINE, kParams, saved));
}
