#include "shell/Globals.h"

Globals& G() {
    static Globals globals;
    return globals;
}
