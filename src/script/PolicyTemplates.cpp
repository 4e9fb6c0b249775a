#include "script/PolicyTemplates.h"

#include <algorithm>
#include <cwctype>

std::wstring TXmlNode::Attribute(std::wstring_view name) const
{
    for (const auto& attribute : Attributes) {
        if (attribute.first == name)
            return attribute.second;
    }
    return {};
}

bool TXmlNode::HasAttribute(std::wstring_view name) const
{
    return std::any_of(Attributes.begin(), Attributes.end(), [&](const auto& a) { return a.first == name; });
}

const TXmlNode* TXmlNode::Child(std::wstring_view name) const
{
    for (const auto& child : Children) {
        if (child.Name == name)
            return &child;
    }
    return nullptr;
}

const TPolicy* TPolicySet::Find(std::wstring_view id) const
{
    for (const auto& policy : Policies) {
        if (policy.Id == id)
            return &policy;
    }
    return nullptr;
}

namespace {

std::wstring Upper(std::wstring_view text)
{
    std::wstring result(text);
    for (auto& c : result)
        c = static_cast<wchar_t>(std::towupper(c));
    return result;
}

// The short and long names of the hives, which a template's key never starts with.
bool IsHiveName(std::wstring_view component)
{
    const std::wstring name = Upper(component);
    if (name.rfind(L"HKEY_", 0) == 0)
        return true;
    for (const wchar_t* hive : {L"HKLM", L"HKCU", L"HKCR", L"HKU", L"HKCC", L"HKPD", L"HKDD"}) {
        if (name == hive)
            return true;
    }
    return false;
}

[[noreturn]] void Refuse(const std::wstring& reason)
{
    throw ETemplateRefused(reason);
}

const TXmlNode* Descend(const TXmlNode* node, std::initializer_list<std::wstring_view> path)
{
    for (auto name : path) {
        if (!node)
            return nullptr;
        node = node->Child(name);
    }
    return node;
}

// The entry of the .adml's table that a reference "$(KIND.ID)" names (prefix "$(KIND."); null
// for text that is no such reference, or an id the table lacks.
const TXmlNode* ReferencedEntry(const TXmlNode* adml, const std::wstring& reference, const std::wstring& prefix,
                                const wchar_t* table)
{
    if (reference.rfind(prefix, 0) != 0 || reference.back() != L')')
        return nullptr;
    const std::wstring id = reference.substr(prefix.size(), reference.size() - prefix.size() - 1);
    if (const auto* entries = Descend(adml, {L"resources", table})) {
        for (const auto& entry : entries->Children) {
            if (entry.Attribute(L"id") == id)
                return &entry;
        }
    }
    return nullptr;
}

bool IsTrue(const std::wstring& text)
{
    return text == L"true" || text == L"1";
}

unsigned long Number(const std::wstring& text, unsigned long otherwise)
{
    if (text.empty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), iswdigit))
        return otherwise;
    const unsigned long long value = std::stoull(text);
    return value > 0xFFFFFFFFull ? otherwise : static_cast<unsigned long>(value);
}

// One template's names and texts: its namespace and prefixes, its .adml.
class TTemplateReader {
public:
    TTemplateReader(const TXmlNode& admx, const TXmlNode* adml) : FAdmx(admx), FAdml(adml) { ReadNamespaces(); }

    TTemplate Read(const std::wstring& file)
    {
        TTemplate result;
        result.File = file;
        if (const auto* categories = FAdmx.Child(L"categories")) {
            for (const auto& category : categories->Children) {
                if (category.Name == L"category")
                    result.Categories.push_back(ReadCategory(category));
            }
        }
        if (const auto* definitions = Descend(&FAdmx, {L"supportedOn", L"definitions"})) {
            for (const auto& definition : definitions->Children)
                result.Supported[Whole(definition.Attribute(L"name"))] = Text(definition.Attribute(L"displayName"));
        }
        if (const auto* policies = FAdmx.Child(L"policies")) {
            for (const auto& policy : policies->Children) {
                if (policy.Name == L"policy")
                    result.Policies.push_back(ReadPolicy(policy));
            }
        }
        return result;
    }

private:
    void ReadNamespaces()
    {
        const auto* namespaces = FAdmx.Child(L"policyNamespaces");
        const auto* target = namespaces ? namespaces->Child(L"target") : nullptr;
        if (FAdmx.Name != L"policyDefinitions" || !target || target->Attribute(L"namespace").empty())
            Refuse(L"it is not an administrative template (no policyDefinitions with a target namespace)");
        FNamespace = target->Attribute(L"namespace");
        for (const auto& entry : namespaces->Children)
            FPrefixes[entry.Attribute(L"prefix")] = entry.Attribute(L"namespace");
    }

