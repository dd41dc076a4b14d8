#include "controls/dropdown/cxDropDownEdit.h"
#include <gtest/gtest.h>
TEST(DropDownSmoke, Builds) { SUCCEED(); }
