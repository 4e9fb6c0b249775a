// Administrative Templates: the keys a template may name and the lines the pages read on every
// build; under Windows, templates of the tests' own written to a temporary folder and read with
// MSXML 6, hostile ones among them.
#include "script/PolicyTemplates.h"

#include <gtest/gtest.h>

TEST(PolicyTemplates, KeysNamingAHiveOrClimbingAreRefused)
{
    for (const wchar_t* key : {L"Software\\Policies\\Contoso", L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\X",
                               L"HKLMish\\Software"})
        EXPECT_TRUE(IsPolicyKey(key)) << key;
    for (const wchar_t* key : {L"", L"\\Software\\Policies", L"Software\\..\\SAM", L"Software\\\\Policies", L"Software\\",
                               L"HKEY_LOCAL_MACHINE\\Software", L"hkcu\\Software", L"HKU\\.DEFAULT", L"Software\\.",
                               L"Software\\Pol\ticies"})
        EXPECT_FALSE(IsPolicyKey(key)) << key;
}

TEST(PolicyTemplates, FieldsKeepBarsPercentSignsAndLineBreaksApart)
{
    EXPECT_EQ(PolicyLine({L"a|b", L"50%", L"line\r\nnext", L"<b>as text</b>"}),
              L"a%7Cb|50%25|line%0D%0Anext|<b>as text</b>\n");
}

#ifdef _WIN32

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

class PolicyFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        FFolder = std::filesystem::path(temp) / (L"lv-policies-" + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::create_directories(FFolder / L"en-US");
        std::filesystem::create_directories(FFolder / L"de-DE");
    }
    void TearDown() override
    {
        std::filesystem::remove_all(FFolder);
        ::CoUninitialize();
    }
    void Write(const std::wstring& name, const std::string& text)
    {
        std::ofstream(FFolder / name, std::ios::binary) << text;
    }
    // A template with one policy under key, and its English texts.
    void WriteTemplate(const std::wstring& stem, const std::string& key, const std::string& extra = "")
    {
        Write(stem + L".admx", Admx("Test." + std::string(stem.begin(), stem.end()), "", "",
                                    "<policy name='P' class='User' displayName='$(string.P)' key='" + key +
                                        "' valueName='V'><supportedOn ref='S'/></policy>" + extra));
        Write(L"en-US\\" + stem + L".adml", Adml("<string id='P'>Policy</string>", ""));
    }
    static std::string Admx(const std::string& ns, const std::string& usings, const std::string& rest,
                            const std::string& policies)
    {
        return "<?xml version='1.0' encoding='utf-8'?><policyDefinitions revision='1.0' schemaVersion='1.0' "
               "xmlns='http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions'><policyNamespaces>"
               "<target prefix='t' namespace='" + ns + "'/>" + usings + "</policyNamespaces>"
               "<resources minRequiredRevision='1.0'/><supportedOn><definitions><definition name='S' "
               "displayName='$(string.S)'/></definitions></supportedOn>" + rest + "<policies>" + policies +
               "</policies></policyDefinitions>";
    }
    static std::string Adml(const std::string& strings, const std::string& presentations)
    {
        return "<?xml version='1.0' encoding='utf-8'?><policyDefinitionResources revision='1.0' schemaVersion='1.0' "
               "xmlns='http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions'><resources><stringTable>"
               "<string id='S'>At least Test</string>" + strings + "</stringTable><presentationTable>" + presentations +
               "</presentationTable></resources></policyDefinitionResources>";
    }
    std::wstring Refusal(const TPolicySet& set, const std::wstring& file)
    {
        for (const auto& refused : set.Refused) {
            if (refused.first == file)
                return refused.second;
        }
        return L"(read)";
    }
    std::filesystem::path FFolder;
};

}

