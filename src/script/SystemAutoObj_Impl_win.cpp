#include "script/SystemAutoObj_Impl.h"

#include "UniqueGdiHandle.h"
#include "script/ElevatedChannel.h"
#include "script/AnsiText.h"
#include "script/IconFile.h"
#include "script/OwnerWindow.h"
#include "script/ProgramValues.h"
#include "script/SystemParameters.h"
#include "store/FileStream.h"

#include <shellapi.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace {

static_assert(FontSmoothingStandard == FE_FONTSMOOTHINGSTANDARD && FontSmoothingClearType == FE_FONTSMOOTHINGCLEARTYPE);
static_assert(UserTimerMinimum == USER_TIMER_MINIMUM && UserTimerMaximum == USER_TIMER_MAXIMUM);

// Stored in the user's profile and announced to every window, as the Settings app does.
constexpr UINT ChangeFlags = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

// How long each window may take to answer WM_SETTINGCHANGE; a hung one is skipped at once.
constexpr UINT SettingChangeTimeoutMs = 1000;

struct TSystemParameterCalls {
    bool (*Read)(long& value);
    bool (*Write)(long value);
};

template <UINT Get>
bool ReadVariable(long& value)
{
    DWORD variable = 0;
    if (!::SystemParametersInfoW(Get, 0, &variable, 0))
        return false;
    value = static_cast<long>(variable);
    return true;
}

template <auto Getter>
bool ReadBy(long& value)
{
    value = static_cast<long>(Getter());
    return true;
}

template <UINT Set>
bool WriteUiParam(long value)
{
    return ::SystemParametersInfoW(Set, static_cast<UINT>(value), nullptr, ChangeFlags);
}

template <UINT Set>
bool WritePvValue(long value)
{
    return ::SystemParametersInfoW(Set, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(value)), ChangeFlags);
}

template <typename Struct>
bool ReadStruct(UINT get, Struct& data)
{
    data = {};
    data.cbSize = sizeof(Struct);
    return ::SystemParametersInfoW(get, sizeof(Struct), &data, 0);
}

// The structure is read first and written back whole, so that only the one member changes.
template <typename Struct, UINT Get, UINT Set, typename Change>
bool ChangeStruct(Change&& change)
{
    Struct data;
    if (!ReadStruct(Get, data))
        return false;
    change(data);
    return ::SystemParametersInfoW(Set, sizeof(Struct), &data, ChangeFlags);
}

template <typename Struct, UINT Get, DWORD Flag>
bool ReadFlag(long& value)
{
    Struct data;
    if (!ReadStruct(Get, data))
        return false;
    value = (data.dwFlags & Flag) != 0 ? 1 : 0;
    return true;
}

template <typename Struct, UINT Get, UINT Set, DWORD Flag>
bool WriteFlag(long value)
{
    return ChangeStruct<Struct, Get, Set>([value](Struct& data) {
        data.dwFlags = value != 0 ? data.dwFlags | Flag : data.dwFlags & ~static_cast<DWORD>(Flag);
    });
}

template <typename Struct, UINT Get, auto Field>
bool ReadField(long& value)
{
    Struct data;
    if (!ReadStruct(Get, data))
        return false;
    value = data.*Field != 0 ? 1 : 0;
    return true;
}

template <typename Struct, UINT Get, UINT Set, auto Field>
bool WriteField(long value)
{
    return ChangeStruct<Struct, Get, Set>([value](Struct& data) { data.*Field = value; });
}

template <UINT Get, std::size_t Count>
bool ReadItems(std::array<int, Count>& items)
{
    items = {};
    return ::SystemParametersInfoW(Get, 0, items.data(), 0);
}

template <UINT Get, std::size_t Count, std::size_t Index>
bool ReadItem(long& value)
{
    std::array<int, Count> items;
    if (!ReadItems<Get>(items))
        return false;
    value = items[Index];
    return true;
}

// The integers are read first and written back together, so that only the one item changes.
template <UINT Get, UINT Set, std::size_t Count, std::size_t Index>
bool WriteItem(long value)
{
    std::array<int, Count> items;
    if (!ReadItems<Get>(items))
        return false;
    items[Index] = static_cast<int>(value);
    return ::SystemParametersInfoW(Set, 0, items.data(), ChangeFlags);
}

