#include "engine/header_tips.h"

#include "render/narrow_text.h"
#include "store/module_instance.h"

#include <cstdio>

TipText::~TipText() {
    if (data)
        HeapFree(GetProcessHeap(), 0, data);
}

void TipText::Append(const char* part) {
    const size_t added = lstrlenA(part);
    if (failed)
        return;
    if (length + added + 1 > capacity) {
        const size_t wanted = (length + added + 1) * 2;
        void* grown = data ? HeapReAlloc(GetProcessHeap(), 0, data, wanted)
                           : HeapAlloc(GetProcessHeap(), 0, wanted);
        if (!grown) {
            failed = true;
            return;
        }
        data = static_cast<char*>(grown);
        capacity = wanted;
    }
    CopyMemory(data + length, part, added + 1);
    length += added;
}

TTTOOLINFOA HeaderTips::Tool(UINT_PTR id) const {
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = owner;
    tool.uId = id;
    return tool;
}

bool HeaderTips::Create(HWND ownerWindow, const LevelToolMetrics& levelMetrics) {
    Destroy();
    owner = ownerWindow;
    metrics = levelMetrics;
    trackedLevels = -1;
    InitCommonControls();
    tipWindow =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ModuleInstance(), nullptr);
    if (!tipWindow)
        return false;
    TTTOOLINFOA tracking = Tool(groupingToolId);
    tracking.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    char empty[] = "";
    tracking.lpszText = empty;
    SendMessageA(tipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tracking));
    SendMessageA(tipWindow, TTM_SETMAXTIPWIDTH, 0, 1000);
    for (int32_t id = 0; id < levelToolCount; ++id)
        AddLevelTool(id);
    return true;
}

bool HeaderTips::Destroy() {
    if (!tipWindow)
        return true;
    if (!DestroyWindow(tipWindow))
        return false;
    tipWindow = nullptr;
    trackedLevels = -1;
    return true;
}

void HeaderTips::SetMetrics(const LevelToolMetrics& levelMetrics) {
    metrics = levelMetrics;
    MoveLevelTools(toolScrollX);
}

RECT HeaderTips::LevelToolRect(int32_t id) const {
    const int32_t left = metrics.buttonWidth * id - toolScrollX + metrics.margin;
    return RECT{left, metrics.buttonTop, left + metrics.buttonWidth,
                metrics.buttonTop + metrics.buttonHeight};
}

void HeaderTips::AddLevelTool(int32_t id) {
    if (!tipWindow)
        return;
    TTTOOLINFOA tool = Tool(static_cast<UINT_PTR>(id));
    tool.uFlags = TTF_SUBCLASS;
    tool.rect = LevelToolRect(id);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void HeaderTips::SetLevelToolCount(int32_t count) {
    if (count < 0)
        count = 0;
    // Deleting a tool that watches the owner's messages stops the watching for every tool of
    // that window on some platforms (Wine 8): after a decrease the remaining tools are
    // registered anew.
    const int32_t kept = count < levelToolCount ? 0 : levelToolCount;
    for (int32_t id = levelToolCount - 1; id >= kept; --id) {
        TTTOOLINFOA tool = Tool(static_cast<UINT_PTR>(id));
        if (tipWindow)
            SendMessageA(tipWindow, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    for (int32_t id = kept; id < count; ++id)
        AddLevelTool(id);
    levelToolCount = count;
}

void HeaderTips::MoveLevelTools(int32_t scrollX) {
    toolScrollX = scrollX;
    if (!tipWindow)
        return;
    for (int32_t id = 0; id < levelToolCount; ++id) {
        TTTOOLINFOA tool = Tool(static_cast<UINT_PTR>(id));
        tool.rect = LevelToolRect(id);
        SendMessageA(tipWindow, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void HeaderTips::WriteLevelTipText(NMTTDISPINFOA* request, const wchar_t* label) {
    std::snprintf(request->szText, sizeof request->szText, "%1.79s", NarrowText(label).Get());
    request->lpszText = request->szText;
    request->hinst = nullptr;
}

void HeaderTips::SetTracking(bool active) {
    TTTOOLINFOA tool = Tool(groupingToolId);
    SendMessageA(tipWindow, TTM_TRACKACTIVATE, active ? TRUE : FALSE,
                 reinterpret_cast<LPARAM>(&tool));
}

void HeaderTips::ShowGroupingTip(int32_t levels, const char* text) {
    if (!tipWindow)
        return;
    if (trackedLevels == -1)
        anchorLevels = levelToolCount > 1 ? levelToolCount : 1;
    if (levels == trackedLevels)
        return;
    SetTracking(false);
    TTTOOLINFOA tool = Tool(groupingToolId);
    tool.lpszText = const_cast<char*>(text ? text : "");
    SendMessageA(tipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    // Under the header at the grouping area's right end as it was when the tip first showed.
    POINT at{metrics.buttonWidth * anchorLevels + 2 * metrics.margin - toolScrollX,
             metrics.headerHeight};
    ClientToScreen(owner, &at);
    SendMessageA(tipWindow, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    if (levels != 0)
        SetTracking(true);
    else
        anchorLevels = 1;
    trackedLevels = levels;
}

void HeaderTips::HideGroupingTip() {
    if (trackedLevels == -1)
        return;
    if (tipWindow)
        SetTracking(false);
    trackedLevels = -1;
}
