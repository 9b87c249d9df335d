// The control in our own container: activation, rectangles, Enabled, drawing, data transfer.

#include "accessible_reading.h"
#include "control/view_control.h"
#include "host_test_support.h"

namespace {

// Where a window lies in its parent, as {left, top, right, bottom}.
std::vector<LONG> PlaceInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return Sides(r);
}

} // namespace

using Container = HostTest;

TEST_F(Container, ActivationCreatesTheWindowAtTheSiteRectangle) {
    const RECT bounds{10, 20, 250, 180};
    ASSERT_EQ(S_OK, Create(bounds));
    HWND control = host->ControlWindow();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(PlaceInParent(control), Sides(bounds));
    EXPECT_FALSE(host->Record().uiActive) << "in-place activation alone";

    // The extent a container sets never sizes the window.
    EXPECT_EQ(S_OK, SetExtent({100, 100}));
    EXPECT_EQ(PlaceInParent(control), (std::vector<LONG>{10, 20, 14, 24}))
        << "our site grants what the control asks through OnPosRectChange";

    // Moved, then clipped to the part inside the clip rectangle.
    ASSERT_EQ(S_OK, host->Move(RECT{30, 40, 130, 140}, RECT{0, 0, 100, 120}));
    EXPECT_EQ(PlaceInParent(control), (std::vector<LONG>{30, 40, 130, 140}));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box{};
    ASSERT_EQ(GetWindowRgn(control, region), SIMPLEREGION);
    GetRgnBox(region, &box);
    EXPECT_EQ(Sides(box), (std::vector<LONG>{0, 0, 70, 80}));
    ASSERT_EQ(S_OK, host->Move(RECT{5, 5, 105, 105}));
    EXPECT_EQ(GetWindowRgn(control, region), ERROR) << "no clipping once wholly visible";
    DeleteObject(region);

    // The verbs that show the control make it user-interface active and give it the focus.
    EXPECT_EQ(S_OK, host->DoVerb(OLEIVERB_SHOW));
    EXPECT_EQ(std::make_tuple(host->Record().uiActive, GetFocus(), host->Record().focusGained),
              std::make_tuple(true, control, 1));
    EXPECT_EQ(S_OK, host->DoVerb(OLEIVERB_HIDE));
    EXPECT_FALSE(host->Record().uiActive || IsWindowVisible(control));
    MSG key = {control, WM_KEYDOWN, VK_DOWN, 1, 0, {}};
    EXPECT_FALSE(host->TranslateAccelerator(key)) << "the frame no longer offers it keys";
    EXPECT_EQ(S_OK, host->DoVerb(OLEIVERB_DISCARDUNDOSTATE));
    EXPECT_EQ(E_NOTIMPL, host->DoVerb(OLEIVERB_PROPERTIES));
    EXPECT_EQ(OLEOBJ_S_INVALIDVERB, host->DoVerb(7)) << "the primary verb ran instead";
    EXPECT_TRUE(IsWindowVisible(control) && host->Record().uiActive);
}

// Reactivation keeps the state; Enabled false disables the window and the user interface.
TEST_F(Container, DeactivationKeepsStateAndEnabledFalseDisablesTheWindow) {
    ViewControl* control = ViewControl::Create();
    _View* view = control;
    ASSERT_EQ(S_OK, LoadTable(view, 30, 3));
    ASSERT_EQ(S_OK, host->Embed(view, RECT{0, 0, 300, 200}));
    ASSERT_TRUE(control->SetGroupLevelsKeepingRow(1));
    ExpandAll(*control);
    ASSERT_TRUE(control->SelectRow(5));
    ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_UIACTIVATE));
    HWND first = host->ControlWindow();
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_FALSE));
    EXPECT_FALSE(IsWindowEnabled(first) || host->Record().uiActive);
    EXPECT_EQ(GetFocus(), window) << "the focus goes to the parent";
    const std::vector<std::wstring> read = ReadWindow(first);
    ASSERT_EQ(read.size(), 1u + 3 + 60) << "the list, its headers, 30 groups open";

    ASSERT_EQ(S_OK, host->Deactivate());
    EXPECT_FALSE(IsWindow(first) || host->ControlWindow());
    EXPECT_FALSE(host->Record().inPlaceActive || host->Record().uiActive);
    ASSERT_EQ(S_OK, host->DoVerb(OLEIVERB_INPLACEACTIVATE));
    ASSERT_NE(host->ControlWindow(), nullptr);
    EXPECT_EQ(ReadWindow(host->ControlWindow()), read) << "the same rows open, current, shown";
    EXPECT_FALSE(IsWindowEnabled(host->ControlWindow())) << "created disabled";
    EXPECT_EQ(S_OK, host->DoVerb(OLEIVERB_UIACTIVATE));
    EXPECT_FALSE(host->Record().uiActive) << "a disabled control takes no user interface";
    ASSERT_EQ(S_OK, view->put_Enabled(VARIANT_TRUE));
    EXPECT_TRUE(IsWindowEnabled(host->ControlWindow()));
    EXPECT_EQ(S_OK, host->DoVerb(OLEIVERB_UIACTIVATE));
    EXPECT_TRUE(host->Record().uiActive);
    view->Release();
}

