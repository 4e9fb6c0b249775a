#pragma once

// Windows' Administrative Templates: the policies that the .admx files of a PolicyDefinitions
// folder define, with the texts of their .adml files. Design:
// - The platform's XML parser (PolicyTemplates_win.cpp) turns each file into a TXmlNode tree,
//   within bounds of size, depth and count; everything after that is portable and tested natively.
// - Each template is read on its own into a TTemplate: its names are made whole with the
//   namespace that its prefixes stand for, and its texts are taken from its own .adml. A template
//   that cannot be read, or that names a key no policy may have, is kept as a refusal with its
//   reason, and nothing of it is used.
// - The templates then make one TPolicySet: categories and "Supported on" definitions are
//   shared across files (most templates refer to those of windows.admx).
// - The pages receive plain text in lines of fields (see PolicyLine), never markup.

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An element as the parser gives it: its local name, attributes, child elements and text.
struct TXmlNode {
    std::wstring Name;
    std::vector<std::pair<std::wstring, std::wstring>> Attributes;
    std::vector<TXmlNode> Children;
    std::wstring Text;

    // The attribute's value; empty when it is missing.
    std::wstring Attribute(std::wstring_view name) const;
    bool HasAttribute(std::wstring_view name) const;
    // The first child element of that name, or null.
    const TXmlNode* Child(std::wstring_view name) const;
};

// One registry value that a state of a policy writes: its type is "dword", "qword", "sz",
// "expand" or "delete" (the value is removed), its data in decimal for the numbers.
struct TRegistryItem {
    std::wstring Key;
    std::wstring ValueName;
    std::wstring Type;
    std::wstring Data;
};

struct TPolicyChoice {
    std::wstring Name;
    TRegistryItem Value;
};

// An option of a policy (an element of the template with its presentation's label and default).
// Kind is the element's name: "boolean", "decimal", "text", "enum", "list", "multiText" or
// "longDecimal".
struct TPolicyOption {
    std::wstring Id;
    std::wstring Kind;
    std::wstring Key;
    std::wstring ValueName;
    std::wstring Label;
    TRegistryItem On;   // boolean: its trueValue (a DWORD 1 unless the template says)
    TRegistryItem Off;  // boolean: its falseValue (a DWORD 0 unless the template says)
    unsigned long Min = 0;
    unsigned long Max = 9999;
    unsigned long MaxLength = 1023;
    bool Required = false;
    bool AsText = false;       // decimal: stored as REG_SZ
    bool Expandable = false;   // text: stored as REG_EXPAND_SZ
    std::wstring Default;      // checkBox defaultChecked, decimal defaultValue, text defaultValue, enum's item number
    std::vector<TPolicyChoice> Choices;
};

struct TPolicy {
    std::wstring Id;  // namespace:name
    std::wstring Name;
    std::wstring Class;  // "Machine", "User" or "Both"
    std::wstring Category;
    std::wstring Key;
    std::wstring ValueName;
    std::wstring Supported;  // the reference until the set resolves it to its text
    std::wstring Explain;
    std::vector<TRegistryItem> Enabled;
    std::vector<TRegistryItem> Disabled;
    std::vector<TPolicyOption> Options;
    // Why the program shows the policy but cannot change it; empty when it can.
    std::wstring ReadOnly;
};

struct TCategory {
    std::wstring Id;  // namespace:name
    std::wstring Parent;
    std::wstring Name;
};

struct TTemplate {
    std::wstring File;
    std::wstring Refusal;  // why nothing of the template is used; empty when it was read
    std::vector<TCategory> Categories;
    std::vector<TPolicy> Policies;
    std::map<std::wstring, std::wstring> Supported;  // namespace:name to its text
};

struct TPolicySet {
    std::vector<TCategory> Categories;
    std::vector<TPolicy> Policies;
    std::vector<std::pair<std::wstring, std::wstring>> Refused;  // file, reason

    const TPolicy* Find(std::wstring_view id) const;
};

// Limits on what a template may hold, beyond which it is refused as hostile or broken.
inline constexpr std::size_t MaxTemplateBytes = 16u << 20;
inline constexpr std::size_t MaxTemplateElements = 400000;
inline constexpr std::size_t MaxTemplateDepth = 48;

// Why a template is not used; raised while reading it, kept in its TTemplate.
class ETemplateRefused : public std::runtime_error {
public:
    explicit ETemplateRefused(std::wstring reason) : std::runtime_error("template refused"), Reason(std::move(reason)) {}
    std::wstring Reason;
};

// A key as a template may name it: relative to the hive its class gives, so never a hive's name,
// a leading or doubled backslash, "." or ".." or a control character.
bool IsPolicyKey(std::wstring_view key);

// "$(string.X)" resolved in the .adml's string table; other text as it stands.
std::wstring ResolveString(const TXmlNode* adml, const std::wstring& text);

// One template from its .admx and .adml trees; a refusal, with its reason, when it uses a key
// no policy may have or is not a template at all. file names it in messages.
TTemplate ReadTemplate(const std::wstring& file, const TXmlNode& admx, const TXmlNode* adml);

// The templates as one set: "Supported on" references replaced by their texts.
TPolicySet CombineTemplates(std::vector<TTemplate> templates);

// Lines of fields for the pages: fields joined by "|", lines by a line feed; "%", "|" and line
// breaks inside a field are written %25, %7C, %0D and %0A.
std::wstring PolicyLine(const std::vector<std::wstring>& fields);

// "category|ID|PARENT|NAME|MACHINE|USER" for every category, with how many policies it holds
// directly for the computer and for users; "refused|FILE|REASON" for every refused template.
std::wstring CategoryLines(const TPolicySet& set);
// "policy|ID|NAME|CLASS|READONLY" for each policy of the category.
std::wstring PolicyLines(const TPolicySet& set, std::wstring_view category);
// One policy: its "policy" line (ID, NAME, CLASS, KEY, VALUE, SUPPORTED, EXPLAIN, READONLY),
// "enabled" and "disabled" lines (KEY, VALUE, TYPE, DATA), each option as an "option" line
// (ID, KIND, LABEL, KEY, VALUE, DEFAULT, REQUIRED, and by kind: MIN, MAX, AS-TEXT for a number;
// MAX-LENGTH, EXPANDABLE for a text; ON-TYPE, ON-DATA, OFF-TYPE, OFF-DATA for a check box),
// followed by an enum's "choice" lines (NAME, TYPE, DATA).
std::wstring PolicyDetailLines(const TPolicy& policy);

#ifdef _WIN32
#include <memory>

// The user's display language as a folder of .adml files names it ("de-DE").
std::wstring UserPolicyLanguage();
// %SystemRoot%\PolicyDefinitions.
std::wstring DefaultPolicyFolder();
// Every .admx of the folder with its .adml of the language, else of en-US. Needs COM.
TPolicySet ReadPolicyFolder(const std::wstring& folder, const std::wstring& language);
// The folder's set in the user's language, read again only when a template or its texts changed.
std::shared_ptr<const TPolicySet> PolicyTemplates(const std::wstring& folder);
#endif
