#include "ui/Globals.h"

Globals& G() {
    static Globals globals;
    return globals;
}
