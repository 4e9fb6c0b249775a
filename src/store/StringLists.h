#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of strings, each with one 32-bit object value. Find bisects with the
// folder collation (case-insensitive, the platform's locale order).
class TStringList {
public:
    virtual ~TStringList() = default;

    void Add(std::string text, std::int32_t object = 0);
    void Clear() { FItems.clear(); }
    std::size_t Count() const { return FItems.size(); }
    const std::string& Strings(std::size_t index) const { return FItems[index].Text; }
    std::int32_t Objects(std::size_t index) const { return FItems[index].Object; }
    void SetObject(std::size_t index, std::int32_t object) { FItems[index].Object = object; }

    // Bisection over lines that are in ascending order. On a match index is the line
    // the bisection met first; otherwise it is where the text would be inserted.
    virtual bool Find(std::string_view text, std::size_t& index) const;
    virtual void Sort();
    // The order Find and Sort follow: <0, 0 or >0.
    virtual int CompareLines(std::string_view a, std::string_view b) const;

    // Appends each line of text: lines end at CR, LF or CR LF, a NUL ends the text, and a
    // line end at the very end adds no empty line.
    void AddLines(std::string_view text);

protected:
    struct Item {
        std::string Text;
        std::int32_t Object;
    };
    template <typename Compare>
    bool Bisect(std::string_view text, std::size_t& index, Compare compare) const;
    std::vector<Item> FItems;
};

// The byte-ordered variant: Find and Sort compare unsigned bytes, with no case folding.
class TUStringList : public TStringList {
public:
    bool Find(std::string_view text, std::size_t& index) const override;
    void Sort() override;
    int CompareLines(std::string_view a, std::string_view b) const override;
};

// Unsigned byte order; a string sorts before every longer string it begins.
int CompareKeys(std::string_view a, std::string_view b);
