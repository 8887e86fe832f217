#include "wexant.h"

namespace wexant {

const char* ControlCodeName(uint32_t code) {
    for (const ControlCode& c : kControlCodes) {
        if (c.code == code) return c.name;
    }
    return nullptr;
}

}  // namespace wexant