    // "prefix:name" with the namespace its prefix stands for; a bare name is of this template.
    std::wstring Whole(const std::wstring& reference) const
    {
        const auto colon = reference.find(L':');
        if (colon == std::wstring::npos)
            return FNamespace + L":" + reference;
        const auto found = FPrefixes.find(reference.substr(0, colon));
        return (found == FPrefixes.end() ? reference.substr(0, colon) : found->second) + reference.substr(colon);
    }

    std::wstring Text(const std::wstring& text) const { return ResolveString(FAdml, text); }

    TCategory ReadCategory(const TXmlNode& node) const
    {
        TCategory category;
        category.Id = Whole(node.Attribute(L"name"));
        category.Name = Text(node.Attribute(L"displayName"));
        if (const auto* parent = node.Child(L"parentCategory"))
            category.Parent = Whole(parent->Attribute(L"ref"));
        return category;
    }

    static std::wstring CheckedKey(const std::wstring& key)
    {
        if (!IsPolicyKey(key))
            Refuse(L"it names the key \"" + key + L"\", which no policy may have");
        return key;
    }

    static std::wstring CheckedValueName(const std::wstring& name)
    {
        // Registry.pol gives names that start with "**" a meaning of their own (deletions).
        if (name.rfind(L"**", 0) == 0)
            Refuse(L"it names the value \"" + name + L"\", which no policy may have");
        return name;
    }

    // A value element's content: decimal, longDecimal, string or delete.
    static bool ReadValue(const TXmlNode& holder, TRegistryItem& item)
    {
        for (const auto& value : holder.Children) {
            if (value.Name == L"decimal" || value.Name == L"longDecimal") {
                item.Type = value.Name == L"decimal" ? L"dword" : L"qword";
                item.Data = value.Attribute(L"value");
                return true;
            }
            if (value.Name == L"string" || value.Name == L"delete") {
                item.Type = value.Name == L"string" ? L"sz" : L"delete";
                item.Data = value.Text;
                return true;
            }
        }
        return false;
    }

    static TRegistryItem Item(const std::wstring& key, const std::wstring& valueName, const wchar_t* type,
                              const wchar_t* data)
    {
        return {CheckedKey(key), CheckedValueName(valueName), type, data};
    }

    static void ReadList(const TXmlNode* list, const std::wstring& key, std::vector<TRegistryItem>& items)
    {
        if (!list)
            return;
        const std::wstring listKey = list->HasAttribute(L"defaultKey") ? list->Attribute(L"defaultKey") : key;
        for (const auto& entry : list->Children) {
            TRegistryItem item = Item(entry.HasAttribute(L"key") ? entry.Attribute(L"key") : listKey,
                                      entry.Attribute(L"valueName"), L"", L"");
            const auto* value = entry.Child(L"value");
            if (value && ReadValue(*value, item))
                items.push_back(item);
        }
    }

    // The policy's own value: what enabledValue and disabledValue give; where the template gives
    // neither, a DWORD 1 when enabled and 0 when disabled; where it gives only one, the other
    // state removes the value.
    static void ReadOwnValue(const TXmlNode& node, TPolicy& policy)
    {
        const auto* enabled = node.Child(L"enabledValue");
        const auto* disabled = node.Child(L"disabledValue");
        TRegistryItem on = Item(policy.Key, policy.ValueName, L"dword", L"1");
        TRegistryItem off = Item(policy.Key, policy.ValueName, L"dword", L"0");
        if (enabled || disabled) {
            on.Type = off.Type = L"delete";
            on.Data = off.Data = L"";
        }
        if (enabled)
            ReadValue(*enabled, on);
        if (disabled)
            ReadValue(*disabled, off);
        policy.Enabled.push_back(on);
        policy.Disabled.push_back(off);
    }

    const TXmlNode* Presentation(const std::wstring& reference) const
    {
        return ReferencedEntry(FAdml, reference, L"$(presentation.", L"presentationTable");
    }

    // The option's label and default from the presentation's part that refers to it.
    static void Present(const TXmlNode* presentation, TPolicyOption& option)
    {
        if (!presentation)
            return;
        for (const auto& part : presentation->Children) {
            if (part.Attribute(L"refId") != option.Id)
                continue;
            const auto* label = part.Child(L"label");
            option.Label = label ? label->Text : part.Text;
            if (part.Name == L"checkBox")
                option.Default = IsTrue(part.Attribute(L"defaultChecked")) ? L"1" : L"0";
            else if (part.Name == L"decimalTextBox")
                option.Default = part.Attribute(L"defaultValue");
            else if (part.Name == L"dropdownList")
                option.Default = part.Attribute(L"defaultItem");
            else if (const auto* value = part.Child(L"defaultValue"))
                option.Default = value->Text;
            return;
        }
    }

