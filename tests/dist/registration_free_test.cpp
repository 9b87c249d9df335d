// The control with nothing registered, as a host ships it: this program's manifest is the
// application manifest of the package's README, norv.dll and its assembly manifest lie beside.

#include "host_test_support.h"

TEST(RegistrationFree, CreatesByClsidAndProgIdAndInAnAtlHost) {
    for (const wchar_t* key : {L"Norv.View", L"CLSID\\{0F6339AF-1306-4B37-A22A-7E55061277CD}",
                               L"TypeLib\\{0C617DE4-EF2A-4A1F-ACAD-558007FA298B}"}) {
        HKEY registered = nullptr;
        ASSERT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &registered));
    }
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));

    // By CLSID and by either ProgID (under Wine a ProgID leads to an alias of the class).
    std::vector<CLSID> classes{CLSID_View, GUID_NULL, GUID_NULL};
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"Norv.View", &classes[1]));
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"Norv.View.1", &classes[2]));
    for (const CLSID& clsid : classes) {
        ComRef<_View> view;
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__View,
                                         view.ReceiveVoid()));
        EXPECT_EQ(S_OK, LoadTable(view.Get(), 3, 2));
    }
    ComRef<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_NORV, 1, 0, LOCALE_NEUTRAL, library.Receive()));

    // A container that knows the control by its ProgID only.
    HWND ax = nullptr;
    ComRef<IDispatch> hosted(AtlHosted(TestHost(320, 240), 0, 0, ax));
    ASSERT_TRUE(hosted.Get());
    EXPECT_EQ(S_OK, LoadTable(hosted.Get(), 4, 2));
    hosted.Reset();
    DestroyWindow(ax);
    OleUninitialize();
}