TEST_F(PolicyFolder, EveryPartOfATemplateReachesThePageAcrossFilesAndLanguages)
{
    Write(L"base.admx", Admx("Test.Base", "", "<categories><category name='Root' displayName='$(string.Root)'/>"
                                              "</categories>", ""));
    Write(L"en-US\\base.adml", Adml("<string id='Root'>Root in English</string>", ""));
    Write(L"de-DE\\base.adml", Adml("<string id='Root'>Wurzel</string>", ""));
    Write(L"app.admx", Admx("Test.App", "<using prefix='base' namespace='Test.Base'/>",
        "<categories><category name='Sub' displayName='$(string.Sub)'><parentCategory ref='base:Root'/></category>"
        "</categories>",
        "<policy name='All' class='Both' displayName='$(string.All)' explainText='$(string.AllHelp)' "
        "presentation='$(presentation.All)' key='Software\\Policies\\LvTest' valueName='On'>"
        "<parentCategory ref='Sub'/><supportedOn ref='base:S'/>"
        "<enabledValue><string>yes</string></enabledValue><disabledValue><delete/></disabledValue>"
        "<enabledList><item valueName='Extra'><value><decimal value='7'/></value></item></enabledList>"
        "<elements><boolean id='Box' valueName='Box'><trueValue><decimal value='5'/></trueValue></boolean>"
        "<decimal id='Num' valueName='Num' minValue='2' maxValue='20' storeAsText='true'/>"
        "<text id='Txt' key='Software\\Policies\\LvTest\\Sub' valueName='Txt' expandable='true' maxLength='40'/>"
        "<enum id='Pick' valueName='Pick'><item displayName='$(string.One)'><value><decimal value='1'/></value></item>"
        "<item displayName='$(string.Two)'><value><string>two</string></value></item></enum></elements></policy>"));
    Write(L"en-US\\app.adml", Adml("<string id='Sub'>Sub</string><string id='All'>Every option</string>"
        "<string id='AllHelp'>Line one\nline | two</string><string id='One'>One</string><string id='Two'>Two</string>",
        "<presentation id='All'><checkBox refId='Box' defaultChecked='true'>Box label</checkBox>"
        "<decimalTextBox refId='Num' defaultValue='4'>Number label</decimalTextBox>"
        "<textBox refId='Txt'><label>Text label</label></textBox><dropdownList refId='Pick' defaultItem='1'>Pick label"
        "</dropdownList></presentation>"));

    const TPolicySet set = ReadPolicyFolder(FFolder.wstring(), L"de-DE");
    EXPECT_TRUE(set.Refused.empty());
    // The files in the order of their names; base.adml in German, app.adml only in English.
    EXPECT_EQ(CategoryLines(set), L"category|Test.App:Sub|Test.Base:Root|Sub|1|1\ncategory|Test.Base:Root||Wurzel|0|0\n");
    EXPECT_EQ(PolicyLines(set, L"Test.App:Sub"), L"policy|Test.App:All|Every option|Both|\n");
    EXPECT_EQ(PolicyDetailLines(*set.Find(L"Test.App:All")),
              L"policy|Test.App:All|Every option|Both|Software\\Policies\\LvTest|On|At least Test|Line one%0Aline %7C two|\n"
              L"enabled|Software\\Policies\\LvTest|On|sz|yes\n"
              L"enabled|Software\\Policies\\LvTest|Extra|dword|7\n"
              L"disabled|Software\\Policies\\LvTest|On|delete|\n"
              L"option|Box|boolean|Box label|Software\\Policies\\LvTest|Box|1|0|dword|5|dword|0\n"
              L"option|Num|decimal|Number label|Software\\Policies\\LvTest|Num|4|0|2|20|1\n"
              L"option|Txt|text|Text label|Software\\Policies\\LvTest\\Sub|Txt||0|40|1\n"
              L"option|Pick|enum|Pick label|Software\\Policies\\LvTest|Pick|1|0\n"
              L"choice|One|dword|1\nchoice|Two|sz|two\n");
}

TEST_F(PolicyFolder, HostileTemplatesAreRefusedWithAMessageAndTheOthersRead)
{
    WriteTemplate(L"good", "Software\\Policies\\LvTest");
    WriteTemplate(L"hive", "HKEY_LOCAL_MACHINE\\Software\\Policies");
    WriteTemplate(L"climb", "Software\\Policies\\..\\..\\SAM");
    WriteTemplate(L"rooted", "\\Software\\Policies");
    std::string laughs = "<?xml version='1.0'?><!DOCTYPE l [<!ENTITY a 'lol'>";
    for (char c = 'b'; c <= 'k'; ++c) {
        laughs += std::string("<!ENTITY ") + c + " '";
        for (int i = 0; i < 10; ++i)
            laughs += std::string("&") + char(c - 1) + ";";
        laughs += "'>";
    }
    Write(L"laughs.admx", laughs + "]><policyDefinitions>&k;</policyDefinitions>");
    Write(L"external.admx", "<?xml version='1.0'?><!DOCTYPE p [<!ENTITY x SYSTEM 'file:///C:/windows/win.ini'>]>"
                            "<policyDefinitions>&x;</policyDefinitions>");
    Write(L"broken.admx", "<policyDefinitions><policies>");
    {
        std::ofstream big(FFolder / L"big.admx", std::ios::binary);
        big << "<policyDefinitions>";
        const std::string chunk(1 << 20, ' ');
        for (int i = 0; i < 50; ++i)
            big << chunk;
        big << "</policyDefinitions>";
    }
    const TPolicySet set = ReadPolicyFolder(FFolder.wstring(), L"en-US");
    ASSERT_EQ(set.Policies.size(), 1u);
    EXPECT_EQ(set.Policies[0].Supported, L"At least Test");
    EXPECT_EQ(Refusal(set, L"hive.admx"), L"it names the key \"HKEY_LOCAL_MACHINE\\Software\\Policies\", which no policy may have");
    EXPECT_EQ(Refusal(set, L"climb.admx"), L"it names the key \"Software\\Policies\\..\\..\\SAM\", which no policy may have");
    EXPECT_EQ(Refusal(set, L"rooted.admx"), L"it names the key \"\\Software\\Policies\", which no policy may have");
    EXPECT_EQ(Refusal(set, L"laughs.admx"), L"it declares a document type (DTD), which no template has");
    EXPECT_EQ(Refusal(set, L"external.admx"), L"it declares a document type (DTD), which no template has");
    EXPECT_EQ(Refusal(set, L"big.admx"), L"it is larger than 16 MiB");
    EXPECT_EQ(Refusal(set, L"broken.admx").rfind(L"it is not well-formed XML", 0), 0u) << Refusal(set, L"broken.admx");
}

#endif
