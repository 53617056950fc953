#include "tests/uilib/uilib_test_support.h"