    TPolicyOption ReadOption(const TXmlNode& element, TPolicy& policy) const
    {
        TPolicyOption option;
        option.Id = element.Attribute(L"id");
        option.Kind = element.Name;
        option.Key = CheckedKey(element.HasAttribute(L"key") ? element.Attribute(L"key") : policy.Key);
        option.ValueName = CheckedValueName(element.Attribute(L"valueName"));
        option.Required = IsTrue(element.Attribute(L"required"));
        option.Min = Number(element.Attribute(L"minValue"), 0);
        option.Max = Number(element.Attribute(L"maxValue"), 9999);
        option.MaxLength = Number(element.Attribute(L"maxLength"), 1023);
        option.AsText = IsTrue(element.Attribute(L"storeAsText"));
        option.Expandable = IsTrue(element.Attribute(L"expandable"));
        if (option.Kind == L"boolean") {
            option.On = Item(option.Key, option.ValueName, L"dword", L"1");
            option.Off = Item(option.Key, option.ValueName, L"dword", L"0");
            if (const auto* on = element.Child(L"trueValue"))
                ReadValue(*on, option.On);
            if (const auto* off = element.Child(L"falseValue"))
                ReadValue(*off, option.Off);
            if (element.Child(L"trueList") || element.Child(L"falseList"))
                policy.ReadOnly = L"Its check box writes lists of values, which are not changed here.";
        } else if (option.Kind == L"enum") {
            for (const auto& entry : element.Children) {
                TPolicyChoice choice{Text(entry.Attribute(L"displayName")), Item(option.Key, option.ValueName, L"", L"")};
                const auto* value = entry.Child(L"value");
                if (value && ReadValue(*value, choice.Value))
                    option.Choices.push_back(choice);
                if (entry.Child(L"valueList"))
                    policy.ReadOnly = L"A choice of it writes lists of values, which are not changed here.";
            }
        } else if (option.Kind != L"decimal" && option.Kind != L"text") {
            policy.ReadOnly = L"Its lists, multi-line texts and large numbers are not changed here.";
        }
        return option;
    }

    TPolicy ReadPolicy(const TXmlNode& node) const
    {
        TPolicy policy;
        policy.Id = Whole(node.Attribute(L"name"));
        policy.Name = Text(node.Attribute(L"displayName"));
        policy.Class = node.Attribute(L"class");
        policy.Key = CheckedKey(node.Attribute(L"key"));
        policy.ValueName = CheckedValueName(node.Attribute(L"valueName"));
        policy.Explain = Text(node.Attribute(L"explainText"));
        if (const auto* parent = node.Child(L"parentCategory"))
            policy.Category = Whole(parent->Attribute(L"ref"));
        if (const auto* supported = node.Child(L"supportedOn"))
            policy.Supported = Whole(supported->Attribute(L"ref"));
        if (policy.Class != L"Machine" && policy.Class != L"User" && policy.Class != L"Both")
            Refuse(L"its policy \"" + policy.Id + L"\" has no class Machine, User or Both");
        if (!policy.ValueName.empty())
            ReadOwnValue(node, policy);
        ReadList(node.Child(L"enabledList"), policy.Key, policy.Enabled);
        ReadList(node.Child(L"disabledList"), policy.Key, policy.Disabled);
        const auto* presentation = Presentation(node.Attribute(L"presentation"));
        if (const auto* elements = node.Child(L"elements")) {
            for (const auto& element : elements->Children) {
                policy.Options.push_back(ReadOption(element, policy));
                Present(presentation, policy.Options.back());
            }
        }
        for (const auto* items : {&policy.Enabled, &policy.Disabled}) {
            for (const auto& item : *items) {
                if (item.Type == L"qword")
                    policy.ReadOnly = L"It writes a 64-bit number, which is not changed here.";
            }
        }
        return policy;
    }

    const TXmlNode& FAdmx;
    const TXmlNode* FAdml;
    std::wstring FNamespace;
    std::map<std::wstring, std::wstring> FPrefixes;
};

std::wstring Escaped(const std::wstring& field)
{
    std::wstring result;
    for (wchar_t c : field) {
        switch (c) {
        case L'%': result += L"%25"; break;
        case L'|': result += L"%7C"; break;
        case L'\r': result += L"%0D"; break;
        case L'\n': result += L"%0A"; break;
        default: result += c;
        }
    }
    return result;
}

std::wstring ItemLine(const wchar_t* state, const TRegistryItem& item)
{
    return PolicyLine({state, item.Key, item.ValueName, item.Type, item.Data});
}