// What the control hands out carries a reference of the caller's own: the site (which is also
// the view's sink here) counts two more while the caller holds both, and as before once it lets go.
TEST_F(Container, HandedOutSiteAndSinkCarryReferencesOfTheCallersOwn) {
    ASSERT_EQ(S_OK, Create(RECT{0, 0, 200, 100}, true));
    ComRef<IOleObject> object(Query<IOleObject>(host->Control(), IID_IOleObject));
    ComRef<IViewObjectEx> view(Query<IViewObjectEx>(host->Control(), IID_IViewObjectEx));
    ASSERT_TRUE(object && view);
    IOleClientSite* const site = host->Site();
    const auto references = [site] { return site->AddRef(), site->Release(); };
    const ULONG held = references();
    IOleClientSite* handedSite = nullptr;
    IAdviseSink* handedSink = nullptr;
    ASSERT_EQ(S_OK, object->GetClientSite(&handedSite));
    ASSERT_EQ(S_OK, view->GetAdvise(nullptr, nullptr, &handedSink));
    ASSERT_TRUE(handedSite == site && handedSink);
    EXPECT_EQ(references(), held + 2);
    handedSite->Release();
    handedSink->Release();
    EXPECT_EQ(references(), held);
}

// The site hears of every change of the look; each way of drawing gives the same picture.
TEST_F(Container, QuickActivationAdvisesChangesAndDrawingGivesTheFramedPlaceholder) {
    ASSERT_EQ(S_OK, Create(RECT{0, 0, 200, 100}, true));
    ComRef<IViewObjectEx> view(Query<IViewObjectEx>(host->Control(), IID_IViewObjectEx));
    ComRef<IDataObject> data(Query<IDataObject>(host->Control(), IID_IDataObject));
    ComRef<IAdviseSink> sink(Query<IAdviseSink>(host->Site(), IID_IAdviseSink));
    ComRef<_View> control(Query<_View>(host->Control(), IID__View));
    ASSERT_TRUE(view && data && sink && control);
    FORMATETC format{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    DWORD connection = 0;
    ASSERT_EQ(S_OK, data->DAdvise(&format, ADVF_NODATA, sink.Get(), &connection));
    auto changes = [&] {
        return std::make_pair(host->Record().viewChanges, host->Record().dataChanges);
    };
    ASSERT_EQ(S_OK, LoadTable(host->Control(), 5, 2)) << "the list is not what is drawn";
    ASSERT_EQ(events.size(), 1u) << "OnSelect through the quick-activated sink";
    EXPECT_EQ(events[0].id, 1);
    EXPECT_EQ(changes(), std::make_pair(1, 1));
    control->put_Enabled(VARIANT_FALSE);
    EXPECT_EQ(changes(), std::make_pair(2, 2));
    EXPECT_EQ(S_OK, data->DUnadvise(connection));
    control->put_Enabled(VARIANT_TRUE);
    EXPECT_EQ(changes(), std::make_pair(3, 2)) << "the data sink no longer hears";

    // At 96 dots an inch the extent is 96 x 48 pixels: each rendering, played as a host plays it.
    ASSERT_EQ(S_OK, SetExtent({2540, 1270}));
    const COLORREF ground = RGB(0, 128, 0);
    const RECT area{10, 8, 106, 56};
    for (FORMATETC rendering :
         {format, {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT}}) {
        SCOPED_TRACE(rendering.cfFormat);
        STGMEDIUM got{};
        ASSERT_EQ(S_OK, data->GetData(&rendering, &got));
        ExpectFramedPlaceholder(
            Drawn(120, 70, ground,
                  [&](HDC dc) {
                      if (got.tymed == TYMED_ENHMF)
                          return void(PlayEnhMetaFile(dc, got.hEnhMetaFile, &area));
                      const auto* played =
                          static_cast<METAFILEPICT*>(GlobalLock(got.hMetaFilePict));
                      EXPECT_EQ(played->mm, MM_ANISOTROPIC);
                      const int saved = SaveDC(dc);
                      SetMapMode(dc, MM_ANISOTROPIC);
                      SetViewportOrgEx(dc, area.left, area.top, nullptr);
                      SetViewportExtEx(dc, area.right - area.left, area.bottom - area.top, nullptr);
                      PlayMetaFile(dc, played->hMF);
                      RestoreDC(dc, saved);
                      GlobalUnlock(got.hMetaFilePict);
                  }),
            area, ground);
        ReleaseStgMedium(&got);
    }

    FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(DV_E_FORMATETC, data->QueryGetData(&text));
    ComRef<IEnumFORMATETC> formats;
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, formats.Receive()));
    FORMATETC listed[3] = {};
    ULONG count = 0;
    EXPECT_EQ(S_FALSE, formats->Next(3, listed, &count));
    EXPECT_EQ(count, 2u) << "the two metafile formats drawn above";
    for (const auto& [at, result] :
         {std::pair{POINT{area.right, 9}, HITRESULT_OUTSIDE}, {POINT{10, 8}, HITRESULT_HIT}}) {
        DWORD hit = 0;
        EXPECT_EQ(S_OK, view->QueryHitPoint(DVASPECT_CONTENT, &area, at, 0, &hit));
        EXPECT_EQ(hit, DWORD(result)) << at.x;
    }
}
