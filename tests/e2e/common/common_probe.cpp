// Prints what the shared checks say in this process:
//   acp=<GetACP> japanese=<0|1> vista=<0|1> xp=<0|1> system=<MakeSystemPath("\Jostel.exe")>
// With "touch", it also opens the driver, reads one touch record and prints its bytes.
// With "args", it also prints its command line after the program's name: tail=<...>
#include <stdio.h>
#include <string.h>

#include "winutil.h"

// Japanese literals reach the "A" calls as code page 932 bytes. 表 (U+8868) is
// 0x95 0x5C in code page 932: its trail byte is the backslash.
static constexpr char kHyou[] = "表";
static_assert(sizeof(kHyou) == 3 && kHyou[0] == '\x95' && kHyou[1] == '\x5C',
              "Japanese literals must be compiled to code page 932");
static constexpr char kSoundCaption[] = "サウンド";
static_assert(sizeof(kSoundCaption) == 9 && kSoundCaption[0] == '\x83' && kSoundCaption[1] == '\x54',
              "katakana in code page 932");

int main(int argc, char** argv)
{
    DetectWindowsGeneration();
    char path[wexant::kPathBufferSize];
    MakeSystemPath(path, wexant::kFileJostel);
    printf("acp=%u japanese=%d vista=%d xp=%d system=%s\n", GetACP(), IsJapanese() ? 1 : 0,
           g_bWinVista ? 1 : 0, g_bWinXP ? 1 : 0, path);
    if (argc > 1 && strcmp(argv[1], "args") == 0) {
        const char* tail = GetCommandLineA();
        if (*tail == '"') {
            tail = strchr(tail + 1, '"');
            tail = tail ? tail + 1 : "";
        } else {
            while (*tail && *tail != ' ' && *tail != '\t') ++tail;
        }
        while (*tail == ' ' || *tail == '\t') ++tail;
        printf("tail=%s\n", tail);
    }
    if (argc > 1 && strcmp(argv[1], "touch") == 0) {
        unsigned char record[18] = {0};
        DWORD got = 0;
        if (!DriverRequest(wexant::IOCTL_WEXANT_READ_TOUCH, nullptr, 0, record, sizeof(record), &got)) {
            printf("touch=failed error=%lu\n", GetLastError());
            return 2;
        }
        printf("touch=%lu:", got);
        for (DWORD i = 0; i < got; ++i) printf(" %02x", record[i]);
        printf("\n");
    }
    return 0;
}
