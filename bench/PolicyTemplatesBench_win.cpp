// The first listing of a PolicyDefinitions folder against the platform's parser alone: 200
// templates of 25 policies each (with options, texts and presentations, written here in a
// temporary folder) read into the program's policy set, against MSXML 6 only loading the same
// .admx and .adml files with the same settings, in the same run. Prints the ratio of the medians.
#include "script/PolicyTemplates.h"

#include "UniqueBstr.h"

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Templates = 200, PoliciesEach = 25, Rounds = 5;
constexpr CLSID DomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr IID DomDocumentInterface = {0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

std::string Policy(int t, int p)
{
    const std::string n = std::to_string(t) + "_" + std::to_string(p);
    return "<policy name='P" + n + "' class='Both' displayName='$(string.P" + n + ")' explainText='$(string.E" + n +
           ")' presentation='$(presentation.P" + n + ")' key='Software\\Policies\\Bench\\T" + std::to_string(t) +
           "' valueName='V" + n + "'><parentCategory ref='C'/><supportedOn ref='S'/><elements>"
           "<decimal id='D' valueName='D" + n + "' maxValue='100'/><text id='T' valueName='T" + n + "'/>"
           "<enum id='E' valueName='E" + n + "'><item displayName='$(string.One)'><value><decimal value='1'/></value>"
           "</item><item displayName='$(string.Two)'><value><decimal value='2'/></value></item></enum></elements></policy>";
}

std::string Texts(int t, int p)
{
    const std::string n = std::to_string(t) + "_" + std::to_string(p);
    return "<string id='P" + n + "'>Policy " + n + "</string><string id='E" + n + "'>" +
           std::string(600, 'x') + "</string>";
}

std::string Presentation(int t, int p)
{
    const std::string n = std::to_string(t) + "_" + std::to_string(p);
    return "<presentation id='P" + n + "'><decimalTextBox refId='D' defaultValue='5'>Number</decimalTextBox>"
           "<textBox refId='T'><label>Text</label></textBox><dropdownList refId='E'>Choice</dropdownList></presentation>";
}

void WriteFolder(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder / "en-US");
    for (int t = 0; t < Templates; ++t) {
        std::string admx = "<?xml version='1.0' encoding='utf-8'?><policyDefinitions revision='1.0' schemaVersion='1.0'>"
                           "<policyNamespaces><target prefix='t' namespace='Bench.T" + std::to_string(t) + "'/>"
                           "</policyNamespaces><supportedOn><definitions><definition name='S' displayName='$(string.S)'/>"
                           "</definitions></supportedOn><categories><category name='C' displayName='$(string.C)'/>"
                           "</categories><policies>";
        std::string adml = "<?xml version='1.0' encoding='utf-8'?><policyDefinitionResources revision='1.0' "
                           "schemaVersion='1.0'><resources><stringTable><string id='S'>Bench</string><string id='C'>"
                           "Category</string><string id='One'>One</string><string id='Two'>Two</string>";
        std::string presentations;
        for (int p = 0; p < PoliciesEach; ++p) {
            admx += Policy(t, p);
            adml += Texts(t, p);
            presentations += Presentation(t, p);
        }
        std::ofstream(folder / ("t" + std::to_string(t) + ".admx")) << admx << "</policies></policyDefinitions>";
        std::ofstream(folder / "en-US" / ("t" + std::to_string(t) + ".adml"))
            << adml << "</stringTable><presentationTable>" << presentations
            << "</presentationTable></resources></policyDefinitionResources>";
    }
}

// MSXML loads the file by its path, or (inMemory) from its bytes, as the program hands them over.
void LoadOnly(const std::wstring& path, bool inMemory)
{
    ComPtr<IXMLDOMDocument> document;
    ::CoCreateInstance(DomDocument60, nullptr, CLSCTX_INPROC_SERVER, DomDocumentInterface,
                       reinterpret_cast<void**>(document.GetAddressOf()));
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    VARIANT source;
    ::VariantInit(&source);
    UniqueBstr name(::SysAllocString(path.c_str()));
    if (inMemory) {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        source.vt = VT_ARRAY | VT_UI1;
        source.parray = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
        void* data = nullptr;
        ::SafeArrayAccessData(source.parray, &data);
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
        ::SafeArrayUnaccessData(source.parray);
    } else {
        source.vt = VT_BSTR;
        source.bstrVal = name.Get();
    }
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT result = document->load(source, &loaded);
    if (inMemory)
        ::SafeArrayDestroy(source.parray);
    if (FAILED(result) || !loaded)
        throw std::runtime_error("a benchmark template does not load");
}

double LoadAll(const std::filesystem::path& folder, bool inMemory)
{
    const auto start = Clock::now();
    for (int t = 0; t < Templates; ++t) {
        LoadOnly((folder / ("t" + std::to_string(t) + ".admx")).wstring(), inMemory);
        LoadOnly((folder / "en-US" / ("t" + std::to_string(t) + ".adml")).wstring(), inMemory);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto folder = std::filesystem::temp_directory_path() / ("lv-policy-bench-" + std::to_string(::GetCurrentProcessId()));
    WriteFolder(folder);
    std::vector<double> byPath, fromBytes, listing;
    std::size_t policies = 0;
    for (int round = 0; round < Rounds; ++round) {
        byPath.push_back(LoadAll(folder, false));
        fromBytes.push_back(LoadAll(folder, true));
        const auto start = Clock::now();
        policies = ReadPolicyFolder(folder.wstring(), L"en-US").Policies.size();
        listing.push_back(Seconds(start));
    }
    std::filesystem::remove_all(folder);
    std::printf("%d templates, %zu policies: first listing %.3f s; MSXML loading alone %.3f s by path, %.3f s from "
                "the files' bytes (medians of %d)\n", Templates, policies, Median(listing), Median(byPath),
                Median(fromBytes), Rounds);
    std::printf("ratio %.2f against loading by path, %.2f against loading the bytes (goal 1.5)\n",
                Median(listing) / Median(byPath), Median(listing) / Median(fromBytes));
    ::CoUninitialize();
    return 0;
}
