#include "control/registry_script.h"

#include "control/module_path.h"
#include "control/registry_key.h"

#include <cwchar>
#include <new>

namespace {

constexpr int registryScriptId = 102;
constexpr size_t maxToken = 512;

struct Statement {
    enum Verb { None, Key, Fresh, Value } verb = None;
    wchar_t path[maxToken];
    wchar_t name[maxToken];
    wchar_t text[maxToken];
    bool hasText = false;
};

// The script as wide text, so paths and the module path need no further conversion.
class WideScript {
public:
    WideScript(const char* text, size_t length) {
        if (length == 0 || length > 1u << 20)
            return;
        int count = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0);
        if (count <= 0)
            return;
        chars = new (std::nothrow) wchar_t[static_cast<size_t>(count) + 1];
        if (!chars)
            return;
        MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), chars, count);
        chars[count] = 0;
        size = static_cast<size_t>(count);
    }
    ~WideScript() { delete[] chars; }
    WideScript(const WideScript&) = delete;
    WideScript& operator=(const WideScript&) = delete;

    wchar_t* chars = nullptr;
    size_t size = 0;
};

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r';
}

// Copies text into out, replacing %MODULE% by the module path. False when it does not fit.
bool ExpandText(const wchar_t* begin, const wchar_t* end, const wchar_t* modulePath,
                wchar_t (&out)[maxToken]) {
    static const wchar_t marker[] = L"%MODULE%";
    const size_t markerLength = sizeof marker / sizeof marker[0] - 1;
    size_t used = 0;
    for (const wchar_t* p = begin; p < end;) {
        if (static_cast<size_t>(end - p) >= markerLength &&
            std::wcsncmp(p, marker, markerLength) == 0) {
            size_t pathLength = wcslen(modulePath);
            if (used + pathLength >= maxToken)
                return false;
            std::wmemcpy(out + used, modulePath, pathLength);
            used += pathLength;
            p += markerLength;
            continue;
        }
        if (used + 1 >= maxToken)
            return false;
        out[used++] = *p++;
    }
    out[used] = 0;
    return true;
}

enum class Token { None, Word, Text, Bad };

// Reads one word or quoted text from cursor; Bad for an unterminated or oversized one.
Token NextToken(const wchar_t*& cursor, const wchar_t* end, const wchar_t* modulePath,
                wchar_t (&out)[maxToken]) {
    while (cursor < end && IsBlank(*cursor))
        ++cursor;
    if (cursor >= end)
        return Token::None;
    bool quoted = *cursor == L'"';
    const wchar_t* begin = quoted ? cursor + 1 : cursor;
    const wchar_t* stop = begin;
    if (quoted) {
        while (stop < end && *stop != L'"')
            ++stop;
        if (stop >= end)
            return Token::Bad;
        cursor = stop + 1;
    } else {
        while (stop < end && !IsBlank(*stop))
            ++stop;
        cursor = stop;
    }
    if (!ExpandText(begin, stop, modulePath, out))
        return Token::Bad;
    return quoted ? Token::Text : Token::Word;
}

bool ParseStatement(const wchar_t* line, const wchar_t* end, const wchar_t* modulePath,
                    Statement& statement) {
    wchar_t verb[maxToken];
    if (NextToken(line, end, modulePath, verb) != Token::Word)
        return false;
    if (wcscmp(verb, L"key") == 0)
        statement.verb = Statement::Key;
    else if (wcscmp(verb, L"fresh") == 0)
        statement.verb = Statement::Fresh;
    else if (wcscmp(verb, L"value") == 0)
        statement.verb = Statement::Value;
    else
        return false;
    if (NextToken(line, end, modulePath, statement.path) != Token::Word)
        return false;
    if (statement.verb == Statement::Value) {
        if (NextToken(line, end, modulePath, statement.name) != Token::Word ||
            NextToken(line, end, modulePath, statement.text) != Token::Text)
            return false;
        statement.hasText = true;
    } else {
        Token text = NextToken(line, end, modulePath, statement.text);
        if (text == Token::Word || text == Token::Bad)
            return false;
        statement.hasText = text == Token::Text;
    }
    wchar_t extra[maxToken];
    return NextToken(line, end, modulePath, extra) == Token::None;
}

