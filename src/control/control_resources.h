#pragma once

// Resources of the control module besides the engine's (res/resource.h).
#define IDB_TOOLBOX 101
#define IDR_REGISTRY_SCRIPT 102
#define IDD_ABOUT 401
#define IDC_ABOUT_VERSION 402

// NORV_VERSION_NUMBERS, NORV_VERSION_TEXT and NORV_VERSION_CAPTION, from the build's version.
#include "norv_version.h"
