#include "ui/layout_value.h"

#include "encoding/code_page_conversion.h"
#include "ui/layout_reader.h"

LayoutValue LayoutValue::Number(long long n) {
    LayoutValue v;
    v.kind_ = Kind::Number;
    v.number_ = n;
    return v;
}

LayoutValue LayoutValue::Text(std::string utf8) {
    LayoutValue v;
    v.kind_ = Kind::Text;
    v.text_ = std::move(utf8);
    return v;
}

LayoutValue LayoutValue::Name(std::string name) {
    LayoutValue v;
    v.kind_ = Kind::Name;
    v.text_ = std::move(name);
    return v;
}

LayoutValue LayoutValue::List(std::vector<LayoutValue> items) {
    LayoutValue v;
    v.kind_ = Kind::List;
    v.items_ = std::move(items);
    return v;
}

LayoutValue LayoutValue::Record(std::vector<std::pair<std::string, LayoutValue>> fields) {
    LayoutValue v;
    v.kind_ = Kind::Record;
    v.fields_ = std::move(fields);
    return v;
}

namespace {
[[noreturn]] void WrongKind(const char* wanted) {
    throw ELayoutError(std::string("Layout value is not ") + wanted);
}
}  // namespace

int LayoutValue::AsInt() const {
    if (kind_ != Kind::Number) WrongKind("a number");
    return int(number_);
}

bool LayoutValue::AsBool() const {
    if (kind_ == Kind::Name && (text_ == "true" || text_ == "false")) return text_ == "true";
    WrongKind("true or false");
}

std::string LayoutValue::AsText() const {
    if (kind_ != Kind::Text) WrongKind("a text");
    return Ansi(text_);
}

const std::string& LayoutValue::AsName() const {
    if (kind_ != Kind::Name) WrongKind("a name");
    return text_;
}

const std::vector<LayoutValue>& LayoutValue::AsList() const {
    if (kind_ != Kind::List) WrongKind("a list");
    return items_;
}

const std::vector<std::pair<std::string, LayoutValue>>& LayoutValue::AsRecord() const {
    if (kind_ != Kind::Record) WrongKind("a record");
    return fields_;
}

void LayoutValue::ThrowUnknownName(std::string_view what, const std::string& name) {
    throw ELayoutError("Unknown " + std::string(what) + " " + name);
}