std::wstring Flag(bool on)
{
    return on ? L"1" : L"0";
}

std::wstring OptionLine(const TPolicyOption& option)
{
    std::vector<std::wstring> fields{L"option", option.Id, option.Kind, option.Label, option.Key, option.ValueName,
                                     option.Default, Flag(option.Required)};
    if (option.Kind == L"decimal")
        fields.insert(fields.end(), {std::to_wstring(option.Min), std::to_wstring(option.Max), Flag(option.AsText)});
    else if (option.Kind == L"text")
        fields.insert(fields.end(), {std::to_wstring(option.MaxLength), Flag(option.Expandable)});
    else if (option.Kind == L"boolean")
        fields.insert(fields.end(), {option.On.Type, option.On.Data, option.Off.Type, option.Off.Data});
    std::wstring lines = PolicyLine(fields);
    for (const auto& choice : option.Choices)
        lines += PolicyLine({L"choice", choice.Name, choice.Value.Type, choice.Value.Data});
    return lines;
}

}

bool IsPolicyKey(std::wstring_view key)
{
    if (key.empty() || key.size() > 1024)
        return false;
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const auto end = key.find(L'\\', start);
        const auto component = key.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
        if (component.empty() || component == L"." || component == L".." || (first && IsHiveName(component)))
            return false;
        if (std::any_of(component.begin(), component.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; }))
            return false;
        if (end == std::wstring_view::npos)
            return true;
        start = end + 1;
    }
}

std::wstring ResolveString(const TXmlNode* adml, const std::wstring& text)
{
    const TXmlNode* entry = ReferencedEntry(adml, text, L"$(string.", L"stringTable");
    return entry ? entry->Text : text;
}

TTemplate ReadTemplate(const std::wstring& file, const TXmlNode& admx, const TXmlNode* adml)
{
    try {
        return TTemplateReader(admx, adml).Read(file);
    } catch (const ETemplateRefused& refusal) {
        TTemplate refused;
        refused.File = file;
        refused.Refusal = refusal.Reason;
        return refused;
    }
}

TPolicySet CombineTemplates(std::vector<TTemplate> templates)
{
    TPolicySet set;
    std::map<std::wstring, std::wstring> supported;
    for (const auto& each : templates)
        supported.insert(each.Supported.begin(), each.Supported.end());
    for (auto& each : templates) {
        if (!each.Refusal.empty()) {
            set.Refused.emplace_back(each.File, each.Refusal);
            continue;
        }
        set.Categories.insert(set.Categories.end(), each.Categories.begin(), each.Categories.end());
        for (auto& policy : each.Policies) {
            const auto text = supported.find(policy.Supported);
            policy.Supported = text == supported.end() ? std::wstring() : text->second;
            set.Policies.push_back(std::move(policy));
        }
    }
    return set;
}

std::wstring PolicyLine(const std::vector<std::wstring>& fields)
{
    std::wstring line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i ? L"|" : L"") + Escaped(fields[i]);
    return line + L"\n";
}

std::wstring CategoryLines(const TPolicySet& set)
{
    std::map<std::wstring, std::pair<int, int>> counts;
    for (const auto& policy : set.Policies) {
        auto& count = counts[policy.Category];
        count.first += policy.Class != L"User";
        count.second += policy.Class != L"Machine";
    }
    std::wstring lines;
    for (const auto& category : set.Categories) {
        const auto count = counts[category.Id];
        lines += PolicyLine({L"category", category.Id, category.Parent, category.Name, std::to_wstring(count.first),
                             std::to_wstring(count.second)});
    }
    for (const auto& refused : set.Refused)
        lines += PolicyLine({L"refused", refused.first, refused.second});
    return lines;
}

std::wstring PolicyLines(const TPolicySet& set, std::wstring_view category)
{
    std::wstring lines;
    for (const auto& policy : set.Policies) {
        if (policy.Category == category)
            lines += PolicyLine({L"policy", policy.Id, policy.Name, policy.Class, policy.ReadOnly});
    }
    return lines;
}

std::wstring PolicyDetailLines(const TPolicy& policy)
{
    std::wstring lines = PolicyLine({L"policy", policy.Id, policy.Name, policy.Class, policy.Key, policy.ValueName,
                                     policy.Supported, policy.Explain, policy.ReadOnly});
    for (const auto& item : policy.Enabled)
        lines += ItemLine(L"enabled", item);
    for (const auto& item : policy.Disabled)
        lines += ItemLine(L"disabled", item);
    for (const auto& option : policy.Options)
        lines += OptionLine(option);
    return lines;
}