HRESULT WriteStatement(HKEY classes, const Statement& statement) {
    if (statement.verb == Statement::Fresh) {
        HRESULT hr = DeleteRegistryTree(classes, statement.path);
        if (FAILED(hr))
            return hr;
    }
    RegistryKey key;
    HRESULT hr = statement.verb == Statement::Value
                     ? key.Open(classes, statement.path, KEY_SET_VALUE)
                     : key.Create(classes, statement.path, KEY_SET_VALUE);
    if (FAILED(hr) || !statement.hasText)
        return hr;
    return SetRegistryText(key.Get(), statement.verb == Statement::Value ? statement.name : nullptr,
                           statement.text);
}

// Visits the lines in script order or in reverse; stops at the first failure.
template <typename Visit> HRESULT ForEachLine(const WideScript& script, bool reverse, Visit visit) {
    const wchar_t* text = script.chars;
    const wchar_t* end = text + script.size;
    if (!reverse) {
        for (const wchar_t* line = text; line < end;) {
            const wchar_t* stop = line;
            while (stop < end && *stop != L'\n')
                ++stop;
            HRESULT hr = visit(line, stop);
            if (FAILED(hr))
                return hr;
            line = stop + 1;
        }
        return S_OK;
    }
    for (const wchar_t* stop = end; stop > text;) {
        const wchar_t* line = stop;
        while (line > text && line[-1] != L'\n')
            --line;
        HRESULT hr = visit(line, stop);
        if (FAILED(hr))
            return hr;
        stop = line > text ? line - 1 : text;
    }
    return S_OK;
}

bool IsComment(const wchar_t* line, const wchar_t* end) {
    while (line < end && IsBlank(*line))
        ++line;
    return line == end || *line == L'#';
}

} // namespace

HRESULT RunRegistryScript(const char* text, size_t length, const wchar_t* modulePath,
                          ScriptAction action, HKEY classes) {
    if (!text || !modulePath)
        return E_POINTER;
    WideScript script(text, length);
    if (!script.chars)
        return HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
    Statement* statement = new (std::nothrow) Statement;
    if (!statement)
        return E_OUTOFMEMORY;
    // The whole script is checked before the registry is touched.
    HRESULT hr = ForEachLine(script, false, [&](const wchar_t* line, const wchar_t* end) {
        if (IsComment(line, end))
            return S_OK;
        *statement = Statement();
        return ParseStatement(line, end, modulePath, *statement)
                   ? S_OK
                   : HRESULT_FROM_WIN32(ERROR_BAD_FORMAT);
    });
    if (SUCCEEDED(hr)) {
        bool unregister = action == ScriptAction::Unregister;
        hr = ForEachLine(script, unregister, [&](const wchar_t* line, const wchar_t* end) {
            if (IsComment(line, end))
                return S_OK;
            *statement = Statement();
            ParseStatement(line, end, modulePath, *statement);
            if (!unregister)
                return WriteStatement(classes, *statement);
            if (statement->verb == Statement::Value)
                return S_OK;
            return DeleteRegistryTree(classes, statement->path);
        });
    }
    delete statement;
    return hr;
}

HRESULT RunModuleRegistryScript(HINSTANCE module, ScriptAction action, HKEY classes) {
    wchar_t path[MAX_PATH];
    if (!GetModulePath(module, path))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(registryScriptId), "REGISTRY");
    if (!found)
        return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return HRESULT_FROM_WIN32(GetLastError());
    return RunRegistryScript(static_cast<const char*>(data), SizeofResource(module, found), path,
                             action, classes);
}
