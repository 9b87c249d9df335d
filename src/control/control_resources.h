#pragma once

// Resources of the control module besides the engine's (res/resource.h).
#define IDB_TOOLBOX 101
#define IDR_REGISTRY_SCRIPT 102
#define IDD_ABOUT 401
#define IDC_ABOUT_VERSION 402

#define NORV_VERSION_NUMBERS 1, 0, 0, 0
#define NORV_VERSION_TEXT "1.0.0.0"
#define NORV_VERSION_CAPTION "Version 1.0.0.0"
