// Reads a PolicyDefinitions folder with MSXML 6 through COM. The templates are untrusted XML:
// - a file over MaxTemplateBytes is refused before it is read;
// - a document type declaration is refused before the parser sees the bytes: templates never
//   have one, and Wine's msxml6 accepts ProhibitDTD but still expands the entities of a DTD;
// - the parser is told to prohibit DTDs, resolve nothing external and run no script, and the
//   tree is walked within MaxTemplateDepth and MaxTemplateElements.
#include "script/PolicyTemplates.h"

#include "UniqueBstr.h"
#include "store/FileStream.h"

#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <memory>

using Microsoft::WRL::ComPtr;

namespace {

// MSXML 6's DOM document; mingw-w64's headers know only the older versions' class ids, and
// name IXMLDOMDocument2's interface id without defining it.
constexpr CLSID DomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr IID DomDocument2Interface = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

class TVariant {
public:
    TVariant() { ::VariantInit(&Value); }
    ~TVariant() { ::VariantClear(&Value); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    VARIANT Value;
};

std::wstring TakeBstr(BSTR raw)
{
    UniqueBstr owned(raw);
    return raw ? std::wstring(raw, ::SysStringLen(raw)) : std::wstring();
}

std::string ReadBounded(const std::wstring& path)
{
    std::string bytes;
    switch (ReadBoundedFile(path, MaxTemplateBytes, bytes)) {
    case TBoundedRead::CannotOpen:
        throw ETemplateRefused(L"it cannot be opened");
    case TBoundedRead::TooLarge:
        throw ETemplateRefused(L"it is larger than " + std::to_wstring(MaxTemplateBytes >> 20) + L" MiB");
    case TBoundedRead::CannotRead:
        throw ETemplateRefused(L"it cannot be read");
    case TBoundedRead::Done:
        break;
    }
    return bytes;
}

// "<!DOCTYPE" in UTF-8 or UTF-16 (either byte order).
bool DeclaresDocumentType(const std::string& bytes)
{
    const std::string mark = "<!DOCTYPE";
    std::string little, big;
    for (char c : mark) {
        little += c, little += '\0';
        big += '\0', big += c;
    }
    return bytes.find(mark) != std::string::npos || bytes.find(little) != std::string::npos ||
           bytes.find(big) != std::string::npos;
}

void SetProperty(IXMLDOMDocument2* document, const wchar_t* name, VARIANT value)
{
    UniqueBstr property(::SysAllocString(name));
    // Wine's msxml6 refuses the bounds' properties; the walk below keeps its own bounds.
    document->setProperty(property.Get(), value);
}

VARIANT Boolean(bool value)
{
    VARIANT result;
    ::VariantInit(&result);
    result.vt = VT_BOOL;
    result.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return result;
}

VARIANT Integer(long value)
{
    VARIANT result;
    ::VariantInit(&result);
    result.vt = VT_I4;
    result.lVal = value;
    return result;
}

ComPtr<IXMLDOMDocument2> Parse(const std::string& bytes)
{
    ComPtr<IXMLDOMDocument2> document;
    if (FAILED(::CoCreateInstance(DomDocument60, nullptr, CLSCTX_INPROC_SERVER, DomDocument2Interface,
                                  reinterpret_cast<void**>(document.GetAddressOf()))))
        throw ETemplateRefused(L"the platform's XML parser (MSXML 6) is not available");
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    SetProperty(document.Get(), L"ProhibitDTD", Boolean(true));
    SetProperty(document.Get(), L"ResolveExternals", Boolean(false));
    SetProperty(document.Get(), L"AllowXsltScript", Boolean(false));
    SetProperty(document.Get(), L"AllowDocumentFunction", Boolean(false));
    SetProperty(document.Get(), L"MaxElementDepth", Integer(static_cast<long>(MaxTemplateDepth)));
    SetProperty(document.Get(), L"MaxXMLSize", Integer(static_cast<long>(MaxTemplateBytes >> 10)));
    TVariant source;
    source.Value.vt = VT_ARRAY | VT_UI1;
    source.Value.parray = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!source.Value.parray)
        throw std::bad_alloc();
    void* data = nullptr;
    ::SafeArrayAccessData(source.Value.parray, &data);
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    ::SafeArrayUnaccessData(source.Value.parray);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->load(source.Value, &loaded)) || !loaded) {
        ComPtr<IXMLDOMParseError> error;
        BSTR reason = nullptr;
        if (SUCCEEDED(document->get_parseError(error.GetAddressOf())) && error)
            error->get_reason(&reason);
        std::wstring text = TakeBstr(reason);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
            text.pop_back();
        throw ETemplateRefused(L"it is not well-formed XML" + (text.empty() ? L"" : L": " + text));
    }
    return document;
}

class TTreeWalk {
public:
    TXmlNode Element(IXMLDOMNode* node, std::size_t depth)
    {
        if (depth > MaxTemplateDepth)
            throw ETemplateRefused(L"its elements nest deeper than " + std::to_wstring(MaxTemplateDepth));
        if (++FElements > MaxTemplateElements)
            throw ETemplateRefused(L"it has more than " + std::to_wstring(MaxTemplateElements) + L" elements");
        TXmlNode result;
        BSTR name = nullptr;
        node->get_baseName(&name);
        result.Name = TakeBstr(name);
        ReadAttributes(node, result);
        ComPtr<IXMLDOMNodeList> children;
        long count = 0;
        if (FAILED(node->get_childNodes(children.GetAddressOf())) || !children || FAILED(children->get_length(&count)))
            return result;
        for (long i = 0; i < count; ++i) {
            ComPtr<IXMLDOMNode> child;
            DOMNodeType type = NODE_INVALID;
            if (FAILED(children->get_item(i, child.GetAddressOf())) || !child || FAILED(child->get_nodeType(&type)))
                continue;
            if (type == NODE_ELEMENT)
                result.Children.push_back(Element(child.Get(), depth + 1));
            else if (type == NODE_TEXT || type == NODE_CDATA_SECTION)
                result.Text += Value(child.Get());
        }
        return result;
    }

private:
    static std::wstring Value(IXMLDOMNode* node)
    {
        TVariant value;
        if (FAILED(node->get_nodeValue(&value.Value)) || value.Value.vt != VT_BSTR)
            return {};
        return std::wstring(value.Value.bstrVal, ::SysStringLen(value.Value.bstrVal));
    }

