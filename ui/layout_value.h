#pragma once
// One property value read from a window layout: a number, a text, a name, a list of values
// or a record of named values.
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// One name that a layout may give a value: the entries of the tables that AsEnum reads.
template <typename Value>
struct NamedValue {
    std::string_view name;
    Value value;
};

class LayoutValue {
public:
    enum class Kind { Number, Text, Name, List, Record };

    static LayoutValue Number(long long n);
    static LayoutValue Text(std::string utf8);
    static LayoutValue Name(std::string name);
    static LayoutValue List(std::vector<LayoutValue> items);
    static LayoutValue Record(std::vector<std::pair<std::string, LayoutValue>> fields);

    Kind GetKind() const { return kind_; }
    // Each accessor raises ELayoutError when the value is of another kind.
    int AsInt() const;
    bool AsBool() const;                 // the names true and false
    std::string AsText() const;          // in the ANSI code page
    const std::string& AsName() const;
    const std::vector<LayoutValue>& AsList() const;
    const std::vector<std::pair<std::string, LayoutValue>>& AsRecord() const;
    // The value that this name stands for in table (entries with a name and a value);
    // ELayoutError "Unknown <what> <name>" when it stands for none.
    template <typename Table>
    auto AsEnum(const Table& table, std::string_view what) const {
        const std::string& name = AsName();
        for (const auto& entry : table)
            if (entry.name == name) return entry.value;
        ThrowUnknownName(what, name);
    }
    // The values that a list of names stands for, as in Anchors = [left, top].
    template <typename Table>
    auto AsEnumList(const Table& table, std::string_view what) const {
        std::vector<std::remove_cvref_t<decltype(std::begin(table)->value)>> values;
        for (const LayoutValue& item : AsList()) values.push_back(item.AsEnum(table, what));
        return values;
    }

private:
    [[noreturn]] static void ThrowUnknownName(std::string_view what, const std::string& name);

    Kind kind_ = Kind::Number;
    long long number_ = 0;
    std::string text_;  // Text (UTF-8 as written) or Name
    std::vector<LayoutValue> items_;
    std::vector<std::pair<std::string, LayoutValue>> fields_;
};