// In the order of SystemParameters(), from the same list.
constexpr TSystemParameterCalls Calls[] = {
#define LV_SPI_UI(NAME, TYPE, MIN, MAX) {ReadVariable<SPI_GET##NAME>, WriteUiParam<SPI_SET##NAME>},
#define LV_SPI_PV(NAME, TYPE, MIN, MAX) {ReadVariable<SPI_GET##NAME>, WritePvValue<SPI_SET##NAME>},
#define LV_SPI_UI_READ_BY(NAME, TYPE, MIN, MAX, GETTER) {ReadBy<&::GETTER>, WriteUiParam<SPI_SET##NAME>},
#define LV_SPI_FLAG(ACTIONS, STRUCT, FLAG) \
    {ReadFlag<STRUCT, SPI_GET##ACTIONS, FLAG>, WriteFlag<STRUCT, SPI_GET##ACTIONS, SPI_SET##ACTIONS, FLAG>},
#define LV_SPI_FIELD(ACTIONS, STRUCT, FIELD) \
    {ReadField<STRUCT, SPI_GET##ACTIONS, &STRUCT::FIELD>, WriteField<STRUCT, SPI_GET##ACTIONS, SPI_SET##ACTIONS, &STRUCT::FIELD>},
#define LV_SPI_ITEM(ACTIONS, COUNT, INDEX, ITEM, MIN, MAX) \
    {ReadItem<SPI_GET##ACTIONS, COUNT, INDEX>, WriteItem<SPI_GET##ACTIONS, SPI_SET##ACTIONS, COUNT, INDEX>},
#include "script/SystemParameterList.h"
#undef LV_SPI_UI
#undef LV_SPI_PV
#undef LV_SPI_UI_READ_BY
#undef LV_SPI_FLAG
#undef LV_SPI_FIELD
#undef LV_SPI_ITEM
};

const TSystemParameterCalls& CallsOf(const TSystemParameter& entry)
{
    return Calls[&entry - SystemParameters().data()];
}

bool IsNumberType(VARTYPE type)
{
    switch (type) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
    case VT_R4: case VT_R8: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

// A script engine may pass a variable by reference; its value is what counts.
TScriptValue ScriptValueOf(VARIANT& value)
{
    VARIANT* direct = &value;
    while (V_VT(direct) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(direct))
        direct = V_VARIANTREF(direct);
    const VARTYPE type = V_VT(direct) & ~VT_BYREF;
    if (type == VT_BOOL) {
        const VARIANT_BOOL flag = (V_VT(direct) & VT_BYREF) ? *V_BOOLREF(direct) : V_BOOL(direct);
        return {TScriptValue::TKind::Bool, flag ? 1.0 : 0.0};
    }
    VARIANT number;
    ::VariantInit(&number);
    if (IsNumberType(type) && SUCCEEDED(::VariantChangeType(&number, direct, 0, VT_R8)))
        return {TScriptValue::TKind::Number, V_R8(&number)};
    return {};
}

std::string BytesOfHex(const std::wstring& pairs)
{
    if (pairs.size() % 2 != 0)
        throw Exception("Bytes in hexadecimal come in pairs of digits; an odd number of digits was given.");
    const std::optional<std::vector<std::uint8_t>> bytes = BytesFromHex(pairs);
    if (!bytes)
        throw Exception("Bytes in hexadecimal hold only the digits 0-9 and A-F.");
    return std::string(bytes->begin(), bytes->end());
}

std::wstring Expanded(const std::wstring& path)
{
    const DWORD size = ::ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    std::wstring text(size, L'\0');
    const DWORD written = size == 0 ? 0 : ::ExpandEnvironmentStringsW(path.c_str(), text.data(), size);
    if (written == 0 || written > size)
        return path;
    text.resize(written - 1);
    return text;
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view start)
{
    return text.size() >= start.size() &&
           ::CompareStringOrdinal(text.data(), static_cast<int>(start.size()), start.data(),
                                  static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
}

// A drive with no disk in it is missing, without the platform asking for one.
class TNoCriticalErrorBox {
public:
    TNoCriticalErrorBox() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &FOld); }
    ~TNoCriticalErrorBox() { ::SetThreadErrorMode(FOld, nullptr); }
    TNoCriticalErrorBox(const TNoCriticalErrorBox&) = delete;
    TNoCriticalErrorBox& operator=(const TNoCriticalErrorBox&) = delete;

private:
    DWORD FOld = 0;
};

// "\\?\C:\..." and "\\.\C:\..." name a drive's path the long way; any other path that starts
// with two separators names a server.
const wchar_t* PlaceOf(const std::wstring& path)
{
    std::wstring_view rest = path;
    if (rest.size() >= 4 && IsSeparator(rest[0]) && IsSeparator(rest[1]) && (rest[2] == L'?' || rest[2] == L'.') &&
        IsSeparator(rest[3]))
        rest.remove_prefix(4);
    else if (rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1]))
        return L"elsewhere";
    if (StartsWithNoCase(rest, L"UNC\\"))
        return L"elsewhere";
    if (rest.size() < 3 || !IsDriveLetter(rest[0]) || rest[1] != L':' || !IsSeparator(rest[2]))
        return L"missing";
    const wchar_t root[] = {rest[0], L':', L'\\', L'\0'};
    const TNoCriticalErrorBox quiet;
    switch (::GetDriveTypeW(root)) {
    case DRIVE_REMOTE:
        return L"elsewhere";
    case DRIVE_UNKNOWN:
    case DRIVE_NO_ROOT_DIR:
        return L"missing";
    default:
        return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? L"missing" : L"here";
    }
}

// The shield that marks what needs an administrator, as SHGetStockIconInfo gives it; where the
// shell has none (Wine's), the stock icon of the same name (IDI_SHIELD).
UniqueIcon SystemShield()
{
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(::SHGetStockIconInfo(SIID_SHIELD, SHGSI_ICON | SHGSI_SMALLICON, &info)) && info.hIcon)
        return UniqueIcon(info.hIcon);
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    return UniqueIcon(static_cast<HICON>(::LoadImageW(nullptr, MAKEINTRESOURCEW(32518), IMAGE_ICON, size, size, 0)));
}