    static void ReadAttributes(IXMLDOMNode* node, TXmlNode& result)
    {
        ComPtr<IXMLDOMNamedNodeMap> attributes;
        long count = 0;
        if (FAILED(node->get_attributes(attributes.GetAddressOf())) || !attributes ||
            FAILED(attributes->get_length(&count)))
            return;
        for (long i = 0; i < count; ++i) {
            ComPtr<IXMLDOMNode> attribute;
            if (FAILED(attributes->get_item(i, attribute.GetAddressOf())) || !attribute)
                continue;
            BSTR name = nullptr;
            attribute->get_baseName(&name);
            result.Attributes.emplace_back(TakeBstr(name), Value(attribute.Get()));
        }
    }

    std::size_t FElements = 0;
};

TXmlNode LoadTemplateXml(const std::wstring& path)
{
    const auto bytes = ReadBounded(path);
    if (DeclaresDocumentType(bytes))
        throw ETemplateRefused(L"it declares a document type (DTD), which no template has");
    const auto document = Parse(bytes);
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document->get_documentElement(root.GetAddressOf())) || !root)
        throw ETemplateRefused(L"it has no root element");
    return TTreeWalk().Element(root.Get(), 1);
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The .adml of the language, else of en-US; empty when there is neither.
std::wstring ResourcePath(const std::wstring& folder, const std::wstring& language, const std::wstring& admx)
{
    const std::wstring stem = admx.substr(0, admx.size() - 5);
    for (const auto& each : {language, std::wstring(L"en-US")}) {
        const std::wstring path = folder + L"\\" + each + L"\\" + stem + L".adml";
        if (!each.empty() && FileExists(path))
            return path;
    }
    return {};
}

TTemplate ReadOne(const std::wstring& folder, const std::wstring& language, const std::wstring& admx)
{
    TTemplate refused;
    refused.File = admx;
    try {
        const TXmlNode definitions = LoadTemplateXml(folder + L"\\" + admx);
        const std::wstring resources = ResourcePath(folder, language, admx);
        if (resources.empty())
            throw ETemplateRefused(L"it has no .adml for " + (language == L"en-US" ? language : language + L" or en-US"));
        const TXmlNode texts = LoadTemplateXml(resources);
        return ReadTemplate(admx, definitions, &texts);
    } catch (const ETemplateRefused& refusal) {
        refused.Refusal = refusal.Reason;
    }
    return refused;
}

inline void CloseFind(HANDLE search)
{
    ::FindClose(search);
}
using UniqueFind = UniqueHandle<HANDLE, CloseFind>;

struct TFileStamp {
    std::wstring Name;
    ULONGLONG Size;
    FILETIME Written;
};

std::vector<TFileStamp> Templates(const std::wstring& folder)
{
    std::vector<TFileStamp> files;
    WIN32_FIND_DATAW found;
    const HANDLE first = ::FindFirstFileW((folder + L"\\*.admx").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE)
        return files;
    const UniqueFind search(first);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back({found.cFileName, (ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                             found.ftLastWriteTime});
    } while (::FindNextFileW(search.Get(), &found));
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
    return files;
}

// What a set read earlier depends on: the templates' and their texts' names, sizes and times.
std::wstring Signature(const std::wstring& folder, const std::wstring& language, const std::vector<TFileStamp>& files)
{
    std::wstring signature;
    for (const auto& file : files) {
        WIN32_FILE_ATTRIBUTE_DATA texts{};
        ::GetFileAttributesExW(ResourcePath(folder, language, file.Name).c_str(), GetFileExInfoStandard, &texts);
        for (const auto& stamp : {file.Written, texts.ftLastWriteTime})
            signature += std::to_wstring(stamp.dwHighDateTime) + L"." + std::to_wstring(stamp.dwLowDateTime) + L";";
        signature += file.Name + L":" + std::to_wstring(file.Size) + L"|";
    }
    return signature;
}

struct TCachedSet {
    std::wstring Signature;
    std::shared_ptr<const TPolicySet> Set;
};

}

std::wstring UserPolicyLanguage()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (!::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0))
        return L"en-US";
    return name;
}

std::wstring DefaultPolicyFolder()
{
    wchar_t windows[MAX_PATH] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows, length < MAX_PATH ? length : 0) + L"\\PolicyDefinitions";
}

TPolicySet ReadPolicyFolder(const std::wstring& folder, const std::wstring& language)
{
    std::vector<TTemplate> templates;
    for (const auto& file : Templates(folder))
        templates.push_back(ReadOne(folder, language, file.Name));
    return CombineTemplates(std::move(templates));
}

std::shared_ptr<const TPolicySet> PolicyTemplates(const std::wstring& folder)
{
    static std::map<std::wstring, TCachedSet> cache;
    const std::wstring language = UserPolicyLanguage();
    const std::wstring signature = Signature(folder, language, Templates(folder));
    auto& cached = cache[folder + L"|" + language];
    if (!cached.Set || cached.Signature != signature)
        cached = {signature, std::make_shared<const TPolicySet>(ReadPolicyFolder(folder, language))};
    return cached.Set;
}
