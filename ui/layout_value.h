#pragma once
// One property value read from a window layout: a number, a text, a name, a list of values
// or a record of named values.
#include <memory>
#include <string>
#include <utility>
#include <vector>

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
    // The names of a list of names, as in Anchors = [left, top].
    std::vector<std::string> AsNameSet() const;

private:
    Kind kind_ = Kind::Number;
    long long number_ = 0;
    std::string text_;  // Text (UTF-8 as written) or Name
    std::vector<LayoutValue> items_;
    std::vector<std::pair<std::string, LayoutValue>> fields_;
};