// A bitmap's rows, bottom row first, at bits per pixel.
std::vector<std::uint8_t> RowsOf(HBITMAP bitmap, LONG width, LONG height, WORD bits)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, bits, BI_RGB, 0, 0, 0, 0, 0};
    // A 1-bit bitmap's two palette entries follow the header.
    std::vector<std::uint8_t> header(sizeof(BITMAPINFO) + sizeof(RGBQUAD));
    std::memcpy(header.data(), &info, sizeof info);
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(height));
    const HDC screen = ::GetDC(nullptr);
    const int copied = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), rows.data(),
                                   reinterpret_cast<BITMAPINFO*>(header.data()), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (copied != height)
        throw Exception("The shield's picture could not be read.");
    return rows;
}

std::string IconFileOf(HICON icon)
{
    ICONINFO parts{};
    if (!icon || !::GetIconInfo(icon, &parts))
        throw Exception("Windows has no shield to show.");
    const UniqueBitmap color(parts.hbmColor);
    const UniqueBitmap mask(parts.hbmMask);
    BITMAP shape{};
    if (!color || !::GetObjectW(color.Get(), sizeof shape, &shape))
        throw Exception("Windows has no shield to show.");
    return IconFileBytes(static_cast<std::uint32_t>(shape.bmWidth), static_cast<std::uint32_t>(shape.bmHeight),
                         RowsOf(color.Get(), shape.bmWidth, shape.bmHeight, 32),
                         RowsOf(mask.Get(), shape.bmWidth, shape.bmHeight, 1));
}

}

HRESULT TSystemAutoObj::GetSystemParameter(BSTR name, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const TSystemParameter& entry = SystemParameterNamed(AnsiFromBstr(name));
        long value = 0;
        if (!CallsOf(entry).Read(value))
            throw Exception("Windows did not give the system parameter '" + std::string(entry.Name) + "': " +
                            SystemErrorMessage(static_cast<int>(::GetLastError())));
        if (entry.Type == TSystemParameterType::Bool)
            SetResultBool(res, value != 0);
        else
            SetResultInt(res, value);
    });
}

HRESULT TSystemAutoObj::SetSystemParameter(BSTR name, VARIANT value, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const TSystemParameter& entry = SystemParameterNamed(AnsiFromBstr(name));
        SetResultBool(res, CallsOf(entry).Write(SystemParameterArgument(entry, ScriptValueOf(value))));
    });
}

HRESULT TSystemAutoObj::NotifySettingChange(BSTR area, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const std::wstring text = WideFromAnsi(SettingAreaNamed(AnsiFromBstr(area)));
        DWORD_PTR answer = 0;
        const LRESULT sent = ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                                                   reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                                                   SettingChangeTimeoutMs, &answer);
        SetResultBool(res, sent != 0);
    });
}

HRESULT TSystemAutoObj::AnsiText(BSTR hexBytes, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultText(res, WideFromAnsi(BytesOfHex(WideFromBstr(hexBytes)))); });
}

HRESULT TSystemAutoObj::PathPlace(BSTR path, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultText(res, std::wstring_view(PlaceOf(Expanded(WideFromBstr(path))))); });
}

HRESULT TSystemAutoObj::ChangeAsAdministrator(BSTR items, VARIANT* res)
{
    return ScriptCall(res, [&] {
        std::string lines = Utf8FromWide(WideFromBstr(items));
        if (!lines.empty() && lines.back() != '\n')
            lines += '\n';
        // A request that the elevated copy would refuse is refused before the user is asked.
        const std::vector<TElevatedItem> asked = ReadElevatedItems(lines);
        const TElevatedOutcome outcome = RunElevated(WideFromAnsi(ProgramFileName()), asked, ProgramOwnerWindow());
        SetResultText(res, outcome.Declined ? std::wstring(L"declined\n")
                                            : L"exit " + std::to_wstring(outcome.ExitCode) + L"\n" + WideFromUtf8(outcome.Output));
    });
}

HRESULT TSystemAutoObj::ShieldIcon(VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultText(res, IconDataUrl(IconFileOf(SystemShield().Get()))); });
}
