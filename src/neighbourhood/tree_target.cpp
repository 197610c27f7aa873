#include "neighbourhood/computer_list.h"

// The walk itself follows; until then a walk finds nothing.
void startNetEnum(NetEnumTarget /*target*/) {}
