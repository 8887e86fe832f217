#include "setup_rules.h"

#include <cstring>

namespace setup {

char* IntToStr(int value, char* buffer, int base)
{
    buffer[0] = '\0';
    if (value < 0 || base < 2 || base > 36)
        return buffer;
    // Built from the least significant digit backwards; 31 digits in base 2 at most.
    char digits[40];
    int n = 0;
    unsigned v = static_cast<unsigned>(value);
    do {
        unsigned d = v % static_cast<unsigned>(base);
        digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + (d - 10));
        v /= static_cast<unsigned>(base);
    } while (v != 0);
    for (int i = 0; i < n; ++i)
        buffer[i] = digits[n - 1 - i];
    buffer[n] = '\0';
    return buffer;
}

static char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsSilentTail(const char* tail)
{
    return tail && tail[0] == '/' && AsciiUpper(tail[1]) == 'S' && tail[2] == '\0';
}

bool MakeInstallHardwareId(int n, char* buffer, size_t size)
{
    if (n < 0 || n >= kInstallIdCount) {
        if (size) buffer[0] = '\0';
        return false;
    }
    char number[40];
    IntToStr(n, number, 10);
    return JoinText(buffer, size, "USB\\VID_1F3C&PID_05", n < 10 ? "0" : "", number);
}

#define WEXANT_IDS(bus)                                                                    \
    bus "\\VID_1F3C&PID_0500", bus "\\VID_1F3C&PID_0501", bus "\\VID_1F3C&PID_0502",      \
        bus "\\VID_1F3C&PID_0503", bus "\\VID_1F3C&PID_0504", bus "\\VID_1F3C&PID_0505",  \
        bus "\\VID_1F3C&PID_0506", bus "\\VID_1F3C&PID_0507", bus "\\VID_1F3C&PID_0508",  \
        bus "\\VID_1F3C&PID_0510", bus "\\VID_1F3C&PID_0511", bus "\\VID_1F3C&PID_0512",  \
        bus "\\VID_1F3C&PID_0513", bus "\\VID_1F3C&PID_0514", bus "\\VID_1F3C&PID_0515",  \
        bus "\\VID_1F3C&PID_0516", bus "\\VID_1F3C&PID_0517", bus "\\VID_1F3C&PID_0518"

const char* const kRemovalHardwareIds[kRemovalIdCount] = {WEXANT_IDS("USB"), WEXANT_IDS("HID")};

#undef WEXANT_IDS

int FindInMultiSz(const char* list, size_t size, const char* id)
{
    if (!list || !id)
        return -1;
    size_t idLength = std::strlen(id);
    size_t pos = 0;
    for (int index = 0; pos < size && list[pos] != '\0'; ++index) {
        const char* s = list + pos;
        size_t left = size - pos;
        size_t length = 0;
        while (length < left && s[length] != '\0')
            ++length;
        // A string that runs into the end of the buffer has no terminator: it
        // matches only if it holds exactly the id's bytes.
        if (length == idLength && std::memcmp(s, id, idLength) == 0)
            return index;
        pos += length + 1;
    }
    return -1;
}

bool IsPackageMarker(const char* text)
{
    if (!text)
        return false;
    return !(AsciiUpper(text[0]) == 'N' && AsciiUpper(text[1]) == 'O' && text[2] == '\0');
}

bool JoinText(char* buffer, size_t size, const char* a, const char* b, const char* c, const char* d)
{
    if (size == 0)
        return false;
    const char* parts[4] = {a, b, c, d};
    size_t used = 0;
    for (const char* part : parts) {
        size_t length = part ? std::strlen(part) : 0;
        if (length >= size - used) {
            buffer[0] = '\0';
            return false;
        }
        std::memcpy(buffer + used, part, length);
        used += length;
    }
    buffer[used] = '\0';
    return true;
}

bool PathBesideModule(char* buffer, size_t size, const char* modulePath, const char* file)
{
    const char* slash = modulePath ? std::strrchr(modulePath, '\\') : nullptr;
    size_t folder = slash ? static_cast<size_t>(slash - modulePath) : 0;
    if (!slash || folder >= size) {
        if (size) buffer[0] = '\0';
        return false;
    }
    char head[1024];
    if (folder >= sizeof(head)) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(head, modulePath, folder);
    head[folder] = '\0';
    return JoinText(buffer, size, head, file);
}

bool MakeOemName(int n, const char* extension, char* buffer, size_t size)
{
    char number[40];
    IntToStr(n, number, 10);
    return number[0] != '\0' && JoinText(buffer, size, "oem", number, extension);
}

}  // namespace setup
