#include "browser/TestHome.h"

VYX_TEST_HOME_ENVIRONMENT("test_browser")
