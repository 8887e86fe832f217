// Prints the system's double-click time and area as a newly started program
// sees them: "<time ms> <width> <height>". A fresh process reads the values
// the system holds now, not ones a long-running process took at its start.
#include <windows.h>

#include <cstdio>

int main() {
    printf("%u %d %d\n", GetDoubleClickTime(), GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK));
    return 0;
}
